// Stations on one PostgreSQL server: several fiscal machines at once and a duplicate refused,
// a server restarted under a running station, and a document announced by the server printed
// without waiting for the tick.

#include "db/DatabaseSettings.h"
#include "db/PendingSources.h"
#include "support/PostgresServer.h"
#include "support/StationHarness.h"
#include "support/StationProgram.h"

#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace robot {

namespace {

// How many times each customer's document came out on a paper roll ("Cliente N" of the fixture).
QMap<int, int> printedCustomers(const QString &paper) {
    QMap<int, int> seen;
    static const QRegularExpression customer(QStringLiteral("Cliente (\\d+)\\b"));
    for (const auto &match : customer.globalMatch(paper))
        ++seen[match.captured(1).toInt()];
    return seen;
}

// Read on a fresh connection: the station's restarts must not depend on ours.
QString unmarked(const QString &address) {
    return DocumentFixture(address)
        .value(
            QStringLiteral("SELECT (SELECT count(*) FROM \"Ventas\" WHERE \"Control\" IS NULL) + "
                           "(SELECT count(*) FROM \"NotaCréditoVenta\" WHERE \"Control\" IS "
                           "NULL)"))
        .toString();
}

// A station's directory for `caja` on the server, with robot-fiscal.ini.
void writeStation(const QString &dir, int caja, const QString &address,
                  const QString &password = {}) {
    QString error;
    QVERIFY2(writeStationFiles(dir + u'/', caja, &error) &&
                 writeServerSettings(dir, *serverAddress(address), password, &error),
             qPrintable(error));
}

} // namespace

class TestPostgresStations : public QObject {
    Q_OBJECT

    std::unique_ptr<PostgresServer> server;

private slots:
    void initTestCase() {
        server = std::make_unique<PostgresServer>();
        QVERIFY2(server->problem().isEmpty(), qPrintable(server->problem()));
    }

    // Three fiscal machines print their own documents, each once, all at the same time; a
    // fourth station with a Caja already taken refuses to start, and the password from
    // robot-fiscal.ini reaches neither the log nor the screen.
    void threeStationsShareOneServer() {
        const QString address = server->createDocumentDatabase(QStringLiteral("tres_cajas"));
        QVERIFY2(!address.isEmpty(), qPrintable(server->problem()));
        DocumentFixture docs(address);
        docs.setConfiguration();
        QMap<int, int> expected[3]; // each document once, on its own machine's paper
        for (int caja = 1; caja <= 3; ++caja) {
            for (int k = 1; k <= 80; ++k) {
                docs.addInvoice(caja * 1000 + k, caja);
                docs.addInvoiceLine(caja * 1000 + k, 1, 1, 10 + k);
                expected[caja - 1][caja * 1000 + k] = 1;
            }
            for (int k = 1; k <= 20; ++k) {
                docs.addCreditNote(caja * 1000 + 500 + k, caja);
                expected[caja - 1][caja * 1000 + 500 + k] = 1;
            }
        }
        const QString password = QStringLiteral("clave-que-no-se-muestra");
        QTemporaryDir dirs[3], printers[3];
        std::unique_ptr<QProcess> running[3];
        for (int i = 0; i < 3; ++i) {
            writeStation(dirs[i].path(), i + 1, address, password);
            running[i] = StationProgram(dirs[i].path(), printers[i].path())
                             .start(StationProgram::untilIdle());
        }
        QTRY_VERIFY_WITH_TIMEOUT(!readPaper(printers[1].path()).isEmpty(), 120000);
        QTemporaryDir fourthDir, fourthPrinter;
        writeStation(fourthDir.path(), 2, address);
        const ProgramRun fourth =
            StationProgram(fourthDir.path(), fourthPrinter.path()).run(StationProgram::untilIdle());
        QCOMPARE(fourth.exitCode, 2);
        QVERIFY2(
            fourth.err.contains(QStringLiteral("Ya hay una estación funcionando con la caja 2")),
            qPrintable(fourth.err));

        for (int i = 0; i < 3; ++i) {
            QVERIFY(running[i]->waitForFinished(540000));
            const QString output = QString::fromUtf8(running[i]->readAll());
            QVERIFY2(running[i]->exitCode() == 0, qPrintable(output));
            const QString log = readAll(dirs[i].filePath(QStringLiteral("robot-fiscal.log")));
            QVERIFY(!log.contains(password) && !output.contains(password));
            QCOMPARE(printedCustomers(readPaper(printers[i].path())), expected[i]);
        }
        QCOMPARE(unmarked(address), QStringLiteral("0"));
        QCOMPARE(docs.value(QStringLiteral("SELECT count(*) FROM \"Ventas\" WHERE \"Impresa\" = -1 "
                                           "AND \"Imprimir\" = 0 AND \"Factura\" = \"Control\""))
                     .toInt(),
                 240);
    }

