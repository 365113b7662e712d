// What the program answers before and as it starts: the command line, a window without a
// display, the log's lines in its file and in the system journal, and the workstation check.

#include "app/ProgramActions.h"
#include "commands/CommandLine.h"
#include "core/StationLog.h"
#include "db/PrintJournal.h"
#include "platform/StationLock.h"
#include "support/StationProgram.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace robot;

namespace {

// action|headless|exitWhenIdle|dir|value ("station" for no action), or "!" and the problem.
QString summary(const robot::CommandLine &line) {
    if (!line.problem.isEmpty())
        return u'!' + line.problem;
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(line.action ? QLatin1String(line.action->name) : QLatin1String("station"))
        .arg(line.headless)
        .arg(line.exitWhenIdle)
        .arg(line.dir, line.value);
}

// Every file of the data directory by name, with its contents; the station lock alone may appear.
QMap<QString, QByteArray> snapshot(const QString &directory) {
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(directory).entryList(QDir::Files))
        if (QFile file(QDir(directory).filePath(name));
            !name.endsWith(QStringLiteral(".lock")) && file.open(QIODevice::ReadOnly))
            files.insert(name, file.readAll());
    return files;
}

// One of the tools built beside the tests, run to its end (a minute at most).
ProgramRun runTool(const QString &program, const QStringList &args,
                   const QProcessEnvironment &environment, const QString &workingDirectory = {}) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(QCoreApplication::applicationDirPath() + u'/' + program, args);
    if (!process.waitForFinished(60000))
        return {true, -1, {}, QStringLiteral("did not finish")};
    return {process.exitStatus() == QProcess::CrashExit, process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected"); // a summary, or "!" and how the problem starts
        const auto row = [](const char *name, const QStringList &args, const QString &expected) {
            QTest::newRow(name) << args << expected;
        };
        row("window", {}, "station|0|0||");
        row("headless", {"--headless", "--exit-when-idle", "--dir", "/srv/caja"},
            "station|1|1|/srv/caja|");
        row("values after =", {"--dir=/a b", "--query=8"}, "query|0|0|/a b|8");
        row("same action twice", {"--report-x", "--report-x"}, "report-x|0|0||");
        row("reprint", {"--allow-reprint", "nota:7"}, "allow-reprint|0|0||nota:7");
        row("short help", {"-h"}, "help|0|0||");
        row("unknown option", {"--bogus"}, "!Opción desconocida «--bogus»");
        row("stray argument", {"caja1"}, "!Argumento desconocido «caja1»");
        row("missing value at the end", {"--query"}, "!Falta el valor de --query (N)");
        // An option where the value should be is a forgotten value.
        row("missing value before an option", {"--dir", "--headless"},
            "!Falta el valor de --dir (DIR)");
        row("value on a flag", {"--headless=1"}, "!La opción --headless no lleva valor");
        row("query out of range", {"--query", "9"}, "!--query espera un número del 1 al 8");
        row("two actions", {"--report-z", "--open-drawer"}, "!Indique una sola acción");
        row("bad document", {"--allow-reprint", "boleta:7"}, "!Indique el documento");
        row("idle without headless", {"--exit-when-idle"}, "!--exit-when-idle solo sirve");
        row("reversed period", {"--conciliar", "--desde", "2026-12-09", "--hasta", "2026-12-01"},
            "!El período está al revés: --desde 2026-12-09 es posterior a --hasta 2026-12-01.");
        row("one-day period", {"--conciliar", "--desde", "2026-12-09", "--hasta", "2026-12-09"},
            "conciliar|0|0||");
    }

    void parse() {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        const QString got = summary(robot::parseCommandLine(args, robot::programActions()));
        QVERIFY2(expected.startsWith(u'!') ? got.startsWith(expected) : got == expected,
                 qPrintable(got));
    }

    // The time, then the level word; a line break in a message would split its line. A full
    // disk takes a line whole or not at all, never a fragment the next line is glued to.
    void logLines() {
        QTemporaryDir dir;
        StationLog log(dir.filePath(QStringLiteral("robot-fiscal.log")));
        log.write(QStringLiteral("uno"));
        log.warning(QStringLiteral("dos\ncon salto"));
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit full = saved;
        full.rlim_cur = rlim_t(QFileInfo(log.path()).size() + 10);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &full), 0);
        log.write(QStringLiteral("esta no cabe"));
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        log.error(QStringLiteral("tres"));
        QString text = readAll(log.path());
        text.replace(
            QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d "),
                               QRegularExpression::MultilineOption),
            QStringLiteral("T "));
        QCOMPARE(text, QStringLiteral("T INFO  uno\nT AVISO dos con salto\nT ERROR tres\n"));

        // Rotated by size.
        StationLog rotated(dir.filePath(QStringLiteral("rotado.log")), 200, 2);
        for (int i = 0; i < 40; ++i)
            rotated.write(QStringLiteral("Factura %1 impresa: cupón 000001, número Z 1.").arg(i));
        QVERIFY(QFile::exists(rotated.path() + QStringLiteral(".1")));
        QVERIFY(QFile::exists(rotated.path() + QStringLiteral(".2")));
        QVERIFY(!QFile::exists(rotated.path() + QStringLiteral(".3")));
        QVERIFY(QFileInfo(rotated.path()).size() <= 400);
    }

    // The real programs: refusals come before anything starts (no log, no abort, nothing on
    // paper), and where the service's standard error is the journal the log's lines go there
    // with their priority. printer-check and robot-fiscal-demo read their command lines as the
    // station does.
    void programs_data() {
        QTest::addColumn<QString>("program"); // empty: robot-fiscal on a demo data directory
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");   // found on standard output
        QTest::addColumn<QString>("err");   // found on standard error
        QTest::addColumn<QString>("found"); // in the station's log, or on a tool's paper roll
        const auto row = [](const char *name, const char *program, const QStringList &args,
                            const char *setup, int code, const char *out, const char *err,
                            const char *found) {
            QTest::newRow(name) << QString::fromUtf8(program) << args << QString::fromUtf8(setup)
                                << code << QString::fromUtf8(out) << QString::fromUtf8(err)
                                << QString::fromUtf8(found);
        };
        // Once an abort (134) without a display, and Qt's English with --headless.
        row("unknown option", "", {"--bogus"}, "no-display", 2, "", "Opción desconocida «--bogus»",
            "");
        // A window asked for where there is no display at all, or no usable platform.
        row("window without display", "", {}, "no-display", 2, "", "use robot-fiscal --headless",
            "");
        row("window on a missing platform", "", {}, "", 2, "", "QT_QPA_PLATFORM=no-such-platform",
            "");
        row("help", "", {"--help"}, "", 0, "--allow-reprint DOCUMENTO", "", "");
        row("version", "", {"--version"}, "", 0, "robot-fiscal 1.0", "", "");
        // A run that must end does not wait for a server that does not answer; its error in
        // Spanish, the original in the log.
        row("unreachable server", "", StationProgram::untilIdle(), "unreachable-server", 3, "",
            "El servidor de la base de datos no acepta conexiones",
            "INFO  Texto original del error: ");
        // [Avisos] alone names no server; a value of it that cannot be used refuses the start.
        row("bad alerts", "", {"--headless"}, "bad-alerts", 2, "",
            "«Minutos=cinco» de [Avisos] no es válido", "Minutos=cinco");
        // A computer that is no station: quiet at login, a plain refusal by hand.
        row("autostart without station", "", {"--autostart"}, "no-station", 0, "",
            "no tiene una estación de impresión fiscal configurada", "");
        row("no station", "", {"--headless"}, "no-station", 2, "", "Llame al técnico", "");
        // Beside a station of this caja an action that changes the printer is refused; one
        // that only asks it runs.
        row("drawer beside a station", "", {"--open-drawer"}, "station-lock", 2, "",
            "Ya hay una estación funcionando con la caja 1",
            " ERROR Inicio rechazado: Ya hay una estación funcionando con la caja 1");
        row("query beside a station", "", {"--query", "1"}, "station-lock", 0, "BE0908ZZ12345", "",
            "INFO  Prueba 1");
        row("journal", "", {"--headless"}, "journal-no-marker", 2, "",
            "<3>Inicio rechazado: El servidor parece estar en mantenimiento",
            " ERROR Inicio rechazado: El servidor parece estar en mantenimiento");
        // A help or a wrong option prints nothing and creates nothing.
        row("check help", "printer-check", {"--help"}, "", 0, "--print-coupon", "", "");
        row("check bogus", "printer-check", {"--bogus"}, "", 2, "", "Opción desconocida «--bogus»",
            "");
        row("check asks only", "printer-check", {}, "", 0, "Serie: BE0908ZZ12345", "", "");
        row("check coupon", "printer-check", {"--print-coupon"}, "", 0, "Cupón: 000001", "",
            "Articulo de prueba");
        row("demo help", "robot-fiscal-demo", {"--help"}, "", 0, "--server CONEXIÓN", "", "");
        row("demo bogus", "robot-fiscal-demo", {"demo", "--bogus"}, "", 2, "",
            "Opción desconocida «--bogus»", "");
        row("demo without directory", "robot-fiscal-demo", {}, "", 2, "", "Indique el directorio",
            "");
        row("demo", "robot-fiscal-demo", {"demo"}, "", 0, "Directorio de demostración listo", "",
            "");
    }

    void programs() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, setup);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, found);
        StationProgram station;
        StationLock otherStation;
        if (setup == QStringLiteral("station-lock"))
            QVERIFY(otherStation.acquire(station.dataDir + u'/', 1).ok());
        if (setup == QStringLiteral("no-display"))
            for (const char *variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                station.environment.remove(QLatin1String(variable));
        if (setup == QStringLiteral("unreachable-server") || setup == QStringLiteral("bad-alerts"))
            QVERIFY(writeFile(station.file(QStringLiteral("robot-fiscal.ini")),
                              setup == QStringLiteral("bad-alerts")
                                  ? "[Avisos]\nMinutos=cinco\n"
                                  : "[BaseDeDatos]\nMotor=postgresql\nServidor=127.0.0.1\n"
                                    "Puerto=1\nBase=tienda\nUsuario=robot\n"));
        if (setup == QStringLiteral("no-station")) {
            QVERIFY(QFile::remove(station.file(QStringLiteral("ImpresorFiscal.inf"))));
            station.environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                                       QStringLiteral("offscreen"));
        }
        if (setup == QStringLiteral("journal-no-marker")) {
            QVERIFY(
                QFile::remove(station.file(QStringLiteral("ActualizadorAlmacoraTerminal.inf"))));
            // As systemd does: standard error is the journal's stream, named by device and inode.
            station.errorFile = station.file(QStringLiteral("journal"));
            QFile(station.errorFile).open(QIODevice::WriteOnly);
            struct stat status {};
            QCOMPARE(stat(QFile::encodeName(station.errorFile).constData(), &status), 0);
            station.environment.insert(QStringLiteral("JOURNAL_STREAM"),
                                       QStringLiteral("%1:%2")
                                           .arg(qulonglong(status.st_dev))
                                           .arg(qulonglong(status.st_ino)));
        }
        QTemporaryDir work;
        ProgramRun run;
        if (program.isEmpty()) {
            run = station.run(args);
        } else {
            run = runTool(program, args, station.environment, work.path());
        }
        QVERIFY2(!run.crashed && run.exitCode == exitCode, qPrintable(run.out + run.err));
        QVERIFY2(run.out.contains(out), qPrintable(run.out));
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        const QString written = program.isEmpty()
                                    ? readAll(station.file(QStringLiteral("robot-fiscal.log")))
                                    : station.paper();
        QVERIFY2(found.isEmpty() ? written.isEmpty() : written.contains(found),
                 qPrintable(written));
        // Only the demo asked for is created; never a directory named after an option.
        QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 args == QStringList{QStringLiteral("demo")} ? args : QStringList());
    }

    // robot-fiscal-demo --vacia: the data directory of a station set up by hand passes the
    // check's data and database lines, with the company record given and nothing pending; it is
    // never made over a database that exists.
    void emptyDataDirectory() {
        StationProgram station;
        for (const char *name : {"Base de Datos.dba", "ActualizadorAlmacoraTerminal.inf"})
            QVERIFY(QFile::remove(station.file(QLatin1String(name))));
        const auto demo = [&station](const QStringList &args) {
            return runTool(QStringLiteral("robot-fiscal-demo"), args, station.environment);
        };
        const QStringList args = {QStringLiteral("--vacia"), station.dataDir,
                                  QStringLiteral("--rif"), QStringLiteral("J987654321")};
        const ProgramRun made = demo(args);
        QVERIFY2(!made.crashed && made.exitCode == 0, qPrintable(made.out + made.err));
        QVERIFY2(made.out.contains(QStringLiteral("Datos:%1/").arg(station.dataDir)),
                 qPrintable(made.out));

        const ProgramRun check = station.run({QStringLiteral("--check")});
        for (const QString &expected :
             {QStringLiteral("OK      Directorio de datos: "),
              QStringLiteral("OK      Base de datos: "),
              QStringLiteral("Documentos pendientes: 0 facturas y 0 notas de crédito esperan "
                             "impresión en la caja 1."),
              QStringLiteral("OK      Configuración de la compañía: RIF J-98765432-1")})
            QVERIFY2(check.out.contains(expected), qPrintable(check.out));

        const QMap<QString, QByteArray> before = snapshot(station.dataDir);
        const ProgramRun again = demo(args);
        QVERIFY2(again.exitCode == 4 && again.err.contains(QStringLiteral("no se toca")),
                 qPrintable(again.out + again.err));
        QCOMPARE(snapshot(station.dataDir), before);
    }

    // robot-fiscal --check on a demo data directory: a healthy directory and each way a
    // workstation can fail it, each named by its own check, with nothing printed and no file of
    // the station changed.
    void check_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("line");  // "FALLA Name" or "AVISO Name"; empty: all OK
        QTest::addColumn<QString>("found"); // in that line (or in the report when all pass)
        QTest::addColumn<QString>("inf");   // ImpresorFiscal.inf, %1 the data directory
        const auto row = [](const char *name, const char *line, const char *found,
                            const char *inf = "") {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(line)
                                << QString::fromUtf8(found) << QString::fromUtf8(inf);
        };
        row("healthy", "",
            "OK      Documentos pendientes: 2 facturas y 2 notas de crédito esperan impresión en "
            "la caja 1.");
        row("no marker", "FALLA Directorio de datos", "mantenimiento");
        // Never a lock problem, never "another station is using the printer".
        row("empty datos", "FALLA Directorio de datos", "no indica ninguna carpeta",
            "Datos:\r\nImpresora:BEMATECH\r\nPuerto:\r\n80Columnas:\r\nSerial:\r\nCaja:1");
        row("unreachable datos", "FALLA Directorio de datos", "no existe o no se puede abrir",
            "Datos:/no/existe/\r\n"
            "Impresora:BEMATECH\r\nPuerto:\r\n80Columnas:\r\nSerial:\r\nCaja:1");
        row("wrong printer type", "FALLA Archivo de configuración",
            "Se leyó «bematech». Qué hacer: Escriba Impresora:BEMATECH, en mayúsculas",
            "Datos:%1/\r\nImpresora:bematech\r\nPuerto:\r\n80Columnas:\r\nSerial:\r\nCaja:1");
        // Read as 0 at start-up: no document of this Caja could ever be listed.
        row("caja not a number", "FALLA Archivo de configuración",
            "Caja: «uno» no es un número entero: la estación usaría la caja 0",
            "Datos:%1/\r\nImpresora:BEMATECH\r\nPuerto:\r\n80Columnas:\r\nSerial:\r\nCaja:uno");
        row("caja without documents", "AVISO Documentos pendientes",
            "ningún documento de la caja 7",
            "Datos:%1/\r\nImpresora:BEMATECH\r\nPuerto:\r\n80Columnas:\r\nSerial:\r\nCaja:7");
        row("database missing", "FALLA Base de datos", "No se encuentra la base de datos");
        row("printer library missing", "FALLA Impresora", "/no/existe/libimpresora.so");
        row("paper-out", "FALLA Impresora",
            "Impresora: Status de la Impresora: 6,128,0; Fin de Papel; Coloque un rollo");
        row("paper-low", "AVISO Impresora", "Poco Papel");
        row("journal holds a document back", "FALLA Diario de impresión",
            "retiene 1 documento: factura 101, retenida");
        row("journal lost", "FALLA Diario de impresión", "--new-journal");
        row("journal damaged", "FALLA Diario de impresión", "El diario está dañado");
        // A running station is no fault of the workstation: its printer is left alone.
        row("lock held", "AVISO Bloqueo de la caja",
            "Ya hay una estación funcionando con la caja 1");
        row("printer in use", "FALLA Bloqueo de la caja",
            "La impresora fiscal de serie BE0908ZZ12345");
    }

    void check() {
        QFETCH(QString, setup);
        QFETCH(QString, line);
        QFETCH(QString, found);
        QFETCH(QString, inf);
        StationProgram station;
        const QString journalPath = station.file(QStringLiteral("robot-fiscal-diario.db"));
        StationLock otherStation;

        if (!inf.isEmpty()) {
            QVERIFY(writeFile(station.file(QStringLiteral("ImpresorFiscal.inf")),
                              inf.arg(station.dataDir).toUtf8() + "\r\n"));
        } else if (setup == QStringLiteral("no marker")) {
            QVERIFY(
                QFile::remove(station.file(QStringLiteral("ActualizadorAlmacoraTerminal.inf"))));
        } else if (setup.startsWith(QStringLiteral("paper-"))) {
            station.setFaults(setup);
        } else if (setup == QStringLiteral("journal damaged")) {
            QVERIFY(writeFile(journalPath, QByteArray(4096, 'x')));
        } else if (setup == QStringLiteral("database missing")) {
            QVERIFY(QFile::remove(station.file(QStringLiteral("Base de Datos.dba"))));
        } else if (setup == QStringLiteral("printer library missing")) {
            station.environment.insert(QStringLiteral("FISCAL_PRINTER_LIBRARY"),
                                       QStringLiteral("/no/existe/libimpresora.so"));
        } else if (setup.startsWith(QStringLiteral("journal"))) {
            PrintJournal journal;
            const Result<void> opened = journal.open(journalPath);
            QVERIFY2(opened.ok(), qPrintable(opened.error()));
            const qint64 id = journal.begin(DocumentKind::Factura, 101, 1, 0, 0).value();
            QVERIFY(journal.setState(id, PrintJournal::State::Unknown).ok());
        } else if (setup == QStringLiteral("lock held")) {
            const Result<void> held = otherStation.acquire(station.dataDir + u'/', 1);
            QVERIFY2(held.ok(), qPrintable(held.error()));
        } else if (setup == QStringLiteral("printer in use")) {
            // Another station directory on this printer: its lock lies in the program's TMPDIR.
            const auto restore = qScopeGuard([tmp = qgetenv("TMPDIR")] { qputenv("TMPDIR", tmp); });
            qputenv("TMPDIR", station.printerDir.toUtf8());
            const Result<void> held = otherStation.acquirePrinter(QStringLiteral("BE0908ZZ12345"),
                                                                  QStringLiteral("COM1"));
            QVERIFY2(held.ok(), qPrintable(held.error()));
        }
        if (setup == QStringLiteral("journal lost"))
            QVERIFY(QFile::remove(journalPath));
        const QMap<QString, QByteArray> before = snapshot(station.dataDir);

        const ProgramRun run = station.run({QStringLiteral("--check")});
        const bool fails = line.startsWith(QStringLiteral("FALLA"));
        QVERIFY2(run.exitCode == (fails ? 4 : 0), qPrintable(run.out + run.err));
        // One line for each of the eight checks, and a summary.
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 9);
        const QStringList failed = lines.filter(QRegularExpression(QStringLiteral("^FALLA ")));
        if (line.isEmpty()) {
            QCOMPARE(failed, QStringList());
            QVERIFY2(run.out.contains(found), qPrintable(run.out));
            QVERIFY2(run.out.contains(QStringLiteral("serie BE0908ZZ12345")), qPrintable(run.out));
        } else {
            // The one line that says what is wrong; nothing else fails.
            const QStringList said =
                lines.filter(QRegularExpression(u'^' + line.left(5) + QStringLiteral(" +") +
                                                QRegularExpression::escape(line.mid(6)) + u':'));
            QVERIFY2(said.size() == 1 && said[0].contains(found), qPrintable(run.out));
            QCOMPARE(failed.size(), fails ? 1 : 0);
        }
        // The summary names every warning, also beside a failure.
        const QString summary = lines.last();
        const QStringList warned = lines.filter(QRegularExpression(QStringLiteral("^AVISO ")));
        for (const QString &warning : warned)
            QVERIFY2(summary.contains(warning.mid(8).section(u':', 0, 0)), qPrintable(run.out));
        const QString verdict = fails              ? QStringLiteral("Falló 1 de 8")
                                : warned.isEmpty() ? QStringLiteral("Todo en orden")
                                                   : QStringLiteral("La estación puede funcionar, "
                                                                    "pero revise");
        QVERIFY2(summary.startsWith(verdict), qPrintable(summary));

        // Nothing on paper, and the data directory as it was: no record, journal or witness
        // written.
        QCOMPARE(station.paper(), QString());
        QCOMPARE(snapshot(station.dataDir), before);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
