// What the program answers before and as it starts: the command line, a window without a
// display, and the log's levels in its file and in the system journal.

#include "commands/CommandLine.h"
#include "core/StationLog.h"
#include "db/DocumentSchema.h"
#include "support/StationProgram.h"

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
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
