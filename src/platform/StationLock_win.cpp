#include "platform/StationLock.h"

#include <QDir>

#include <windows.h>

namespace robot {

QString StationLock::computerWideDirectory() {
    // Shared by every user of the computer, unlike each user's temporary folder.
    const QString common = qEnvironmentVariable("ProgramData");
    return common.isEmpty() ? QDir::tempPath() : common;
}

void StationLock::release() {
    if (handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
    handle = -1;
}

Result<void> StationLock::lockFile(const QString &path, const QString &refusal) {
    // No sharing: a second open fails until this handle is closed, by us or by process exit.
    // The lock file is opened itself, never the target of a link, and is never written: read
    // access is enough, so the printer's lock made by another user of the computer opens too.
    HANDLE h =
        CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ, 0, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Failure{refusal};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        info.nNumberOfLinks != 1) {
        CloseHandle(h);
        return Failure{QStringLiteral("El archivo de bloqueo de la estación %1 no es un archivo "
                                      "común: la estación no lo usa. Muévalo o bórrelo.")
                           .arg(QDir::toNativeSeparators(path))};
    }
    handle = reinterpret_cast<qintptr>(h);
    return {};
}

} // namespace robot
