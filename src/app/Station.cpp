#include "app/Station.h"

#include "app/ScheduledZReport.h"
#include "app/StatusPublisher.h"
#include "core/ExitCode.h"
#include "core/OperatorMessages.h"
#include "core/RetryDelay.h"
#include "core/StationFiles.h"
#include "core/StationLog.h"
#include "db/AccessRoute.h"
#include "db/DatabaseSettings.h"
#include "db/DocumentDatabase.h"
#include "db/DocumentStore.h"
#include "db/OdbcSource.h"
#include "db/ServerAddress.h"
#include "db/ZReportSettings.h"
#include "documents/PrintingProcedures.h"
#include "platform/TerminationRequest.h"
#include "printer/FiscalPrinter.h"
#include "printer/WatchedPrinter.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

namespace robot {

namespace {

// A journal or a database that cannot be opened yet: 1 s, then twice as long, at most a minute.
constexpr RetryDelay kOpenAgain{1000, 60000};

} // namespace

Result<Settings> startStation(const QString &directory) {
    const ConfigurationReading reading = LeeConfiguracion(StationFiles(directory).configuration());
    if (reading.outcome != ConfigurationReading::Outcome::Ok)
        return Failure{reading.message};
    Settings settings = reading.settings;
    settings.RutaAplicacion = directory;
    if (!ChequeoExistenciaArchivo(markerFilePath(settings)))
        return Failure{maintenanceMessage()};
    const Result<QString> location = documentDatabaseLocation(directory, settings.RutaBaseDatos);
    if (!location.ok())
        return Failure{location.error()};
    settings.RutaBaseDatos = location.value();
    const Result<AlertSettings> alerts = readAlertSettings(directory);
    if (!alerts.ok())
        return Failure{alerts.error()};
    settings.alerts = alerts.value();
    return settings;
}

QString stationStatusText(const Robot &robot, const ScheduledZReport &zReport) {
    const QString robotStatus = robot.statusText();
    const QString zStatus = zReport.statusText();
    if (robotStatus.isEmpty() || zStatus.isEmpty())
        return robotStatus + zStatus;
    return robotStatus + u' ' + zStatus;
}

Station::Station(const Settings &settings, OperatorMessages &messages, Clock &clock,
                 StationLog &log, std::unique_ptr<FiscalPrinter> printer)
    : stationSettings(settings), messages(messages), clock(clock), log(log),
      pendingSources(settings.RutaBaseDatos, settings.Caja),
      watchedPrinter(std::make_unique<WatchedPrinter>(
          std::move(printer),
          [this](const PrinterObservation &seen) { stationAlerts.notePrinter(seen); })),
      stationRobot(pendingSources, clock, log),
      stationAlerts(stationRobot, pendingSources, clock, log, settings.alerts.waitMinutes),
      alertCommand(settings.alerts, settings.Caja, log) {
    if (const Result<void> opened = printJournal.open(journalPath()); !opened.ok()) {
        journalError = opened.error();
        log.error(journalError);
    }
    printing = std::make_unique<PrintingProcedures>(
        PrintingContext{settings.RutaBaseDatos, settings.Caja, pendingSources, *watchedPrinter,
                        clock, stationRobot, log, printJournal});
    stationRobot.setPrinting(printing.get());
    QObject::connect(&pendingSources.session(), &ServerSession::documentsAnnounced, &stationRobot,
                     &Robot::wake);
    // The printing procedures only report; the front end's messages show.
    QObject::connect(&stationRobot, &Robot::operatorTold, &stationRobot,
                     [&messages](const QString &text, MessageIcon icon, const QString &caption) {
                         messages.show(text, icon, caption);
                     });
    QObject::connect(&stationAlerts, &StationAlerts::episode, &alertCommand,
                     [this](StationAlerts::Kind kind, bool starts, const QString &message) {
                         alertCommand.run(StationAlerts::name(kind), starts, message);
                     });
    const ZReportSchedule schedule = scheduledZReport(settings.RutaAplicacion);
    if (!schedule.message.isEmpty()) {
        log.error(schedule.message);
        messages.show(schedule.message, MessageIcon::Warning);
    }
    scheduledZ = std::make_unique<ScheduledZReport>(stationRobot, pendingSources, printJournal,
                                                    *watchedPrinter, messages, clock, log,
                                                    settings.Caja, schedule.hora);
    if (serverAddress(settings.RutaBaseDatos))
        status = std::make_unique<StatusPublisher>(stationRobot, pendingSources, *watchedPrinter,
                                                   settings.Caja, log);
    // An ODBC source's text is shown as written: its slashes are the driver's, not a path's.
    log.write(QStringLiteral("Estación iniciada: caja %1, base de datos %2.")
                  .arg(settings.Caja)
                  .arg(odbcSource(settings.RutaBaseDatos)
                           ? settings.RutaBaseDatos
                           : QDir::toNativeSeparators(settings.RutaBaseDatos)));
    // The Access driver is chosen here, once for the run.
    if (detectEngine(settings.RutaBaseDatos) == DatabaseEngine::Access)
        log.write(QStringLiteral("Base de datos: %1.")
                      .arg(databaseEngineDescription(settings.RutaBaseDatos)));
}

Station::~Station() {
    stationRobot.setPrinting(nullptr);
    log.write(QStringLiteral("Estación cerrada."));
}

void Station::endOnTerminationRequest() {
    platform::onTerminationRequest(&stationRobot, [this] {
        log.write(QStringLiteral("El sistema pide cerrar la estación: se cierra en cuanto "
                                 "termine el documento en curso."));
        stationRobot.closeWhenIdle();
    });
    QObject::connect(&stationRobot, &Robot::closed, &stationRobot, [this] {
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
    return StationFiles(stationSettings.RutaAplicacion).journal();
}

void Station::waitForJournal() {
    const int delayMs = kOpenAgain.afterFailures(journalFailures + 1);
    if (journalFailures++ == 0) {
        preparation.waiting = true;
        preparation.missing =
            journalError + QStringLiteral(" El robot no imprime mientras tanto y lo intentará "
                                          "de nuevo solo.");
        stationRobot.holdStopped(preparation.missing, true);
        messages.show(preparation.missing, MessageIcon::Critical);
    }
    QTimer::singleShot(delayMs, &stationRobot, [this] {
        if (const Result<void> opened = printJournal.open(journalPath()); !opened.ok()) {
            journalError = opened.error();
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
    const Result<std::optional<Row>> read =
        DocumentStore(stationSettings.RutaBaseDatos).configurationRecord();
    if (!read.ok()) {
        // Not incomplete: unreadable yet (a lock held by the back office, a share not back).
        const int delayMs = kOpenAgain.afterFailures(configurationFailures + 1);
        preparation.waiting = true;
        preparation.missing = QStringLiteral("No se pudo leer la configuración de la compañía: "
                                             "%1. Se intentará de nuevo.")
                                  .arg(read.error());
        if (configurationFailures++ == 0)
            stationRobot.holdStopped(preparation.missing, true);
        QTimer::singleShot(delayMs, &stationRobot, [this] { readConfiguration(); });
        return;
    }
    if (configurationFailures > 0)
        log.write(QStringLiteral("La configuración de la compañía se leyó tras %1 intentos.")
                      .arg(configurationFailures + 1));
    preparation = prepareFromConfiguration(read.value().value_or(Row()), read.value().has_value());
    if (!preparation.complete) {
        stationRobot.holdStopped(preparation.missing);
        messages.show(preparation.missing, MessageIcon::Critical);
        return;
    }
    printing->ModoCantidad = preparation.ModoCantidad;
    log.write(QStringLiteral("Configuración leída: RIF %1, modo de cantidad %2.")
                  .arg(preparation.rifDecorado)
                  .arg(preparation.ModoCantidad));
    // What a crash or a power cut left unfinished is settled before anything new is printed.
    printing->reconcile();
    pendingSources.RefrescaListas();
    // The robot starts only once its preparation is complete.
    stationRobot.startPrepared();
    if (whenPrepared)
        whenPrepared(preparation);
}

} // namespace robot
