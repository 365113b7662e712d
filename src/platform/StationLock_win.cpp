#include "platform/StationLock.h"

#include <QDir>

#include <windows.h>

namespace robot {

void StationLock::release() {
    if (handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
    handle = -1;
}

bool StationLock::lockFile(const QString &path, qint32 caja, QString *error) {
    // No sharing: a second open fails until this handle is closed, by us or by process exit.
    // The lock file is opened itself, never the target of a link, and is never written.
    HANDLE h = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()),
                           GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (error)
            *error = stationLockRefusal(caja, path);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        info.nNumberOfLinks != 1) {
        CloseHandle(h);
        if (error)
            *error = QStringLiteral("El archivo de bloqueo de la estación %1 no es un archivo "
                                    "común: la estación no lo usa. Muévalo o bórrelo.")
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }
    handle = reinterpret_cast<qintptr>(h);
    return true;
}

} // namespace robot