    // The server goes away twice while a station prints: once between documents, once while a
    // printed document is being marked. Nothing is lost, nothing comes out twice, and the log
    // shows each cut and the recovery.
    void serverRestartedUnderARunningStation() {
        const QString address = server->createDocumentDatabase(QStringLiteral("reinicio"));
        QVERIFY2(!address.isEmpty(), qPrintable(server->problem()));
        {
            DocumentFixture docs(address);
            docs.setConfiguration();
            for (int codigo = 1; codigo <= 6; ++codigo) {
                docs.addInvoice(codigo);
                docs.addInvoiceLine(codigo, 1, 1, 10);
            }
        }
        QTemporaryDir dir, printer;
        writeStation(dir.path(), 1, address);
        const StationProgram program(dir.path(), printer.path());
        // Slow printer calls: a document spends seconds on paper, with the database untouched.
        program.setFaults(QStringLiteral("delay 150"));
        const auto station = program.start({QStringLiteral("--headless")});
        const QString logPath = dir.filePath(QStringLiteral("robot-fiscal.log"));

        QTRY_VERIFY_WITH_TIMEOUT(printedCustomers(readPaper(printer.path())).contains(2), 120000);
        QVERIFY(server->stop());
        QTest::qWait(1500);
        QVERIFY(server->start());

        QTRY_VERIFY_WITH_TIMEOUT(printedCustomers(readPaper(printer.path())).contains(4), 120000);
        QVERIFY(server->stop());
        QTRY_VERIFY2_WITH_TIMEOUT(readAll(logPath).contains(QStringLiteral("aún no quedó marcada")),
                                  qPrintable(readAll(logPath)), 120000);
        QVERIFY(server->start());

        QTRY_VERIFY2_WITH_TIMEOUT(unmarked(address) == QStringLiteral("0"),
                                  qPrintable(readAll(logPath)), 180000);
        station->kill();
        station->waitForFinished();

        const QMap<int, int> once{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}};
        QCOMPARE(printedCustomers(readPaper(printer.path())), once);
        const QString log = readAll(logPath);
        for (const QString &event :
             {QStringLiteral("No se pudo consultar la base de datos: Se perdió la conexión"),
              QStringLiteral("La base de datos responde de nuevo."),
              QStringLiteral("factura 4 quedó marcada como impresa")})
            QVERIFY2(log.contains(event),
                     qPrintable(event + QStringLiteral(" — ") + log.right(700)));
    }

    // The fiscal machine's lock goes with the connection: after a restart it is taken again
    // before anything is listed, and a station that finds it taken meanwhile lists nothing.
    // (A Caja already taken refuses the fourth station above.)
    void lockTakenAgainAfterReconnection() {
        const QString address = server->createDocumentDatabase(QStringLiteral("bloqueo"));
        QVERIFY2(!address.isEmpty(), qPrintable(server->problem()));
        DocumentFixture(address).addInvoice(1);
        PendingSources first(address, 1), second(address, 1);
        QString refusal;
        QVERIFY(first.claimFiscalMachine(&refusal));

        QVERIFY(server->stop() && server->start());
        QVERIFY(second.claimFiscalMachine(&refusal));
        QVERIFY(!first.RefrescaListas()); // the cut
        QVERIFY(!first.RefrescaListas());
        QVERIFY2(first.lastError().contains(QStringLiteral("Otra estación tiene la caja 1")),
                 qPrintable(first.lastError()));
        QVERIFY(first.invoices().isEmpty());
        QVERIFY(second.RefrescaListas());
        QCOMPARE(second.invoices().size(), 1);
    }

    // With the tick an hour away, only the server's notice can start a document. One that
    // arrives while another document prints waits for that printing to end.
    void announcedDocumentsPrintWithoutTheTick() {
        const QString address = server->createDocumentDatabase(QStringLiteral("avisos"));
        QVERIFY2(!address.isEmpty(), qPrintable(server->problem()));
        StationHarness h(address);
        h.start();
        QVERIFY(h.station->robot.timerEnabled());
        h.station->robot.Timer1.setInterval(3600 * 1000);

        bool secondCommitted = false;
        h.printer->afterCall = [&](const QString &call) {
            if (secondCommitted || !call.startsWith(QStringLiteral("AbreComprobanteDeVentaEx")))
                return;
            secondCommitted = true;
            h.docs.addInvoice(2);
            h.docs.addInvoiceLine(2, 1, 1, 20);
            QTest::qWait(200); // the notice reaches the station while it prints
        };
        h.docs.addInvoice(1);
        h.docs.addInvoiceLine(1, 1, 1, 10);
        QTRY_COMPARE_WITH_TIMEOUT(h.paper().count(QStringLiteral(" CERRADO")), 2, 30000);

        // The second document opens only after the first one closed.
        QStringList steps =
            h.printer->callsTo(QStringLiteral("(?:AbreComprobanteDeVentaEx|FinalizarCierreCupon)"));
        for (QString &step : steps)
            step.truncate(step.indexOf(u'('));
        QCOMPARE(steps, (QStringList{QStringLiteral("AbreComprobanteDeVentaEx"),
                                     QStringLiteral("FinalizarCierreCupon"),
                                     QStringLiteral("AbreComprobanteDeVentaEx"),
                                     QStringLiteral("FinalizarCierreCupon")}));
        QVERIFY2(h.messages.texts().isEmpty(), qPrintable(h.messages.texts().join(u'\n')));
    }
};

} // namespace robot

QTEST_GUILESS_MAIN(robot::TestPostgresStations)
#include "test_postgres_stations.moc"
