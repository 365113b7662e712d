#include "platform/StationLock.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace robot {

namespace {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString notALockFile(const QString &path, const QString &why) {
    return QStringLiteral("El archivo de bloqueo de la estación %1 %2: la estación no lo usa ni "
                          "lo modifica. Muévalo o bórrelo si no es de otro programa.")
        .arg(QDir::toNativeSeparators(path), why);
}

// Only a file this station wrote may be written again: empty, or the one line of who held it.
bool heldByStationsBefore(int fd, const struct stat &info) {
    if (info.st_size == 0)
        return true;
    if (info.st_size > 512)
        return false;
    char text[513] = {};
    const ssize_t read = ::pread(fd, text, sizeof text - 1, 0);
    static const QRegularExpression ownerLine(QStringLiteral("^[^\\n]* pid \\d+\\n$"));
    return read == info.st_size && ownerLine.match(QString::fromUtf8(text, read)).hasMatch();
}

} // namespace

QString StationLock::computerWideDirectory() {
    return QDir::tempPath(); // /tmp unless TMPDIR says otherwise
}

void StationLock::release() {
    if (handle >= 0)
        ::close(int(handle));
    handle = -1;
}

Result<void> StationLock::lockFile(const QString &path, const QString &refusal) {
    const QByteArray name = QFile::encodeName(path);
    // Never through a link: a link to the document database must not become the lock file.
    bool created = true;
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd < 0)
        return Failure{errno == ELOOP ? notALockFile(path, QStringLiteral("es un enlace"))
                                      : QStringLiteral("No se pudo crear el bloqueo de la estación "
                                                       "%1: %2")
                                            .arg(QDir::toNativeSeparators(path), systemError())};
    struct stat info {};
    QString foreign;
    if (::fstat(fd, &info) != 0)
        foreign = QStringLiteral("no se puede examinar (%1)").arg(systemError());
    else if (!S_ISREG(info.st_mode))
        foreign = QStringLiteral("no es un archivo común");
    else if (info.st_uid != ::geteuid())
        foreign = QStringLiteral("pertenece a otro usuario");
    else if (info.st_nlink != 1)
        foreign = QStringLiteral("tiene otros nombres (enlaces duros)");
    else if (!created && !heldByStationsBefore(fd, info))
        foreign = QStringLiteral("tiene un contenido que no es de la estación");
    if (!foreign.isEmpty()) {
        ::close(fd);
        return Failure{notALockFile(path, foreign)};
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return Failure{refusal};
    }
    // Who holds it, for a technician who finds the file.
    const QByteArray owner = (QSysInfo::machineHostName() + QStringLiteral(" pid ") +
                              QString::number(::getpid()) + u'\n')
                                 .toUtf8();
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const auto written = ::pwrite(fd, owner.constData(), owner.size(), 0);
    }
    handle = fd;
    return {};
}

} // namespace robot
