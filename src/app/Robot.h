#pragma once

#include "documents/DocumentPrinting.h"
#include "journal/RobotControl.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace robot {

class PendingSources;
class Clock;
class StationLog;

// The robot cycle: once a second it refreshes both pending lists, waits half a second and
// prints at most one document, invoices first. It has verbs and a state; the front ends turn
// the state into captions and enabled buttons.
//
// A tick never runs inside another: printer calls and waits let events through, so a second
// of the timer, a server's notice or a click can arrive in the middle of one. A notice is
// noted and makes one tick once the current one ends; an operator command that needs the
// printer (runCommand) waits for the document in progress and holds the robot meanwhile.
class Robot : public QObject, public RobotControl {
    Q_OBJECT
public:
    // NothingTaken: documents are pending but the first one may not be taken now (taken
    // already, or held back by the print journal).
    enum class TickOutcome { NothingPending, Printed, NothingTaken, RefreshFailed };
    enum class State {
        Running,
        StoppedByOperator,
        StoppedAfterFailure,
        DatabaseUnreachable, // still running: it says when the database answers again
        NotPrepared
    };

    Robot(PendingSources &sources, Clock &clock, StationLog &log, QObject *parent = nullptr);

    void setPrinting(DocumentPrinting *printing) { procedures = printing; }
    // A second; further apart where only a server's notice should start a tick.
    void setTickInterval(int ms) { timer.setInterval(ms); }

    State state() const;
    // Ticks will run: started and not stopped by the operator, a failure or the preparation.
    bool running() const { return started; }
    // A tick, or an operator command, is in progress or waiting.
    bool busy() const { return inTick || held || commandRunning || deferred; }
    // A few words for the operator; empty while simply running with nothing held back.
    QString statusText() const;
    // What the robot is doing, for an operator who looks at an idle or busy window: waiting,
    // the document it prints, a command it will run after it, what is pending.
    QString activityText() const;
    bool printingHeld() const { return journalHolds; }
    // What the print journal holds back, in a line for the operator; empty when nothing.
    QString heldNotice() const { return journalNotice; }
    // The print journal holds documents back for a person.
    bool documentsHeldBack() const { return !journalNotice.isEmpty(); }
    // The document being printed ("Factura 12"); empty between documents.
    QString documentInProgress() const { return inProgress; }

    // The operator's start and stop. A start after a failure takes the document that failed
    // again: the print journal settles first what the failure left on paper. A stop never
    // interrupts a document; it takes effect when the document ends.
    void startByOperator();
    void stopByOperator();
    // Without an operator: starts a robot stopped by a failure again, the same way.
    void resumeAfterFailure();
    // An operator command that uses the printer: run now, or in the middle of a document
    // right after it and before the next one; no tick starts while it runs. One asked for
    // while another runs or waits is dropped: a second click is not a second report.
    // `what` names it while it waits ("Reporte X"). False when it was dropped.
    bool runCommand(const std::function<void()> &command, const QString &what = {});
    // The command that waits for the document in progress; empty when none does.
    QString commandWaiting() const { return deferredWhat; }
    // No tick starts until released (the commands' HabilitaControles).
    void holdForCommand(bool hold);
    // The station is asked to end (the system's stop): no new tick; closed() once the tick or
    // command in progress is over.
    void closeWhenIdle();

    // Keeps the robot stopped until preparation is complete (first activation).
    // `waitingForDatabase`: not incomplete, only unreadable yet; the status line says why.
    void holdStopped(const QString &reason, bool waitingForDatabase = false);
    // The preparation completed: the hold is lifted and the robot starts.
    void startPrepared();

    void noteStoppedAfterFailure(const QString &summary) override;
    void noteJournal(const QString &notice, bool holdsPrinting) override;
    void noteDocumentTaken(const QString &document) override;
    // Passed on as operatorTold: the front end shows it.
    void tellOperator(const QString &text, MessageIcon icon, const QString &caption) override;

    // One cycle: refresh, half a second, at most one document. Does nothing while busy; while
    // stopped it only refreshes the lists, so that what the operator sees (and a Z report's
    // question) is never older than a second.
    void tick();
    // A document announced by the database server: a tick now instead of at the next second.
    // One that comes while the robot is busy or stopped makes one tick once it is free again.
    void wake();

signals:
    void stateChanged();
    void tickFinished(Robot::TickOutcome outcome);
    void databaseProblem(const QString &error);
    void databaseRecovered();
    // A message of the printing procedures for the operator, to be shown once.
    void operatorTold(const QString &text, robot::MessageIcon icon, const QString &caption);
    void closed();

private:
    void start();
    // The tick or command in progress is over: what was noted meanwhile runs now.
    void becameFree();
    void runDeferred();
    // Both lists read again; a failure is told once, and its end.
    bool refresh();
    TickOutcome printFirstPending();
    QString robotStateText() const;

    PendingSources &sources;
    Clock &clock;
    StationLog &log;
    DocumentPrinting *procedures = nullptr;
    QTimer timer;
    bool prepared = false;
    bool started = false;
    bool inTick = false;
    bool inProcedure = false;
    bool held = false;
    bool commandRunning = false;
    std::function<void()> deferred; // a command asked for in the middle of a document
    QString deferredWhat;
    bool wakeNoted = false;
    bool closing = false;
    QString databaseError;
    QString holdReason;
    bool holdIsWait = false;
    QString failureSummary;
    QString journalNotice;
    bool journalHolds = false;
    QString inProgress;
};

} // namespace robot
