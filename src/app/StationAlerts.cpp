#include "app/StationAlerts.h"

#include "core/Clock.h"
#include "core/StationLog.h"
#include "db/PendingSources.h"

namespace robot {

StationAlerts::StationAlerts(Robot &robot, const PendingSources &sources, Clock &clock,
                             StationLog &log, int waitMinutes, QObject *parent)
    : QObject(parent), robot(robot), sources(sources), clock(clock), log(log),
      waitMs(qint64(waitMinutes) * 60000), progressAt(clock.elapsedMs()) {
    connect(&robot, &Robot::stateChanged, this, &StationAlerts::robotChanged);
    connect(&robot, &Robot::tickFinished, this, &StationAlerts::tickFinished);
    // A stopped robot has no ticks, and its documents still wait.
    connect(&queueCheck, &QTimer::timeout, this, &StationAlerts::checkQueue);
    queueCheck.start(1000);
}

QString StationAlerts::name(Kind kind) {
    switch (kind) {
    case Kind::Failure:
        return QStringLiteral("falla");
    case Kind::HeldDocument:
        return QStringLiteral("documento-retenido");
    case Kind::Paper:
        return QStringLiteral("papel");
    case Kind::PrinterSilent:
        return QStringLiteral("impresora-sin-respuesta");
    case Kind::StalledQueue:
        return QStringLiteral("cola-detenida");
    }
    return {};
}

QString StationAlerts::title(Kind kind) {
    switch (kind) {
    case Kind::Failure:
        return QStringLiteral("Robot detenido por una falla");
    case Kind::HeldDocument:
        return QStringLiteral("Documento retenido");
    case Kind::Paper:
        return QStringLiteral("Papel de la impresora");
    case Kind::PrinterSilent:
        return QStringLiteral("La impresora no responde");
    case Kind::StalledQueue:
        return QStringLiteral("Documentos sin imprimir");
    }
    return {};
}

void StationAlerts::set(Kind kind, bool on, const QString &message) {
    bool &isOpen = open[std::size_t(kind)];
    if (isOpen == on)
        return;
    isOpen = on;
    // The guides' words for it, and the name the technician's command gets.
    const QString named = QStringLiteral("«%1» (%2)").arg(title(kind), name(kind));
    if (on)
        log.warning(QStringLiteral("Aviso %1: %2").arg(named, message));
    else
        log.write(QStringLiteral("Fin del aviso %1: %2").arg(named, message));
    emit episode(kind, on, message);
}

void StationAlerts::notePrinter(const PrinterObservation &seen) {
    set(Kind::PrinterSilent, !seen.answered,
        seen.answered ? QStringLiteral("La impresora responde de nuevo.")
                      : QStringLiteral("La impresora no responde: revise que esté encendida, "
                                       "con papel y conectada a la computadora."));
    if (!seen.statusRead)
        return;
    const bool wasOpen = open[std::size_t(Kind::Paper)];
    set(Kind::Paper, seen.paperLow || seen.paperOut,
        seen.paperOut   ? QStringLiteral("La impresora no tiene papel: coloque un rollo nuevo y "
                                           "cierre la tapa.")
        : seen.paperLow ? QStringLiteral("A la impresora le queda poco papel: tenga a mano un "
                                         "rollo nuevo y cámbielo pronto.")
                        : QStringLiteral("La impresora tiene papel de nuevo."));
    if (open[std::size_t(Kind::Paper)] != wasOpen)
        paperOutTold = seen.paperOut;
}

void StationAlerts::robotChanged() {
    const QString held = robot.heldNotice();
    set(Kind::HeldDocument, !held.isEmpty(),
        held.isEmpty() ? QStringLiteral("El diario de impresión ya no retiene documentos.") : held);
    // A failure whose cause is already told (no paper, no answer) is not a second episode;
    // paper told as low and now out is.
    if (robot.state() == Robot::State::StoppedAfterFailure && !paperOutTold &&
        !open[std::size_t(Kind::PrinterSilent)])
        set(Kind::Failure, true,
            robot.statusText() +
                QStringLiteral(" Revise la impresora y el documento; el robot sigue al pulsar "
                               "«Iniciar» (sin ventana, se reanuda solo)."));
}

void StationAlerts::tickFinished(Robot::TickOutcome outcome) {
    // Only a tick that printed, or found nothing to print, shows the robot working again.
    const bool working =
        robot.state() == Robot::State::Running &&
        (outcome == Robot::TickOutcome::Printed || outcome == Robot::TickOutcome::NothingPending);
    if (working) {
        progressAt = clock.elapsedMs();
        set(Kind::Failure, false, QStringLiteral("El robot imprime de nuevo."));
    }
    checkQueue();
}

void StationAlerts::checkQueue() {
    const bool waiting = !sources.invoices().isEmpty() || !sources.creditNotes().isEmpty();
    if (!waiting)
        progressAt = clock.elapsedMs();
    const bool stalled = waiting && clock.elapsedMs() - progressAt > waitMs;
    set(Kind::StalledQueue, stalled,
        stalled ? QStringLiteral("Hay documentos esperando desde hace más de %1 minutos sin que "
                                 "se imprima ninguno: revise el robot y la impresora.")
                      .arg(waitMs / 60000)
                : QStringLiteral("Los documentos pendientes se imprimen de nuevo."));
}

} // namespace robot
