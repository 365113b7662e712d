#pragma once

#include <QString>
#include <QtGlobal>

// Keeps a second station with the same fiscal machine number off the same document database:
// an exclusive advisory lock on a file in the data directory, held for the whole run and
// released by the operating system if the station dies.
class StationLock {
public:
    StationLock() = default;
    StationLock(const StationLock &) = delete;
    StationLock &operator=(const StationLock &) = delete;
    ~StationLock();

    // On refusal `error` holds the operator message.
    bool acquire(const QString &dataDirectory, qint32 caja, QString *error);

private:
#ifdef Q_OS_WIN
    void *handle = nullptr;
#else
    int fd = -1;
#endif
};
