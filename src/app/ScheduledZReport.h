#pragma once

#include "commands/FiscalCommands.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QTime>
#include <QTimer>

namespace robot {

class Clock;
class OperatorMessages;
class PendingSources;
class PrintJournal;
class Robot;
class StationLog;

// [ReporteZ] Hora: at that time, with nothing pending and no coupon open, the station prints the
// day's Z report by itself. While documents are pending it waits for them, up to an hour, and
// then says that the Z is still to be made instead. Never twice for one day: the print journal
// remembers every Z the station made, the operator's too, across restarts.
class ScheduledZReport : public QObject {
    Q_OBJECT
public:
    // Off (nothing is checked) when `hora` is invalid. The robot holds back its documents
    // while the Z prints; the Z waits for the sources' pending documents and the journal's
    // unfinished ones, and records itself in the journal for `caja`.
    ScheduledZReport(Robot &robot, PendingSources &sources, PrintJournal &journal,
                     FiscalPrinter &printer, OperatorMessages &messages, const Clock &clock,
                     StationLog &log, qint32 caja, QTime hora);

    // Looks at the clock, and prints the Z when its time has come and nothing stands in the
    // way. Runs every 30 seconds on its own.
    void check();
    // The last scheduled Z, or why it is pending, in a line for the operator; empty before.
    QString statusText() const { return status; }

signals:
    void stateChanged();
    // The day's Z was not made at its time: `message` says why and what to do. Shown to the
    // operator and logged already; the one place for further alerts to hook into.
    void zReportPending(const QString &message);

private:
    // What keeps the Z from being made now; empty when nothing does.
    QString obstacle();
    void print(const QDate &day);
    void pending(const QDate &day, const QString &message);

    Robot &robot;
    PendingSources &sources;
    PrintJournal &journal;
    FiscalPrinter &printer;
    OperatorMessages &messages;
    const Clock &clock;
    StationLog &log;
    const QTime hora;
    FiscalCommands commands;
    QTimer timer;
    QDate settled; // the day whose Z is made, found made, or told as pending
    QDate watched; // the day whose Z this run waited for at its time
    QString waitingFor;
    QString status;
};

} // namespace robot
