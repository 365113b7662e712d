#include "platform/SystemJournal.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>
#include <sys/stat.h>

namespace robot {

namespace platform {

// systemd names the journal's stream in JOURNAL_STREAM as "device:inode"; a program started
// from the service with its standard error elsewhere inherits the variable, so both must match.
bool stderrIsJournal() {
    const QList<QByteArray> parts = qgetenv("JOURNAL_STREAM").split(':');
    struct stat status {};
    if (parts.size() != 2 || fstat(2, &status) != 0)
        return false;
    bool deviceOk = false, inodeOk = false;
    const qulonglong device = parts[0].toULongLong(&deviceOk);
    const qulonglong inode = parts[1].toULongLong(&inodeOk);
    return deviceOk && inodeOk && device == qulonglong(status.st_dev) &&
           inode == qulonglong(status.st_ino);
}

} // namespace platform

} // namespace robot
