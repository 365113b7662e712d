// The operator commands on the virtual printer: the order of their steps, and the command-line
// actions of the built program run as a separate process on a demo data directory.
#include "commands/FiscalCommands.h"
#include "core/OperatorMessages.h"
#include "db/DocumentSchema.h"
#include "printer/LibraryPrinter.h"
#include "support/RecordingPrinter.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Operator messages written into the printer's call record, so one list shows the order of
// calls, messages and control switches.
class MessagesIntoCalls : public OperatorMessages {
public:
    explicit MessagesIntoCalls(QStringList &calls) : calls(calls) {}
    void show(const QString &text, MessageIcon, const QString &caption) override {
        calls << QStringLiteral("message[%1] %2").arg(caption, text);
    }
    QStringList &calls;
};

QString virtualPrinter() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libvirtual-fiscal-printer.so");
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// A demo data directory and a virtual printer of its own, for the program run as a process.
struct Installation {
    QTemporaryDir data;
    QTemporaryDir printer;
    QString error;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    bool create() {
        environment.insert(QStringLiteral("VIRTUAL_PRINTER_DIR"), printer.path());
        environment.remove(QStringLiteral("FISCAL_PRINTER_LIBRARY"));
        // A platform that does not exist: an action that built a QApplication would abort.
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        return data.isValid() && printer.isValid() && createDemoDirectory(data.path(), &error);
    }

