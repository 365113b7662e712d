#include "app/Station.h"

#include "app/StatusPublisher.h"
#include "core/ExitCode.h"
#include "core/OperatorMessages.h"
#include "core/StationFiles.h"
#include "core/StationLog.h"
#include "db/DatabaseSettings.h"
#include "db/ServerAddress.h"
#include "documents/PrintingProcedures.h"
#include "platform/TerminationRequest.h"
#include "printer/FiscalPrinter.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <algorithm>

namespace robot {

StartupResult startStation(const QString &directory) {
    StartupResult result;
    const ConfigurationReading reading = LeeConfiguracion(StationFiles(directory).configuration());
    if (reading.outcome != ConfigurationReading::Outcome::Ok) {
        result.message = reading.message;
        return result;
    }
    result.settings = reading.settings;
    result.settings.RutaAplicacion = directory;
    if (!ChequeoExistenciaArchivo(markerFilePath(result.settings))) {
        result.message = maintenanceMessage();
        return result;
    }
    const robot::DatabaseLocation location =
        robot::documentDatabaseLocation(directory, result.settings.RutaBaseDatos);
    if (!location.ok) {
        result.message = location.message;
        return result;
    }
    result.settings.RutaBaseDatos = location.rutaBaseDatos;
    result.ok = true;
    return result;
}

Station::Station(const Settings &settings, OperatorMessages &messages, Clock &clock,
                 StationLog &log, std::unique_ptr<FiscalPrinter> printer)
    : settings(settings), messages(messages), clock(clock), log(log),
      sources(settings.RutaBaseDatos, settings.Caja), printer(std::move(printer)),
      robot(sources, clock, log) {
    if (!journal.open(journalPath(), &journalError))
        log.error(journalError);
    printing = std::make_unique<PrintingProcedures>(
        PrintingContext{settings.RutaBaseDatos, settings.Caja, sources, *this->printer, messages,
                        clock, robot, log, journal});
    robot.setPrinting(printing.get());
    QObject::connect(&sources, &PendingSources::documentsAnnounced, &robot, &Robot::wake);
    if (serverAddress(settings.RutaBaseDatos))
        status = std::make_unique<StatusPublisher>(*this);
    log.write(QStringLiteral("Estación iniciada: caja %1, base de datos %2.")
                  .arg(settings.Caja)
                  .arg(QDir::toNativeSeparators(settings.RutaBaseDatos)));
}

Station::~Station() {
    robot.setPrinting(nullptr);
    log.write(QStringLiteral("Estación cerrada."));
}

void Station::endOnTerminationRequest() {
    platform::onTerminationRequest(&robot, [this] {
        log.write(QStringLiteral("El sistema pide cerrar la estación: se cierra en cuanto "
                                 "termine el documento en curso."));
        robot.closeWhenIdle();
    });
    QObject::connect(&robot, &Robot::closed, &robot, [this] {
        endDone = true;
        QCoreApplication::exit(exitStatus(ExitCode::Done));
    });
}

const Preparation &Station::prepare() {
    if (firstActivationDone)
        return preparation;
    firstActivationDone = true;
    if (!journalReady()) {
        waitForJournal();
        return preparation;
    }
    readConfiguration();
    return preparation;
}

QString Station::journalPath() const {
    return StationFiles(settings.RutaAplicacion).journal();
}

void Station::waitForJournal() {
    const int delayMs = std::min(60000, 1000 << std::min(journalFailures, 6));
    if (journalFailures++ == 0) {
        preparation.waiting = true;
        preparation.missing =
            journalError + QStringLiteral(" El robot no imprime mientras tanto y lo intentará "
                                          "de nuevo solo.");
        robot.holdStopped(preparation.missing, true);
        messages.show(preparation.missing, MessageIcon::Critical);
    }
    QTimer::singleShot(delayMs, &robot, [this] {
        if (!journal.open(journalPath(), &journalError)) {
            waitForJournal();
            return;
        }
        journalError.clear();
        log.write(QStringLiteral("El diario de impresión se abrió tras %1 intentos.")
                      .arg(journalFailures + 1));
        readConfiguration();
    });
}

void Station::readConfiguration() {
    const ConfigurationRead read = sources.configurationRecord();
    if (read.outcome == ConfigurationRead::Outcome::Failed) {
        // Not incomplete: unreadable yet (a lock held by the back office, a share not back).
        const int delayMs = std::min(60000, 1000 << std::min(configurationFailures, 6));
        preparation.waiting = true;
        preparation.missing = QStringLiteral("No se pudo leer la configuración de la compañía: "
                                             "%1. Se intentará de nuevo.")
                                  .arg(read.error);
        if (configurationFailures++ == 0)
            robot.holdStopped(preparation.missing, true);
        QTimer::singleShot(delayMs, &robot, [this] { readConfiguration(); });
        return;
    }
    if (configurationFailures > 0)
        log.write(QStringLiteral("La configuración de la compañía se leyó tras %1 intentos.")
                      .arg(configurationFailures + 1));
    preparation =
        prepareFromConfiguration(read.row, read.outcome == ConfigurationRead::Outcome::Read);
    if (!preparation.complete) {
        robot.holdStopped(preparation.missing);
        messages.show(preparation.missing, MessageIcon::Critical);
        return;
    }
    printing->ModoCantidad = preparation.ModoCantidad;
    log.write(QStringLiteral("Configuración leída: RIF %1, modo de cantidad %2.")
                  .arg(preparation.rifDecorado)
                  .arg(preparation.ModoCantidad));
    // What a crash or a power cut left unfinished is settled before anything new is printed.
    printing->reconcile();
    sources.RefrescaListas();
    // The robot starts only once its preparation is complete.
    robot.startPrepared();
    if (whenPrepared)
        whenPrepared(preparation);
}

} // namespace robot
