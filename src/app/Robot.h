#pragma once

#include "documents/DocumentPrinting.h"
#include "documents/RobotControl.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace robot {

class PendingSources;
class Clock;
class StationLog;

// The robot cycle: Timer1 ticks once a second, refreshes both pending lists, waits half a
// second and prints at most one document, invoices first. Also holds the start/stop button's
// state (Command3 caption, Command10 enabled) so the window only mirrors it.
class Robot : public QObject, public RobotControl {
    Q_OBJECT
public:
    // NothingTaken: documents are pending but the first one may not be taken now (taken
    // already, or held back by the print journal).
    enum class TickOutcome { NothingPending, Printed, NothingTaken, RefreshFailed };
    enum class Status {
        Running,
        StoppedByOperator,
        StoppedAfterFailure,
        DatabaseUnreachable,
        NotPrepared
    };

    Robot(PendingSources &sources, Clock &clock, StationLog &log, QObject *parent = nullptr);

    void setPrinting(DocumentPrinting *printing) { procedures = printing; }

    void setTimerEnabled(bool enabled) override;
    bool timerEnabled() const override { return Timer1.isActive(); }
    void noteStoppedAfterFailure(const QString &summary) override;
    void noteJournal(const QString &notice, bool holdsPrinting) override;
    bool printingHeld() const { return journalHolds; }

    // Without an operator: starts a robot stopped by a failure again, taking the document
    // that failed first.
    void resumeAfterFailure();

    // The start/stop button: tests the timer, not the caption.
    void Command3_Click();
    QString command3Caption() const { return caption; }
    bool command10Enabled() const { return closeEnabled; }

    // Keeps the robot stopped until preparation is complete (first activation).
    // `waitingForDatabase`: not incomplete, only unreadable yet; the status line says why.
    void holdStopped(const QString &reason, bool waitingForDatabase = false);
    // The preparation completed after all: the hold is lifted (the robot is started apart).
    void releaseHold();

    Status status() const;
    // A few words for the operator; empty while simply running with nothing held back.
    QString statusText() const;

    void tick();
    // A document announced by the database server: the tick runs now instead of at the next
    // second, through the same path. Only while the robot runs; one that comes while a
    // document prints (the timer is off) waits until the printing ends.
    void wake();

    QTimer Timer1;

signals:
    void stateChanged();
    void tickFinished(Robot::TickOutcome outcome);
    void databaseProblem(const QString &error);
    void databaseRecovered();

private:
    QString robotStateText() const;

    PendingSources &sources;
    Clock &clock;
    StationLog &log;
    DocumentPrinting *procedures = nullptr;
    QString caption;
    bool closeEnabled = false;
    bool stoppedByOperator = false;
    QString databaseError;
    QString holdReason;
    bool holdIsWait = false;
    QString failureSummary;
    QString journalNotice;
    bool journalHolds = false;
    bool wokenWhileStopped = false;
};

} // namespace robot
