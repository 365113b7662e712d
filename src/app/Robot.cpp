#include "app/Robot.h"

#include "core/Clock.h"
#include "core/StationLog.h"
#include "db/PendingSources.h"

#include <utility>

namespace robot {

namespace {
const QString kDetener = QStringLiteral("Detener");
const QString kIniciar = QStringLiteral("Iniciar");
} // namespace

Robot::Robot(PendingSources &sources, Clock &clock, StationLog &log, QObject *parent)
    : QObject(parent), sources(sources), clock(clock), log(log), caption(kDetener) {
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &Robot::tick);
}

void Robot::setTimerEnabled(bool enabled) {
    if (enabled == Timer1.isActive())
        return;
    if (enabled) {
        if (!holdReason.isEmpty())
            return; // an incomplete preparation must never let the robot print
        failureSummary.clear();
        Timer1.start();
        if (std::exchange(wokenWhileStopped, false))
            QTimer::singleShot(0, this, &Robot::wake);
    } else {
        Timer1.stop();
    }
    emit stateChanged();
}

void Robot::noteStoppedAfterFailure(const QString &summary) {
    failureSummary = summary;
    log.error(QStringLiteral("Robot detenido: ") + summary);
    emit stateChanged();
}

void Robot::noteJournal(const QString &notice, bool holdsPrinting) {
    journalHolds = holdsPrinting;
    if (notice == journalNotice)
        return;
    journalNotice = notice;
    emit stateChanged();
}

void Robot::holdStopped(const QString &reason, bool waitingForDatabase) {
    holdReason = reason;
    holdIsWait = waitingForDatabase;
    Timer1.stop();
    log.error(QStringLiteral("Robot detenido: ") + reason);
    emit stateChanged();
}

void Robot::resumeAfterFailure() {
    if (status() != Status::StoppedAfterFailure)
        return;
    // As a restart of the program would: the document that failed is taken again, once the
    // print journal has settled whether any of it reached the paper.
    UltimoCodigo = 0;
    log.write(QStringLiteral("El robot se reanuda tras la falla."));
    setTimerEnabled(true);
}

void Robot::releaseHold() {
    holdReason.clear();
    emit stateChanged();
}

void Robot::Command3_Click() {
    if (Timer1.isActive()) {
        Timer1.stop();
        caption = kIniciar;
        closeEnabled = true;
        stoppedByOperator = true;
        log.write(QStringLiteral("Robot detenido por el operador."));
    } else {
        if (!holdReason.isEmpty())
            return;
        setTimerEnabled(true);
        caption = kDetener;
        closeEnabled = false;
        stoppedByOperator = false;
        log.write(QStringLiteral("Robot iniciado por el operador."));
    }
    emit stateChanged();
}

Robot::Status Robot::status() const {
    if (!holdReason.isEmpty())
        return Status::NotPrepared;
    if (!databaseError.isEmpty())
        return Status::DatabaseUnreachable;
    if (Timer1.isActive())
        return Status::Running;
    if (!failureSummary.isEmpty())
        return Status::StoppedAfterFailure;
    return Status::StoppedByOperator;
}

QString Robot::statusText() const {
    const QString state = robotStateText();
    if (journalNotice.isEmpty())
        return state;
    return state.isEmpty() ? journalNotice : state + u' ' + journalNotice;
}

QString Robot::robotStateText() const {
    switch (status()) {
    case Status::Running:
        return {};
    case Status::StoppedByOperator:
        return QStringLiteral("Robot detenido.");
    case Status::StoppedAfterFailure:
        return QStringLiteral("Robot detenido tras una falla: ") + failureSummary;
    case Status::DatabaseUnreachable:
        return QStringLiteral("Sin acceso a la base de datos: ") + databaseError;
    case Status::NotPrepared:
        return holdIsWait ? holdReason
                          : QStringLiteral("Robot detenido: configuración incompleta.");
    }
    return {};
}

void Robot::wake() {
    if (!Timer1.isActive()) {
        wokenWhileStopped = true;
        return;
    }
    // This tick stands for the next one: the timer counts its second again from now, so no
    // timer tick starts inside this one's wait and holds its printing back.
    Timer1.start();
    tick();
}

void Robot::tick() {
    if (!sources.RefrescaListas()) {
        // Reported once; the robot keeps ticking and says when the database answers again.
        // Another station that took this Caja meanwhile is worth its own line, once.
        const bool taken =
            sources.fiscalMachineTakenElsewhere() && databaseError != sources.lastError();
        if (databaseError.isEmpty() || taken) {
            databaseError = sources.lastError();
            log.error(QStringLiteral("No se pudo consultar la base de datos: ") + databaseError);
            emit databaseProblem(databaseError);
            emit stateChanged();
        }
        emit tickFinished(TickOutcome::RefreshFailed);
        return;
    }
    if (!databaseError.isEmpty()) {
        databaseError.clear();
        log.write(QStringLiteral("La base de datos responde de nuevo."));
        emit databaseRecovered();
        emit stateChanged();
    }
    clock.DelayMili(50);
    if (!sources.invoices().isEmpty() && procedures) {
        const bool taken = procedures->ImprimirFactura();
        emit tickFinished(taken ? TickOutcome::Printed : TickOutcome::NothingTaken);
    } else if (!sources.creditNotes().isEmpty() && procedures) {
        const bool taken = procedures->ImprimirNotaCredito();
        emit tickFinished(taken ? TickOutcome::Printed : TickOutcome::NothingTaken);
    } else {
        emit tickFinished(TickOutcome::NothingPending);
    }
}

} // namespace robot
