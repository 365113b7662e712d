// What the operator is shown of the printer's answers (AnalizaRetorno), the operator commands on
// the virtual printer with the order of their steps, and the command-line actions of the built
// program run as a separate process on a demo data directory.
#include "commands/FiscalCommands.h"
#include "core/StationLog.h"
#include "db/PrintJournal.h"
#include "printer/AnalizaRetorno.h"
#include "printer/LibraryPrinter.h"
#include "support/InstantClock.h"
#include "support/RecordingMessages.h"
#include "support/RecordingPrinter.h"
#include "support/StationProgram.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace robot;

namespace {

// The result, how often the status was read, then each message as [icon|caption] text; the
// printer answers its status with the ACK, ST1 and ST2 given.
QString analiza(short ack, short st1, short st2, short code, const QString &mensaje = {},
                const QString &adicional = {}) {
    RecordingPrinter printer(std::make_unique<LibraryPrinter>(virtualPrinterPath()));
    printer.changeReply = [&](const QString &, robot::fiscal::RawCall &c) {
        c.ack = ack;
        c.st1 = st1;
        c.st2 = st2;
    };
    const ReplyAnalysis found = AnalizaRetorno(printer, mensaje, adicional, PrinterReply::of(code),
                                               QStringLiteral("Reducción Z"));
    QString out = QString(found.accepted ? "true" : "false") + " reads=" +
                  QString::number(printer.callsTo(QStringLiteral("RetornoImpresora")).size());
    const char *const icons[] = {"none", "info", "critical", "warning"};
    if (!found.text.isEmpty())
        out += QStringLiteral(" [%1|%2] %3")
                   .arg(QLatin1String(icons[int(found.icon)]), found.caption, found.text);
    return out;
}

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> printerDir;

private slots:
    void init() {
        printerDir = std::make_unique<QTemporaryDir>();
        qputenv("VIRTUAL_PRINTER_DIR", printerDir->path().toUtf8());
    }

    // A failed call never reads the status; a success shows only the caller's message; the
    // status bits become lines.
    void analizaRetorno() {
        QCOMPARE(analiza(6, 0, 0, 0, "extra"),
                 "false reads=0 [critical|Reducción Z] Error de comunicación con la impresora.");
        for (short code : {-28, -2, -1, 2, 32767})
            QCOMPARE(analiza(6, 0, 0, code, "extra"),
                     QStringLiteral("false reads=0 [critical|Reducción Z] La impresora no ejecutó "
                                    "el comando (código %1).")
                         .arg(code));
        // Success shows the caller's message only.
        for (short code : {1, -27}) {
            QCOMPARE(analiza(6, 0, 0, code, "", "ignorado"), "true reads=1");
            QCOMPARE(analiza(6, 0, 0, code, "Cupón ", "emitido"),
                     "true reads=1 [info|Reducción Z] Cupón emitido");
        }
        // ACK 21 wins over the bits and has the application's default caption.
        const QString ack21 = "false reads=1 [info|] Status de la Impresora: 21\r\nComando no "
                              "ejecutado";
        QCOMPARE(analiza(21, 128, 1, -27, "no mostrado"), ack21);
        QCOMPARE(analiza(21, 0, 0, 1), ack21);

        // Each weight reached is taken away before the next is compared; the caller's message
        // follows the list, MensajeAdicional is not part of an error.
        QCOMPARE(analiza(0, 0, 64, 1, "Etapa 2", "no"),
                 "false reads=1 [info|Reducción Z] Status de la Impresora: 0,0,64\r\nMemória "
                 "fiscal llena\r\r\nEtapa 2");
        // ST1 before ST2, each from 128 down; out of paper: a warning, and what to do.
        QCOMPARE(analiza(6, 129, 128, 1),
                 "false reads=1 [warning|Reducción Z] Status de la Impresora: 6,129,128\r\nFin "
                 "de Papel\rNúmero de parámetros inválidos en el comando\rTipo de Parámetro de "
                 "comando inválido\r\r\nColoque un rollo de papel nuevo y cierre la tapa de la "
                 "impresora.");
    }

