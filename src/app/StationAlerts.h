#pragma once

#include "app/Robot.h"
#include "printer/WatchedPrinter.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>

namespace robot {

class PendingSources;
class Clock;
class StationLog;

// Watches for the moments an unattended station needs a person: the robot stopped by a
// failure, a document held back by the print journal, paper near its end or out, a printer
// that does not answer, documents waiting too long with none printed. Each is an episode,
// told once when it starts and once when it ends, however often the robot retries meanwhile.
class StationAlerts : public QObject {
    Q_OBJECT
public:
    enum class Kind { Failure, HeldDocument, Paper, PrinterSilent, StalledQueue };

    StationAlerts(Robot &robot, const PendingSources &sources, Clock &clock, StationLog &log,
                  int waitMinutes, QObject *parent = nullptr);

    // What a printer call answered (WatchedPrinter).
    void notePrinter(const PrinterObservation &seen);

    // The kind as the alert command receives it ("papel", ...), and as a title for the tray.
    static QString name(Kind kind);
    static QString title(Kind kind);

signals:
    void episode(StationAlerts::Kind kind, bool starts, const QString &message);

private:
    void robotChanged();
    void tickFinished(Robot::TickOutcome outcome);
    void checkQueue();
    void set(Kind kind, bool on, const QString &message);

    Robot &robot;
    const PendingSources &sources;
    Clock &clock;
    StationLog &log;
    const qint64 waitMs;
    QTimer queueCheck;
    qint64 progressAt = 0;     // the last time a document printed or none waited
    bool paperOutTold = false; // the paper episode started with no paper at all
    std::array<bool, 5> open{};
};

} // namespace robot
