#include "app/Robot.h"

#include "core/Clock.h"
#include "core/StationLog.h"
#include "db/PendingSources.h"

#include <utility>

namespace robot {

Robot::Robot(PendingSources &sources, Clock &clock, StationLog &log, QObject *parent)
    : QObject(parent), sources(sources), clock(clock), log(log) {
    timer.setInterval(1000);
    connect(&timer, &QTimer::timeout, this, &Robot::tick);
}

Robot::State Robot::state() const {
    if (!prepared)
        return State::NotPrepared;
    // A stopped robot still reads the lists; that the database is away is then said beside
    // why it is stopped.
    if (!databaseError.isEmpty() && started)
        return State::DatabaseUnreachable;
    if (started)
        return State::Running;
    if (!failureSummary.isEmpty())
        return State::StoppedAfterFailure;
    return State::StoppedByOperator;
}

void Robot::start() {
    if (started || !prepared || closing)
        return; // an incomplete preparation must never let the robot print
    if (!failureSummary.isEmpty()) {
        failureSummary.clear();
        if (procedures)
            procedures->forgetLastTaken();
    }
    started = true;
    timer.start();
    emit stateChanged();
    becameFree();
}

void Robot::startByOperator() {
    if (started || !prepared || closing)
        return;
    start();
    log.write(QStringLiteral("Robot iniciado por el operador."));
}

void Robot::stopByOperator() {
    if (!started)
        return;
    started = false;
    log.write(QStringLiteral("Robot detenido por el operador."));
    emit stateChanged();
}

void Robot::resumeAfterFailure() {
    if (state() != State::StoppedAfterFailure)
        return;
    log.write(QStringLiteral("El robot se reanuda tras la falla."));
    start();
}

bool Robot::runCommand(const std::function<void()> &command, const QString &what) {
    if (commandRunning || deferred)
        return false;
    if (inProcedure) {
        deferred = command;
        deferredWhat = what;
        emit stateChanged(); // the operator is told at once that it will come
        return true;         // run when the tick ends
    }
    commandRunning = true;
    command();
    commandRunning = false;
    becameFree();
    return true;
}

void Robot::runDeferred() {
    if (inTick || held || commandRunning || !deferred)
        return;
    deferredWhat.clear();
    runCommand(std::exchange(deferred, nullptr));
}

void Robot::holdForCommand(bool hold) {
    if (hold == held)
        return;
    held = hold;
    if (!held)
        becameFree();
}

void Robot::closeWhenIdle() {
    if (closing)
        return;
    closing = true;
    started = false;
    timer.stop();
    emit stateChanged();
    becameFree();
}

void Robot::becameFree() {
    if (busy())
        return;
    if (closing) {
        emit closed();
        return;
    }
    if (!started) {
        emit stateChanged(); // a stop asked for in the middle of a document has taken effect
        return;
    }
    // From the event loop, never from inside the tick or command that just ended.
    if (wakeNoted)
        QTimer::singleShot(0, this, &Robot::wake);
}

void Robot::noteStoppedAfterFailure(const QString &summary) {
    failureSummary = summary;
    started = false;
    // Informative: whoever failed has logged the failure itself.
    log.write(QStringLiteral("Robot detenido: ") + summary);
    emit stateChanged();
}

void Robot::noteJournal(const QString &notice, bool holdsPrinting) {
    journalHolds = holdsPrinting;
    if (notice == journalNotice)
        return;
    journalNotice = notice;
    emit stateChanged();
}

void Robot::noteDocumentTaken(const QString &document) {
    inProgress = document;
    emit stateChanged();
}

void Robot::tellOperator(const QString &text, MessageIcon icon, const QString &caption) {
    emit operatorTold(text, icon, caption);
}

void Robot::holdStopped(const QString &reason, bool waitingForDatabase) {
    holdReason = reason;
    holdIsWait = waitingForDatabase;
    prepared = false;
    started = false;
    timer.stop();
    log.error(QStringLiteral("Robot detenido: ") + reason);
    emit stateChanged();
}

void Robot::startPrepared() {
    holdReason.clear();
    prepared = true;
    start();
}

QString Robot::statusText() const {
    const QString robotState = robotStateText();
    if (journalNotice.isEmpty())
        return robotState;
    return robotState.isEmpty() ? journalNotice : robotState + u' ' + journalNotice;
}

QString Robot::activityText() const {
    if (!prepared || closing)
        return {};
    if (deferred)
        return QStringLiteral("%1: se hará al terminar la %2.")
            .arg(deferredWhat, inProgress.toLower());
    if (!inProgress.isEmpty())
        return started ? QStringLiteral("Imprimiendo la %1.").arg(inProgress.toLower()) : QString();
    const qsizetype pending = sources.invoices().size() + sources.creditNotes().size();
    if (pending > 0)
        return pending == 1
                   ? QStringLiteral("Hay 1 documento pendiente de impresión.")
                   : QStringLiteral("Hay %1 documentos pendientes de impresión.").arg(pending);
    return started && databaseError.isEmpty()
               ? QStringLiteral("Esperando documentos: no hay nada pendiente.")
               : QString();
}

QString Robot::robotStateText() const {
    // Stopped by the operator in the middle of a document: the printer goes on until it ends.
    if (state() == State::StoppedByOperator && !closing && !inProgress.isEmpty())
        return QStringLiteral("Se detendrá al terminar la %1.").arg(inProgress.toLower());
    const QString databaseAway =
        databaseError.isEmpty()
            ? QString()
            : QStringLiteral(" Sin acceso a la base de datos: ") + databaseError;
    switch (state()) {
    case State::Running:
        return {};
    case State::StoppedByOperator:
        return QStringLiteral("Robot detenido.") + databaseAway;
    case State::StoppedAfterFailure:
        return QStringLiteral("Robot detenido tras una falla: ") + failureSummary + databaseAway;
    case State::DatabaseUnreachable:
        return QStringLiteral("Sin acceso a la base de datos: ") + databaseError;
    case State::NotPrepared:
        if (holdReason.isEmpty())
            return {}; // not prepared yet: the first activation comes
        return holdIsWait ? holdReason
                          : QStringLiteral("Robot detenido: configuración incompleta.");
    }
    return {};
}

void Robot::wake() {
    if (!started || busy()) {
        wakeNoted = true;
        return;
    }
    wakeNoted = false;
    // This tick stands for the next one: the timer counts its second again from now.
    timer.start();
    tick();
}

bool Robot::refresh() {
    if (!sources.RefrescaListas()) {
        // Reported once; the robot keeps ticking and says when the database answers again.
        // Another station that took this Caja meanwhile is worth its own line, once.
        const bool taken =
            sources.session().fiscalMachineTakenElsewhere() && databaseError != sources.lastError();
        if (databaseError.isEmpty() || taken) {
            databaseError = sources.lastError();
            log.error(QStringLiteral("No se pudo consultar la base de datos: ") + databaseError);
            emit databaseProblem(databaseError);
            emit stateChanged();
        }
        return false;
    }
    if (!databaseError.isEmpty()) {
        databaseError.clear();
        log.write(QStringLiteral("La base de datos responde de nuevo."));
        emit databaseRecovered();
        emit stateChanged();
    }
    return true;
}

void Robot::tick() {
    if (!prepared || closing || busy())
        return;
    inTick = true;
    if (!started) {
        refresh(); // prints nothing
        inTick = false;
        if (closing)
            becameFree(); // asked to end during the refresh
        return;
    }
    TickOutcome outcome = TickOutcome::RefreshFailed;
    if (refresh()) {
        clock.DelayMili(50);
        outcome = printFirstPending();
    }
    inTick = false;
    emit tickFinished(outcome);
    if (deferred)
        QTimer::singleShot(0, this, &Robot::runDeferred);
    else
        becameFree();
}

Robot::TickOutcome Robot::printFirstPending() {
    const bool invoice = !sources.invoices().isEmpty();
    if ((!invoice && sources.creditNotes().isEmpty()) || !procedures)
        return TickOutcome::NothingPending;
    // Stopped, or a command took the printer, during the wait: nothing is started.
    if (!started || held)
        return TickOutcome::NothingTaken;
    inProcedure = true;
    const bool taken = invoice ? procedures->ImprimirFactura() : procedures->ImprimirNotaCredito();
    inProcedure = false;
    if (!inProgress.isEmpty()) {
        inProgress.clear();
        emit stateChanged();
    }
    if (taken)
        refresh(); // the document just printed leaves the lists now, not a second later
    if (taken && started)
        timer.start(); // the next second counts from the document's end
    return taken ? TickOutcome::Printed : TickOutcome::NothingTaken;
}

} // namespace robot
