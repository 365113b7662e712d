// The operator commands on the virtual printer: the order of their steps, and the command-line
// actions of the built program run as a separate process on a demo data directory.
#include "commands/FiscalCommands.h"
#include "core/OperatorMessages.h"
#include "db/PrintJournal.h"
#include "printer/LibraryPrinter.h"
#include "support/RecordingPrinter.h"
#include "support/StationProgram.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace robot;

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

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void stepsHoldTheRobotAroundTheCall() {
        QTemporaryDir printerDir;
        qputenv("VIRTUAL_PRINTER_DIR", printerDir.path().toUtf8());
        RecordingPrinter printer(std::make_unique<LibraryPrinter>(virtualPrinterPath()));
        MessagesIntoCalls messages(printer.calls);
        FiscalCommands commands(printer, messages, [&printer](bool estado) {
            printer.calls << (estado ? QStringLiteral("enable") : QStringLiteral("disable"));
        });

        // A cancellation is recorded in the journal first, and put back when the printer refuses.
        PrintJournal journal;
        QString error;
        QVERIFY2(journal.open(printerDir.filePath(QStringLiteral("diario.db")), &error),
                 qPrintable(error));
        commands.recordCancellationsIn(&journal);

        QVERIFY(commands.CierreZ().succeeded());
        QVERIFY(printer.AbreComprobanteDeVentaEx(QStringLiteral("V1"), QStringLiteral("C"),
                                                 QStringLiteral("-")) == 1);
        QVERIFY(journal.begin(DocumentKind::Factura, 7, 1, 0, 0, &error) > 0);
        QVERIFY(commands.AnulaCupon().succeeded());
        QCOMPARE(journal.unfinished(nullptr).value().size(), 0); // cancelled: may print again
        QVERIFY(journal.begin(DocumentKind::Factura, 8, 1, 0, 0, &error) > 0);
        const CommandOutcome refused = commands.AnulaCupon();
        QVERIFY(refused.called);
        QCOMPARE(refused.code, short(-27));
        QCOMPARE(journal.unfinished(nullptr).value().size(), 1);
        QCOMPARE(journal.unfinished(nullptr).value().first().state, PrintJournal::State::Printing);
        QCOMPARE(
            printer.calls,
            (QStringList{QStringLiteral("disable"), QStringLiteral("ReduccionZ(|)"),
                         QStringLiteral("RetornoImpresora()"), QStringLiteral("enable"),
                         QStringLiteral("AbreComprobanteDeVentaEx(V1|C|-)"),
                         // A return code of 1 is checked against the printer's status too;
                         // "Listo." comes once the robot runs again.
                         QStringLiteral("disable"), QStringLiteral("AnulaCupon()"),
                         QStringLiteral("RetornoImpresora()"), QStringLiteral("enable"),
                         QStringLiteral("message[] Listo."),
                         // A refusal is shown while the robot is still held.
                         QStringLiteral("disable"), QStringLiteral("AnulaCupon()"),
                         QStringLiteral("RetornoImpresora()"),
                         QStringLiteral("message[Anula Cupon] Status de la Impresora: 6,0,4\r\n"
                                        "Cancelamiento no permitido\r"),
                         QStringLiteral("enable")}));

        qunsetenv("VIRTUAL_PRINTER_DIR");
    }

    void commandLineActions_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");   // how standard output starts
        QTest::addColumn<QString>("err");   // found on standard error
        QTest::addColumn<QString>("paper"); // found on the paper roll; "!text": not found there
        const auto row = [](const char *name, const char *setup, const QStringList &args, int code,
                            const char *out, const char *err, const char *paper) {
            QTest::newRow(name) << QString::fromUtf8(setup) << args << code
                                << QString::fromUtf8(out) << QString::fromUtf8(err)
                                << QString::fromUtf8(paper);
        };
        row("serial", "", {"--query=1"}, 0, "BE0908ZZ12345\n", "", "");
        row("report X", "", {"--report-x"}, 0, "Lectura X: ", "", "LECTURA X");
        row("report Z", "", {"--report-z"}, 0, "", "", "REDUCCIÓN Z N° 0001");
        row("drawer, headless", "", {"--open-drawer", "--headless"}, 0, "", "", "GAVETA ABIERTA");
        // Nothing open to cancel: the printer's answer on standard error, and a failure status.
        row("cancel refused", "", {"--cancel-coupon"}, 4,
            "Anula Cupon: ", "Cancelamiento no permitido", "");
        // The library answers 1 but the printer did not execute: never "correcto", never status 0.
        // (Lectura X takes the same path as the Z.)
        row("report Z not executed", "fault:ack21 Bematech_FI_ReduccionZ", {"--report-z"}, 4,
            "Reducción Z: no realizado", "Comando no ejecutado", "!REDUCCIÓN Z");
        row("drawer not executed", "fault:ack21 Bematech_FI_AccionaGaveta", {"--open-drawer"}, 4,
            "Abrir G: no realizado", "Comando no ejecutado", "");
        row("query not executed", "fault:ack21 Bematech_FI_NumeroReducciones", {"--query", "7"}, 4,
            "", "Comando no ejecutado", "");
        // The actions never open the document database.
        row("broken database", "broken-database", {"--query", "5"}, 0, "", "", "");
        // The library's path named, never thrown out of the command (queries: in gui_window).
        row("no library", "no-library", {"--cancel-coupon"}, 4, "Anula Cupon: no se pudo usar",
            "/no/existe/libimpresora.so", "");
    }

    void commandLineActions() {
        QFETCH(QString, setup);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, paper);
        StationProgram station;
        if (setup == QStringLiteral("broken-database")) {
            QFile database(station.file(QStringLiteral("Base de Datos.dba")));
            QVERIFY(database.open(QIODevice::WriteOnly | QIODevice::Truncate));
            database.write("not a database");
        } else if (setup == QStringLiteral("no-library")) {
            station.environment.insert(QStringLiteral("FISCAL_PRINTER_LIBRARY"),
                                       QStringLiteral("/no/existe/libimpresora.so"));
        } else if (setup.startsWith(QStringLiteral("fault:"))) {
            station.setFaults(setup.mid(6));
        }

        const ProgramRun run = station.run(args);
        QVERIFY2(run.exitCode == exitCode, qPrintable(run.err));
        QVERIFY2(out.isEmpty() || run.out.startsWith(out), qPrintable(run.out));
        if (out.endsWith(u'\n') || (out.isEmpty() && exitCode == 4))
            QCOMPARE(run.out, out);
        QVERIFY2(err.isEmpty() || run.err.contains(err), qPrintable(run.err));
        if (exitCode != 0)
            QVERIFY(!run.err.contains(QStringLiteral("Listo.")));
        if (paper.startsWith(u'!'))
            QVERIFY(!station.paper().contains(paper.mid(1)));
        else
            QVERIFY(paper.isEmpty() || station.paper().contains(paper));
        // The demo's pending invoices are never printed: no robot runs.
        QVERIFY(!station.paper().contains(QStringLiteral("CERRADO")));
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
