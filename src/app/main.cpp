#include "app/AllowReprint.h"
#include "app/HeadlessRunner.h"
#include "app/Station.h"
#include "app/StationLock.h"
#include "app/StderrMessages.h"
#include "app/SystemClock.h"
#include "app/window/MessageBoxMessages.h"
#include "app/window/WindowFrontEnd.h"
#include "commands/CommandLineActions.h"
#include "core/StationLog.h"
#include "db/PrintJournal.h"
#include "printer/StationPrinter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>
#include <cstring>
#include <memory>

namespace {

bool wantsWindow(int argc, char **argv) {
    if (CommandLineActions::requested(argc, argv))
        return false;
    for (int i = 1; i < argc; ++i) {
        // The help must also be readable on a support terminal without a display.
        for (const char *plain :
             {"--headless", "--allow-reprint", "--new-journal", "--help", "--help-all", "-h", "-?"})
            if (std::strcmp(argv[i], plain) == 0)
                return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    const bool windowed = wantsWindow(argc, argv);
    std::unique_ptr<QCoreApplication> app = windowed
                                                ? std::make_unique<QApplication>(argc, argv)
                                                : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("robot-fiscal"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Robot de impresión de facturas fiscales (Bematech)."));
    parser.addHelpOption();
    const QCommandLineOption headless(QStringLiteral("headless"),
                                      QStringLiteral("Funciona sin ventana."));
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("Directorio de ImpresorFiscal.inf (por omisión, "
                                                "el del programa)."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption exitWhenIdle(
        QStringLiteral("exit-when-idle"),
        QStringLiteral("Con --headless: termina cuando no queda nada pendiente."));
    const QCommandLineOption reprint(
        QStringLiteral("allow-reprint"),
        QStringLiteral("Permite imprimir de nuevo un documento que el diario retiene porque la "
                       "impresora no pudo decir si salió (factura:N o nota:N)."),
        QStringLiteral("DOCUMENTO"));
    const QCommandLineOption newJournal(
        QStringLiteral("new-journal"),
        QStringLiteral("Confirma que el diario de impresión se perdió y empieza uno vacío: "
                       "revise antes el papel de los documentos que pudieran estar a medias."));
    parser.addOptions({headless, dir, exitWhenIdle, reprint, newJournal});
    const CommandLineActions actions(parser);
    parser.process(*app);
    if (const QString problem = actions.problem(); !problem.isEmpty()) {
        QTextStream(stderr) << problem << Qt::endl;
        return CommandLineActions::kExitUsage;
    }

    const QString directory =
        QDir(parser.isSet(dir) ? parser.value(dir) : QCoreApplication::applicationDirPath())
            .absolutePath();
    QDir::setCurrent(directory);

    if (parser.isSet(newJournal)) {
        QString error;
        const bool started = PrintJournal::startAfresh(
            QDir(directory).filePath(QStringLiteral("robot-fiscal-diario.db")), &error);
        QTextStream(started ? stdout : stderr)
            << (started ? QStringLiteral("Diario de impresión nuevo creado.") : error) << Qt::endl;
        return started ? 0 : 4;
    }

    if (parser.isSet(reprint)) {
        QTextStream out(stdout);
        return allowReprint(directory, parser.value(reprint), out);
    }

    StderrMessages stderrMessages;
    MessageBoxMessages boxMessages;
    OperatorMessages &messages =
        windowed ? static_cast<OperatorMessages &>(boxMessages) : stderrMessages;

    StationLog log(QDir(directory).filePath(QStringLiteral("robot-fiscal.log")));
    const StartupResult startup = startStation(directory);
    if (!startup.ok) {
        log.write(QStringLiteral("Inicio rechazado: ") + startup.message);
        messages.show(startup.message);
        return 2;
    }

    // A station printing on this fiscal machine must not meet a second one, nor a technician's
    // report or cancellation in the middle of its coupon.
    StationLock lock;
    if (!actions.chosen() || actions.changesPrinter()) {
        QString refusal;
        if (!lock.acquire(startup.settings.RutaDatos, startup.settings.Caja, &refusal)) {
            log.write(QStringLiteral("Inicio rechazado: ") + refusal);
            messages.show(refusal);
            return 2;
        }
    }

    if (actions.chosen()) {
        // One printer action for a support technician: no station, no robot, no database.
        const auto printer =
            robot::makeStationPrinter({}, &messages, [&log](const QString &l) { log.write(l); });
        QTextStream out(stdout);
        return actions.run(*printer, messages, out);
    }

    SystemClock clock;
    Station station(
        startup.settings, messages, clock, log,
        robot::makeStationPrinter({}, &messages, [&log](const QString &l) { log.write(l); }));
    // A lock file does not reach the other computers of a shared database server: there the
    // server itself keeps a second station with this Caja away.
    if (QString refusal; !station.sources.claimFiscalMachine(&refusal)) {
        log.write(QStringLiteral("Inicio rechazado: ") + refusal);
        messages.show(refusal);
        return 2;
    }
    if (!windowed)
        return runHeadless(station, parser.isSet(exitWhenIdle));
    return runWindowedStation(station);
}
