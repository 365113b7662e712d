#pragma once

#include <QString>
#include <QtGlobal>

namespace robot {

// How much an event of the log matters, shown as a word after the time: INFO (the station's
// normal course), AVISO (something went wrong that the station works around or waits out),
// ERROR (printing stopped or a person must act).
enum class LogLevel { Info, Aviso, Error };

// The station's own log for operators and support technicians: one line per event, in
// Spanish, rotated by size so an unattended station never fills its disk. Events go through
// Qt's logging category "robot.station", so QT_LOGGING_RULES applies to them and, once
// copyToJournal() is on, they also reach the system journal.
class StationLog {
public:
    explicit StationLog(const QString &path, qint64 maxBytes = 1024 * 1024, int keptFiles = 3);
    ~StationLog();
    StationLog(const StationLog &) = delete;
    StationLog &operator=(const StationLog &) = delete;
    void write(const QString &event) { add(LogLevel::Info, event); }
    void warning(const QString &event) { add(LogLevel::Aviso, event); }
    void error(const QString &event) { add(LogLevel::Error, event); }
    void add(LogLevel level, const QString &event);
    QString path() const { return file; }

    // Run as a service whose standard error the journal reads: every message of the program,
    // the station's and Qt's own, goes there as well, one line with its priority.
    static void copyToJournal(bool on);

    // A detail for the technician (an error's original English text, say) that the operator
    // is not shown: written as INFO to the log made last, if any.
    static void detail(const QString &text);

private:
    static void handleMessage(QtMsgType type, const QMessageLogContext &context,
                              const QString &message);
    void append(LogLevel level, const QString &event);
    void rotateIfNeeded();
    QString file;
    qint64 maxBytes;
    int keptFiles;
};

} // namespace robot
