#include "app/StationLock.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {
QString lockPath(const QString &dataDirectory, qint32 caja) {
    return QDir(dataDirectory).filePath(QStringLiteral("robot-fiscal-caja-%1.lock").arg(caja));
}
QString refusal(qint32 caja, const QString &path) {
    return QStringLiteral("Ya hay una estación funcionando con la caja %1 sobre esta base de "
                          "datos (bloqueo %2). Cierre la otra estación o corrija el número de "
                          "Caja en ImpresorFiscal.inf.")
        .arg(caja)
        .arg(QDir::toNativeSeparators(path));
}
} // namespace

#ifdef Q_OS_WIN

StationLock::~StationLock() {
    if (handle)
        CloseHandle(handle);
}

bool StationLock::acquire(const QString &dataDirectory, qint32 caja, QString *error) {
    const QString path = lockPath(dataDirectory, caja);
    // No sharing: a second open fails until this handle is closed, by us or by process exit.
    HANDLE h =
        CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                    0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (error)
            *error = refusal(caja, path);
        return false;
    }
    handle = h;
    return true;
}

#else

StationLock::~StationLock() {
    if (fd >= 0)
        ::close(fd);
}

bool StationLock::acquire(const QString &dataDirectory, qint32 caja, QString *error) {
    const QString path = lockPath(dataDirectory, caja);
    const int f = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (f < 0) {
        if (error)
            *error = QStringLiteral("No se pudo crear el bloqueo de la estación %1: %2")
                         .arg(QDir::toNativeSeparators(path),
                              QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (::flock(f, LOCK_EX | LOCK_NB) != 0) {
        ::close(f);
        if (error)
            *error = refusal(caja, path);
        return false;
    }
    // Who holds it, for a technician who finds the file.
    const QByteArray owner = (QSysInfo::machineHostName() + QStringLiteral(" pid ") +
                              QString::number(::getpid()) + u'\n')
                                 .toUtf8();
    if (::ftruncate(f, 0) == 0) {
        [[maybe_unused]] const auto written = ::write(f, owner.constData(), owner.size());
    }
    fd = f;
    return true;
}

#endif