    Run run(const QStringList &action) const {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/robot-fiscal"),
                      QStringList{QStringLiteral("--dir"), data.path()} + action);
        Run result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            result.err = QStringLiteral("did not finish: ") + process.errorString();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QString paper() const {
        QFile file(printer.filePath(QStringLiteral("paper.txt")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void stepsHoldTheRobotAroundTheCall();
    void commandLineActionsDriveThePrinter();
    void commandLineActionsThatCannotBeDone();
};

void TestCommands::stepsHoldTheRobotAroundTheCall() {
    QTemporaryDir printerDir;
    qputenv("VIRTUAL_PRINTER_DIR", printerDir.path().toUtf8());
    RecordingPrinter printer(std::make_unique<LibraryPrinter>(virtualPrinter()));
    MessagesIntoCalls messages(printer.calls);
    FiscalCommands commands(printer, messages, [&printer](bool estado) {
        printer.calls << (estado ? QStringLiteral("enable") : QStringLiteral("disable"));
    });

    QVERIFY(commands.CierreZ().succeeded());
    QVERIFY(commands.CierreX().succeeded());
    QVERIFY(commands.AbrirGaveta().succeeded());
    QVERIFY(printer.AbreComprobanteDeVentaEx(QStringLiteral("V1"), QStringLiteral("C"),
                                             QStringLiteral("-")) == 1);
    QVERIFY(commands.AnulaCupon().succeeded());
    const CommandOutcome refused = commands.AnulaCupon();
    QVERIFY(refused.called);
    QCOMPARE(refused.code, short(-27));
    QCOMPARE(
        printer.calls,
        (QStringList{QStringLiteral("disable"), QStringLiteral("ReduccionZ(|)"),
                     QStringLiteral("RetornoImpresora()"), QStringLiteral("enable"),
                     QStringLiteral("disable"), QStringLiteral("LecturaX()"),
                     QStringLiteral("RetornoImpresora()"), QStringLiteral("enable"),
                     QStringLiteral("disable"), QStringLiteral("AccionaGaveta()"),
                     QStringLiteral("enable"), QStringLiteral("AbreComprobanteDeVentaEx(V1|C|-)"),
                     // "Listo." comes once the robot runs again.
                     QStringLiteral("disable"), QStringLiteral("AnulaCupon()"),
                     QStringLiteral("enable"), QStringLiteral("message[] Listo."),
                     // A refusal is shown while the robot is still held.
                     QStringLiteral("disable"), QStringLiteral("AnulaCupon()"),
                     QStringLiteral("RetornoImpresora()"),
                     QStringLiteral("message[Anula Cupon] Status de la Impresora: 6,0,4\r\n"
                                    "Cancelamiento no permitido\r"),
                     QStringLiteral("enable")}));

    // A library that is not there: named to the operator, the controls back, nothing thrown.
    RecordingPrinter missing(std::make_unique<LibraryPrinter>(QStringLiteral("/no/existe/lib.so")));
    MessagesIntoCalls missingMessages(missing.calls);
    FiscalCommands withoutLibrary(missing, missingMessages, [&missing](bool estado) {
        missing.calls << (estado ? QStringLiteral("enable") : QStringLiteral("disable"));
    });
    QVERIFY(!withoutLibrary.AnulaCupon().called);
    QCOMPARE(missing.calls.size(), 4);
    QCOMPARE(missing.calls.at(1), QStringLiteral("AnulaCupon()"));
    QVERIFY(missing.calls.at(2).startsWith(QStringLiteral("message[Anula Cupon] ")));
    QVERIFY(missing.calls.at(2).contains(QStringLiteral("/no/existe/lib.so")));
    QCOMPARE(missing.calls.at(3), QStringLiteral("enable"));
    qunsetenv("VIRTUAL_PRINTER_DIR");
}

void TestCommands::commandLineActionsDriveThePrinter() {
    Installation station;
    QVERIFY2(station.create(), qPrintable(station.error));

    Run run = station.run({QStringLiteral("--query"), QStringLiteral("7")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("000000\n"));

    run = station.run({QStringLiteral("--report-x")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith(QStringLiteral("Lectura X: ")));
    QVERIFY(station.paper().contains(QStringLiteral("LECTURA X")));

    run = station.run({QStringLiteral("--report-z")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(station.paper().contains(QStringLiteral("REDUCCIÓN Z N° 0001")));
    run = station.run({QStringLiteral("--query=7")});
    QCOMPARE(run.out, QStringLiteral("000001\n"));
    run = station.run({QStringLiteral("--query"), QStringLiteral("1")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("BE0908ZZ12345\n"));

    run = station.run({QStringLiteral("--open-drawer"), QStringLiteral("--headless")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(station.paper().contains(QStringLiteral("GAVETA ABIERTA")));

    // Nothing open to cancel: the printer's answer on standard error, and a failure status.
    run = station.run({QStringLiteral("--cancel-coupon")});
    QCOMPARE(run.exitCode, 4);
    QVERIFY(run.err.contains(QStringLiteral("Cancelamiento no permitido")));
    QVERIFY(!run.err.contains(QStringLiteral("Listo.")));
    QVERIFY(run.out.startsWith(QStringLiteral("Anula Cupon: ")));

    // The demo's pending invoices were never printed: no robot ran.
    QVERIFY(!station.paper().contains(QStringLiteral("CERRADO")));
}

void TestCommands::commandLineActionsThatCannotBeDone() {
    Installation station;
    QVERIFY2(station.create(), qPrintable(station.error));

    QCOMPARE(station.run({QStringLiteral("--query"), QStringLiteral("9")}).exitCode, 1);
    QCOMPARE(station.run({QStringLiteral("--report-x"), QStringLiteral("--report-z")}).exitCode, 1);

    // The actions never open the document database.
    {
        QFile database(station.data.filePath(QStringLiteral("Base de Datos.dba")));
        QVERIFY(database.open(QIODevice::WriteOnly | QIODevice::Truncate));
        database.write("not a database");
    }
    QCOMPARE(station.run({QStringLiteral("--query"), QStringLiteral("5")}).exitCode, 0);

    Installation noLibrary;
    QVERIFY2(noLibrary.create(), qPrintable(noLibrary.error));
    noLibrary.environment.insert(QStringLiteral("FISCAL_PRINTER_LIBRARY"),
                                 QStringLiteral("/no/existe/libimpresora.so"));
    Run run = noLibrary.run({QStringLiteral("--report-z")});
    QCOMPARE(run.exitCode, 4);
    QVERIFY(run.err.contains(QStringLiteral("/no/existe/libimpresora.so")));
    run = noLibrary.run({QStringLiteral("--query"), QStringLiteral("4")});
    QCOMPARE(run.exitCode, 4);
    QVERIFY(run.err.contains(QStringLiteral("/no/existe/libimpresora.so")));
    QCOMPARE(run.out, QString());

    // Start-up refuses a server in maintenance before the printer is touched.
    QVERIFY(
        QFile::remove(station.data.filePath(QStringLiteral("ActualizadorAlmacoraTerminal.inf"))));
    run = station.run({QStringLiteral("--report-x")});
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.err.contains(QStringLiteral("mantenimiento")));
    QVERIFY(!station.paper().contains(QStringLiteral("LECTURA X")));
}

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
