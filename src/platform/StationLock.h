#pragma once

#include "core/Result.h"

#include <QString>
#include <QtGlobal>

namespace robot {

// Keeps a second station with the same fiscal machine number off the same document database,
// or (acquirePrinter) a second station or technician's action off the same fiscal printer on
// this computer, whatever their data directories: an exclusive advisory lock on a file, held
// for the whole run and released by the operating system if the program dies.
class StationLock {
public:
    StationLock() = default;
    StationLock(const StationLock &) = delete;
    StationLock &operator=(const StationLock &) = delete;
    ~StationLock();

    // On refusal the error is the operator message. The lock file is never followed through a
    // link, and a file the station did not make is never written.
    Result<void> acquire(const QString &dataDirectory, qint32 caja);

    static QString pathFor(const QString &dataDirectory, qint32 caja);

    // The printer is known by its serial number (Serial: of ImpresorFiscal.inf), else by its
    // port; its lock file lies where every user of the computer finds it.
    Result<void> acquirePrinter(const QString &serial, const QString &port);
    static QString printerPathFor(const QString &serial, const QString &port);

private:
    // Per platform (StationLock_unix.cpp / _win.cpp): the open lock, or why not (`refusal`
    // when another program holds it).
    Result<void> lockFile(const QString &path, const QString &refusal);
    static QString computerWideDirectory();
    void release();

    qintptr handle = -1; // the file descriptor or the Windows HANDLE while held
};

// The operator's message when another station holds the lock.
QString stationLockRefusal(qint32 caja, const QString &path);

} // namespace robot
