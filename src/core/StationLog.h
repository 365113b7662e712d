#pragma once

#include <QString>

// The station's own log for operators and support technicians: one line per event, in
// Spanish, rotated by size so an unattended station never fills its disk.
class StationLog {
public:
    explicit StationLog(const QString &path, qint64 maxBytes = 1024 * 1024, int keptFiles = 3);
    void write(const QString &event);
    QString path() const { return file; }

private:
    void rotateIfNeeded();
    QString file;
    qint64 maxBytes;
    int keptFiles;
};
