#include "app/HeadlessRunner.h"
#include "app/ProgramActions.h"
#include "app/Station.h"
#include "app/StationDirectory.h"
#include "app/StderrMessages.h"
#include "app/SystemClock.h"
#include "app/window/MessageBoxMessages.h"
#include "app/window/WindowFrontEnd.h"
#include "commands/CommandLine.h"
#include "commands/CommandLineActions.h"
#include "core/ExitCode.h"
#include "core/StationFiles.h"
#include "core/StationLog.h"
#include "core/Version.h"
#include "db/PendingSources.h"
#include "db/PrintJournal.h"
#include "platform/FilePermissions.h"
#include "platform/StationLock.h"
#include "platform/SystemJournal.h"
#include "platform/WindowSystem.h"
#include "printer/StationPrinter.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>
#include <memory>
#include <optional>

using namespace robot;

using robot::ExitCode;

namespace {

QStringList argumentsOf(int argc, char **argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// What the program can answer before anything starts: the command line itself and whether the
// window has somewhere to open. Empty when the run may start.
std::optional<ExitCode> answerFirst(const robot::CommandLine &line) {
    if (!line.problem.isEmpty()) {
        QTextStream(stderr) << line.problem
                            << QStringLiteral(" Las opciones se ven con robot-fiscal --help.")
                            << Qt::endl;
        return ExitCode::Refused;
    }
    if (line.action && line.action->needs == ActionNeeds::Nothing) {
        QTextStream out(stdout);
        return line.action->run({line, out});
    }
    if (line.windowed()) {
        if (const Result<void> display = robot::platform::displayAvailable(); !display.ok()) {
            QTextStream(stderr) << QStringLiteral("No se puede abrir la ventana: %1. Para que la "
                                                  "estación funcione sin ventana, use "
                                                  "robot-fiscal --headless.")
                                       .arg(display.error())
                                << Qt::endl;
            return ExitCode::Refused;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv) {
    robot::platform::keepNewFilesFromOthers();
    const robot::CommandLine line =
        robot::parseCommandLine(argumentsOf(argc, argv), robot::programActions());
    if (const std::optional<ExitCode> answer = answerFirst(line))
        return robot::exitStatus(*answer);

    std::unique_ptr<QCoreApplication> app = line.windowed()
                                                ? std::make_unique<QApplication>(argc, argv)
                                                : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("robot-fiscal"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(robot::kVersion));
    StationLog::copyToJournal(robot::platform::stderrIsJournal());
    if (line.windowed())
        MessageBoxMessages::loadQtSpanish();

    const QString directory = robot::stationDirectory(line.dir);
    QDir::setCurrent(directory);

    if (line.action && line.action->needs == ActionNeeds::Directory) {
        QTextStream out(stdout);
        return robot::exitStatus(line.action->run({line, out, directory}));
    }

    StderrMessages stderrMessages;
    MessageBoxMessages boxMessages;
    OperatorMessages &messages =
        line.windowed() ? static_cast<OperatorMessages &>(boxMessages) : stderrMessages;

    if (!line.action) {
        if (const Result<void> configured = stationConfigured(directory); !configured.ok()) {
            // At login on a computer that is no station: one line for whoever reads the
            // session's log, nothing on the screen.
            if (line.autostart) {
                QTextStream(stderr)
                    << QStringLiteral("robot-fiscal: ") << configured.error() << Qt::endl;
                return robot::exitStatus(ExitCode::Done);
            }
            messages.show(configured.error());
            return robot::exitStatus(ExitCode::Refused);
        }
    }

    StationLog log(StationFiles(directory).log());
    const Result<Settings> startup = startStation(directory);
    if (!startup.ok()) {
        log.error(QStringLiteral("Inicio rechazado: ") + startup.error());
        messages.show(startup.error());
        return robot::exitStatus(ExitCode::Refused);
    }

    // A station printing on this fiscal machine must not meet a second one, nor a technician's
    // report or cancellation in the middle of its coupon; nor may another station directory
    // that drives the same printer. Every action still here uses the printer.
    StationLock lock, printerLock;
    Result<void> locked;
    if (!line.action || line.action->changesPrinter())
        locked = lock.acquire(startup.value().RutaDatos, startup.value().Caja);
    if (locked.ok())
        locked =
            printerLock.acquirePrinter(startup.value().SerialImpresora, startup.value().Puerto);
    if (!locked.ok()) {
        log.error(QStringLiteral("Inicio rechazado: ") + locked.error());
        messages.show(locked.error());
        return robot::exitStatus(ExitCode::Refused);
    }

    const auto printerLog = [&log](LogLevel level, const QString &event) { log.add(level, event); };
    SystemClock clock;
    if (line.action) {
        // One printer action for a support technician: no station, no robot, no database.
        const auto printer = robot::makeStationPrinter({}, printerLog);
        // A cancellation is recorded in the station's journal so the document may print again,
        // and a report so the coupon number it took is explained.
        PrintJournal journal;
        if (const Result<void> opened = journal.open(StationFiles(directory).journal());
            !opened.ok())
            log.warning(opened.error());
        // A Z report counts what it would leave behind in the database as it stands now.
        PendingSources documents(startup.value().RutaBaseDatos, startup.value().Caja);
        const auto pendingNow = [&documents] { return documents.pendingNow(); };
        PrinterSession session{*printer, messages,  &journal, &log, startup.value().Caja,
                               &clock,   pendingNow};
        QTextStream out(stdout);
        return robot::exitStatus(line.action->run({line, out, directory, &session}));
    }

    Station station(startup.value(), messages, clock, log,
                    robot::makeStationPrinter({}, printerLog));
    // A lock file does not reach the other computers of a shared database server: there the
    // server itself keeps a second station with this Caja away.
    if (const Result<void> claimed = station.sources().session().claimFiscalMachine();
        !claimed.ok()) {
        log.error(QStringLiteral("Inicio rechazado: ") + claimed.error());
        messages.show(claimed.error());
        return robot::exitStatus(ExitCode::Refused);
    }
    if (!line.windowed())
        return runHeadless(station, messages, log, line.exitWhenIdle);
    return runWindowedStation(station, messages, clock, log);
}