    // The robot is held from before the first printer call until the outcome is settled: a
    // refusal is shown while it is held, "Listo." and the report's number once it runs again.
    void stepsHoldTheRobotAroundTheCall() {
        RecordingPrinter printer(std::make_unique<LibraryPrinter>(virtualPrinterPath()));
        RecordingMessages messages;
        messages.alsoInto = &printer.calls;
        FiscalCommands commands(printer, messages, [&printer](bool estado) {
            printer.calls << (estado ? QStringLiteral("enable") : QStringLiteral("disable"));
        });
        StationLog log(printerDir->filePath(QStringLiteral("robot-fiscal.log")));
        commands.logTo(&log);

        // A cancellation is recorded in the journal first, and put back when the printer refuses.
        PrintJournal journal;
        const Result<void> opened = journal.open(printerDir->filePath(QStringLiteral("diario.db")));
        QVERIFY2(opened.ok(), qPrintable(opened.error()));
        commands.recordCancellationsIn(&journal);
        InstantClock clock;
        commands.recordReportsIn(&journal, 1, clock);
        QVERIFY(commands.CierreX().succeeded());

        // Nothing pending, no coupon open: no question (pending documents: gui_window).
        QVERIFY(commands.CierreZPreguntando([] { return Result<qsizetype>(0); })->succeeded());
        QVERIFY(printer
                    .AbreComprobanteDeVentaEx(QStringLiteral("V1"), QStringLiteral("C"),
                                              QStringLiteral("-"))
                    .ok());
        // A coupon open, and a database that could not say what is pending, are asked about.
        QVERIFY(!commands.CierreZPreguntando(
            [] { return Result<qsizetype>(Failure{QStringLiteral("sin red")}); })); // "no"
        QVERIFY(journal.begin(DocumentKind::Factura, 7, 1, 0, 0).value() > 0);
        QVERIFY(commands.AnulaCupon().succeeded());
        QCOMPARE(journal.unfinished().value().size(), 0); // cancelled: may print again
        QVERIFY(journal.begin(DocumentKind::Factura, 8, 1, 0, 0).value() > 0);
        QCOMPARE(commands.AnulaCupon().code, short(-27));
        QCOMPARE(journal.unfinished().value().size(), 1);
        QCOMPARE(journal.unfinished().value().first().state, PrintJournal::State::Printing);
        // The status and counter queries aside (their order around a report: gui_window).
        static const QRegularExpression step(
            QStringLiteral("^(?!(NumeroCupon|NumeroReducciones|RetornoImpresora)\\()"));
        QCOMPARE(printer.calls.filter(step),
                 (QStringList{"disable",
                              "LecturaX()",
                              "enable",
                              "message[Lectura X] Reporte X hecho.",
                              "disable",
                              "disable",
                              "ReduccionZ(|)",
                              "enable",
                              "message[Reducción Z] Reducción Z número 1 hecha.",
                              "AbreComprobanteDeVentaEx(V1|C|-)",
                              "disable",
                              "ask[Reducción Z] No se pudo saber si hay documentos pendientes de "
                              "impresión (sin red) y un cupón abierto en la impresora. ¿Emitir la "
                              "reducción Z de todos modos?",
                              "enable",
                              "disable",
                              "AnulaCupon()",
                              "enable",
                              "message[] Listo.",
                              "disable",
                              "AnulaCupon()",
                              "message[Anula Cupon] Status de la Impresora: 6,0,4\r\nCancelamiento "
                              "no permitido\r",
                              "enable"}));
        // Each report made is in the journal with the printer's coupon counter around it (this
        // printer does not count reports as documents: neither took a number).
        const QList<JournalReport> reports = journalReports(journal).value();
        QCOMPARE(reports.size(), 2);
        QCOMPARE(reports[0].describe() + u'|' + reports[1].describe(),
                 QStringLiteral("lectura X|reducción Z número 1"));
        QVERIFY(reports[0].couponBefore == 0 && reports[1].couponAfter == 0);
        QCOMPARE(reports[1].at, clock.currentDateTime());

        // Every command leaves its outcome in the log, a refusal with the printer's words.
        const QString logged = readAll(log.path());
        for (const char *line :
             {"INFO  Reducción Z no emitida: No se pudo saber si hay documentos pendientes",
              "INFO  Reducción Z: hecha, número 1.", "INFO  Anula Cupon: hecho.",
              "AVISO Anula Cupon: no realizado (código de retorno -27). Status de la Impresora: "
              "6,0,4; Cancelamiento no permitido"})
            QVERIFY2(logged.contains(QString::fromUtf8(line)), qPrintable(logged));
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
        // The bridge dies after the printer made the report: its counter moved, so it is done;
        // with the counter unreadable too, nobody can say, and the status says so.
        row("report Z, bridge died", "bridge:crash Bematech_FI_ReduccionZ", {"--report-z"}, 0,
            "Reducción Z: hecha, número 1.", "contador muestra la reducción Z número 1",
            "REDUCCIÓN Z N° 0001");
        row("report Z, nobody knows",
            "bridge:crash Bematech_FI_ReduccionZ\ncrash Bematech_FI_NumeroReducciones 2",
            {"--report-z"}, 5, "Reducción Z: no se sabe", "Revise el papel", "REDUCCIÓN Z N° 0001");
        row("drawer, headless", "", {"--open-drawer", "--headless"}, 0, "", "", "GAVETA ABIERTA");
        // The library answers 1 but the printer did not execute: never "correcto", never status 0.
        // (Lectura X takes the same path as the Z.)
        row("report Z not executed", "fault:ack21 Bematech_FI_ReduccionZ", {"--report-z"}, 4,
            "Reducción Z: no realizado", "Comando no ejecutado", "!REDUCCIÓN Z");
        // Documents still to print, read when asked; nobody at a terminal answers yes.
        row("report Z, documents pending", "pending", {"--report-z"}, 4, "Reducción Z no emitida.",
            "Hay 4 documentos pendientes de impresión", "!REDUCCIÓN Z");
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
        if (args.contains(QStringLiteral("--report-z")) && setup != QStringLiteral("pending")) {
            // The demo's documents printed already: a Z with nothing left behind asks nothing.
            const QString name = QString::fromLatin1(QTest::currentDataTag());
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
                db.setDatabaseName(station.file(QStringLiteral("Base de Datos.dba")));
                QVERIFY(db.open());
                for (const char16_t *table : {u"Ventas", u"NotaCréditoVenta"})
                    QVERIFY(QSqlQuery(db).exec(QStringLiteral("UPDATE %1 SET Imprimir = 0")
                                                   .arg(QString::fromUtf16(table))));
            }
            QSqlDatabase::removeDatabase(name);
        }
        if (setup == QStringLiteral("broken-database")) {
            QVERIFY(writeFile(station.file(QStringLiteral("Base de Datos.dba")), "not a database"));
        } else if (setup == QStringLiteral("no-library")) {
            station.environment.insert(QStringLiteral("FISCAL_PRINTER_LIBRARY"),
                                       QStringLiteral("/no/existe/libimpresora.so"));
        } else if (setup.startsWith(QStringLiteral("fault:"))) {
            station.setFaults(setup.mid(6));
        } else if (setup.startsWith(QStringLiteral("bridge:"))) {
            station.environment.insert(QStringLiteral("FISCAL_PRINTER_BRIDGE"),
                                       QStringLiteral(BRIDGE_PATH));
            station.setFaults(setup.mid(7));
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
