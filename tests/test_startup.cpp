// What the program answers before and as it starts: the command line, a window without a
// display, the log's levels in its file and in the system journal, and the workstation check.

#include "commands/CommandLine.h"
#include "core/DocumentKind.h"
#include "core/StationLog.h"
#include "db/DocumentSchema.h"
#include "db/PrintJournal.h"
#include "platform/StationLock.h"
#include "support/StationProgram.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace robot;

namespace {

// action|headless|exitWhenIdle|dir|query|reprint, or "!" and the problem.
QString summary(const robot::CommandLine &line) {
    if (!line.problem.isEmpty())
        return u'!' + line.problem;
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(int(line.action))
        .arg(line.headless)
        .arg(line.exitWhenIdle)
        .arg(line.dir)
        .arg(line.query)
        .arg(line.action == Action::AllowReprint
                 ? describeDocument(line.reprintKind, line.reprintCodigo)
                 : QString());
}

// Every file of the data directory by name, with a digest of its contents.
QMap<QString, QByteArray> snapshot(const QString &directory) {
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(directory).entryList(QDir::Files)) {
        if (name.endsWith(QStringLiteral(".lock"))) // the station lock alone may appear
            continue;
        QFile file(QDir(directory).filePath(name));
        file.open(QIODevice::ReadOnly);
        files.insert(name, QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return files;
}

// In the order of the report.
const QStringList kChecks{QStringLiteral("Archivo de configuración"),
                          QStringLiteral("Directorio de datos"),
                          QStringLiteral("Base de datos"),
                          QStringLiteral("Documentos pendientes"),
                          QStringLiteral("Configuración de la compañía"),
                          QStringLiteral("Bloqueo de la caja"),
                          QStringLiteral("Impresora"),
                          QStringLiteral("Diario de impresión")};

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
        const auto of = [](Action action, const char *rest) {
            return QString::number(int(action)) + QString::fromUtf8(rest);
        };
        row("window", {}, of(Action::Station, "|0|0||0|"));
        row("headless", {"--headless", "--exit-when-idle", "--dir", "/srv/caja"},
            of(Action::Station, "|1|1|/srv/caja|0|"));
        row("values after =", {"--dir=/a b", "--query=8"}, of(Action::Query, "|0|0|/a b|8|"));
        row("same action twice", {"--report-x", "--report-x"}, of(Action::ReportX, "|0|0||0|"));
        row("reprint", {"--allow-reprint", "nota:7"},
            of(Action::AllowReprint, "|0|0||0|nota de crédito 7"));
        row("short help", {"-h"}, of(Action::Help, "|0|0||0|"));
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
    }

    void parse() {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        const QString got = summary(robot::parseCommandLine(args));
        QVERIFY2(expected.startsWith(u'!') ? got.startsWith(expected) : got == expected,
                 qPrintable(got));
    }

