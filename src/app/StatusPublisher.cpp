#include "app/StatusPublisher.h"

#include "app/Robot.h"
#include "core/StationLog.h"
#include "core/Version.h"
#include "db/PendingSources.h"
#include "printer/AnalizaRetorno.h"
#include "printer/FiscalPrinter.h"

#include <QSysInfo>

namespace robot {

namespace {

QString stateWord(const Robot &robot) {
    const Robot::State state = robot.state();
    if (state == Robot::State::StoppedAfterFailure)
        return QStringLiteral("detenido por falla");
    if (robot.documentsHeldBack())
        return QStringLiteral("documento retenido");
    if (state == Robot::State::StoppedByOperator || state == Robot::State::NotPrepared)
        return QStringLiteral("detenido");
    return robot.documentInProgress().isEmpty() ? QStringLiteral("en espera")
                                                : QStringLiteral("imprimiendo");
}

} // namespace

StatusPublisher::StatusPublisher(const Robot &robot, PendingSources &sources,
                                 FiscalPrinter &printer, qint32 caja, StationLog &log)
    : robot(robot), sources(sources), printer(printer), caja(caja), log(log) {
    signOfLife.setInterval(kSignOfLifeMs);
    connect(&signOfLife, &QTimer::timeout, this, [this] { publish(true); });
    signOfLife.start();
    connect(&robot, &Robot::stateChanged, this, &StatusPublisher::schedule);
    connect(&sources, &PendingSources::listsChanged, this, &StatusPublisher::schedule);
    printer.statusRead = [this](const PrinterStatus &status) {
        const QString seen = paperState(status);
        if (seen.isEmpty() || seen == paper)
            return;
        paper = seen;
        schedule();
    };
}

StatusPublisher::~StatusPublisher() {
    printer.statusRead = nullptr;
    lastMessage = QStringLiteral("Estación cerrada.");
    publish(true);
}

StationStatus StatusPublisher::current() const {
    StationStatus status;
    status.caja = caja;
    status.computer = QSysInfo::machineHostName();
    status.version = QLatin1String(kVersion);
    status.state = stateWord(robot);
    status.document = robot.documentInProgress();
    status.message = lastMessage;
    status.pending = int(sources.invoices().size() + sources.creditNotes().size());
    status.paper = paper;
    return status;
}

void StatusPublisher::schedule() {
    if (const QString text = robot.statusText(); !text.isEmpty())
        lastMessage = text;
    if (scheduled)
        return;
    scheduled = true;
    QTimer::singleShot(0, this, [this] {
        scheduled = false;
        publish(false);
    });
}

void StatusPublisher::publish(bool signOfLife) {
    const StationStatus status = current();
    if (!signOfLife && written && status.sameAs(last))
        return;
    ServerSession &session = sources.session();
    if (!session.connectedToServer())
        return; // the lists' own refresh tells of a lost server; the next sign of life writes
    if (const Result<void> wrote = writeStationStatus(session, status); !wrote.ok()) {
        if (!failing)
            log.warning(QStringLiteral("No se pudo escribir el estado de esta estación "
                                       "en el servidor: %1. La impresión sigue; se "
                                       "intentará de nuevo en %2 s.")
                            .arg(wrote.error())
                            .arg(kSignOfLifeMs / 1000));
        failing = true;
        return;
    }
    if (failing)
        log.write(QStringLiteral("El estado de esta estación se escribe de nuevo en el "
                                 "servidor."));
    failing = false;
    written = true;
    last = status;
    this->signOfLife.start(); // the next sign of life counts from this write
}

} // namespace robot
