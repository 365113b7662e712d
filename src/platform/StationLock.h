#pragma once

#include <QString>
#include <QtGlobal>

namespace robot {

// Keeps a second station with the same fiscal machine number off the same document database:
// an exclusive advisory lock on a file in the data directory, held for the whole run and
// released by the operating system if the station dies.
class StationLock {
public:
    StationLock() = default;
    StationLock(const StationLock &) = delete;
    StationLock &operator=(const StationLock &) = delete;
    ~StationLock();

    // On refusal `error` holds the operator message. The lock file is never followed through a
    // link, and a file the station did not make is never written.
    bool acquire(const QString &dataDirectory, qint32 caja, QString *error);

    static QString pathFor(const QString &dataDirectory, qint32 caja);

private:
    // Per platform (StationLock_unix.cpp / _win.cpp): the open lock, or false with `error`.
    bool lockFile(const QString &path, qint32 caja, QString *error);
    void release();

    qintptr handle = -1; // the file descriptor or the Windows HANDLE while held
};

// The operator's message when another station holds the lock.
QString stationLockRefusal(qint32 caja, const QString &path);

} // namespace robot