    void levelWordsAfterTheTime() {
        QTemporaryDir dir;
        StationLog log(dir.filePath(QStringLiteral("robot-fiscal.log")));
        log.write(QStringLiteral("uno"));
        log.warning(QStringLiteral("dos\ncon salto"));
        log.error(QStringLiteral("tres"));
        // The time, then the level word; a line break in a message would split its line.
        QString text = readAll(log.path());
        text.replace(
            QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d "),
                               QRegularExpression::MultilineOption),
            QStringLiteral("T "));
        QCOMPARE(text, QStringLiteral("T INFO  uno\nT AVISO dos con salto\nT ERROR tres\n"));
    }

    // The real program: refusals come before anything starts (no log, no abort), and where the
    // service's standard error is the journal the log's lines go there with their priority.
    void program_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // found on standard output
        QTest::addColumn<QString>("err"); // found on standard error
        QTest::addColumn<QString>("log"); // found in the log; empty: no log written
        const auto row = [](const char *name, const QStringList &args, const char *setup, int code,
                            const char *out, const char *err, const char *log) {
            QTest::newRow(name) << args << QString::fromUtf8(setup) << code
                                << QString::fromUtf8(out) << QString::fromUtf8(err)
                                << QString::fromUtf8(log);
        };
        // Once an abort (134) without a display, and Qt's English with --headless.
        row("unknown option", {"--bogus"}, "no-display", 2, "", "Opción desconocida «--bogus»", "");
        // A window asked for where there is no display at all, or no usable platform.
        row("window without display", {}, "no-display", 2, "", "use robot-fiscal --headless", "");
        row("window on a missing platform", {}, "", 2, "", "QT_QPA_PLATFORM=no-such-platform", "");
        row("help", {"--help"}, "", 0, "--allow-reprint DOCUMENTO", "", "");
        row("version", {"--version"}, "", 0, "robot-fiscal 1.0", "", "");
        row("journal", {"--headless"}, "journal-no-marker", 2, "",
            "<3>Inicio rechazado: El servidor parece estar en mantenimiento",
            " ERROR Inicio rechazado: El servidor parece estar en mantenimiento");
    }

    void program() {
        QFETCH(QStringList, args);
        QFETCH(QString, setup);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, log);
        StationProgram station;
        if (setup == QStringLiteral("no-display"))
            for (const char *variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                station.environment.remove(QLatin1String(variable));

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
        const ProgramRun run = station.run(args);
        QVERIFY2(!run.crashed && run.exitCode == exitCode, qPrintable(run.err));
        QVERIFY2(run.out.contains(out), qPrintable(run.out));
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        const QString logged = readAll(station.file(QStringLiteral("robot-fiscal.log")));
        QVERIFY2(log.isEmpty() ? logged.isEmpty() : logged.contains(log), qPrintable(logged));
    }

    // robot-fiscal --check on a demo data directory: a healthy directory and each way a
    // workstation can fail it, each named by its own check, with nothing printed and no file of
    // the station changed.
    void check_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("failing"); // the one check that fails; empty: all pass
        QTest::addColumn<QString>("found"); // in that check's line (or in the report when all pass)
        const auto row = [](const char *name, const char *failing, const char *found) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(failing)
                                << QString::fromUtf8(found);
        };
        row("healthy", "",
            "OK      Documentos pendientes: 2 facturas y 2 notas de crédito esperan impresión en "
            "la "
            "caja 1.");
        row("no marker", "Directorio de datos", "mantenimiento");
        row("wrong printer type", "Archivo de configuración", "tipo BEMATECH");
        row("database missing", "Base de datos", "No se encuentra la base de datos");
        row("printer library missing", "Impresora", "/no/existe/libimpresora.so");
        row("journal holds a document back", "Diario de impresión",
            "retiene 1 documento: factura 101, retenida");
        row("journal lost", "Diario de impresión", "--new-journal");
        row("lock held", "Bloqueo de la caja", "Ya hay una estación funcionando con la caja 1");
        row("printer in use", "Bloqueo de la caja", "La impresora fiscal de serie BE0908ZZ12345");
    }

    void check() {
        QFETCH(QString, setup);
        QFETCH(QString, failing);
        QFETCH(QString, found);
        StationProgram station;
        QString error;
        const QString journalPath = station.file(QStringLiteral("robot-fiscal-diario.db"));
        StationLock otherStation;

        if (setup == QStringLiteral("no marker")) {
            QVERIFY(
                QFile::remove(station.file(QStringLiteral("ActualizadorAlmacoraTerminal.inf"))));
        } else if (setup == QStringLiteral("wrong printer type")) {
            QFile config(station.file(QStringLiteral("ImpresorFiscal.inf")));
            QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
            config.write("Datos:" + station.dataDir.toUtf8() +
                         "/\r\nImpresora:bematech\r\nCaja:1\r\n");
        } else if (setup == QStringLiteral("database missing")) {
            QVERIFY(QFile::remove(station.file(QStringLiteral("Base de Datos.dba"))));
        } else if (setup == QStringLiteral("printer library missing")) {
            station.environment.insert(QStringLiteral("FISCAL_PRINTER_LIBRARY"),
                                       QStringLiteral("/no/existe/libimpresora.so"));
        } else if (setup.startsWith(QStringLiteral("journal"))) {
            PrintJournal journal;
            QVERIFY2(journal.open(journalPath, &error), qPrintable(error));
            const qint64 id = journal.begin(DocumentKind::Factura, 101, 1, 0, 0, &error);
            QVERIFY2(journal.setState(id, PrintJournal::State::Unknown, &error), qPrintable(error));
        } else if (setup == QStringLiteral("lock held")) {
            QVERIFY2(otherStation.acquire(station.dataDir + u'/', 1, &error), qPrintable(error));
        } else if (setup == QStringLiteral("printer in use")) {
            // Another station directory on this printer: its lock lies in the program's TMPDIR.
            const QByteArray tmp = qgetenv("TMPDIR");
            qputenv("TMPDIR", station.printerDir.toUtf8());
            const bool held = otherStation.acquirePrinter(QStringLiteral("BE0908ZZ12345"),
                                                          QStringLiteral("COM1"), &error);
            if (tmp.isEmpty())
                qunsetenv("TMPDIR");
            else
                qputenv("TMPDIR", tmp);
            QVERIFY2(held, qPrintable(error));
        }
        if (setup == QStringLiteral("journal lost"))
            QVERIFY(QFile::remove(journalPath));
        const QMap<QString, QByteArray> before = snapshot(station.dataDir);

        const ProgramRun run = station.run({QStringLiteral("--check")});
        QVERIFY2(run.exitCode == (failing.isEmpty() ? 0 : 4), qPrintable(run.out + run.err));
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        // One line per check, always in the same order, and a summary.
        QCOMPARE(lines.size(), kChecks.size() + 1);
        for (qsizetype i = 0; i < kChecks.size(); ++i)
            QVERIFY2(lines[i].mid(8).startsWith(kChecks[i] + u':'), qPrintable(lines[i]));
        const QStringList failures = lines.filter(QRegularExpression(QStringLiteral("^FALLA ")));
        if (failing.isEmpty()) {
            QCOMPARE(failures, QStringList());
            QVERIFY2(run.out.contains(found), qPrintable(run.out));
            QVERIFY2(run.out.contains(QStringLiteral("serie BE0908ZZ12345")), qPrintable(run.out));
        } else {
            QCOMPARE(failures.size(), 1);
            QVERIFY2(failures[0].mid(8).startsWith(failing + u':'), qPrintable(failures[0]));
            QVERIFY2(failures[0].contains(found), qPrintable(failures[0]));
        }

        // Nothing on paper, and the data directory as it was: no record, journal or witness
        // written.
        QCOMPARE(station.paper(), QString());
        QCOMPARE(snapshot(station.dataDir), before);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
