// The document database: the pending queries on SQLite, on PostgreSQL and through ODBC; then
// stations on one PostgreSQL server: several fiscal machines at once and a duplicate refused, a
// server restarted under a running station, and a document announced by the server printed
// without waiting for the tick.

#include "app/Robot.h"
#include "core/StationLog.h"
#include "db/DatabaseSettings.h"
#include "db/DocumentDatabase.h"
#include "db/DocumentStore.h"
#include "db/PendingSources.h"
#include "db/Statements.h"
#include "demo/DemoData.h"
#include "support/InstantClock.h"
#include "support/PostgresServer.h"
#include "support/StationHarness.h"
#include "support/StationProgram.h"

#include <QDeadlineTimer>
#include <QMap>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <memory>
#include <thread>

namespace robot {

namespace {

QList<qint32> codes(const QList<PendingDocument> &rows) {
    QList<qint32> out;
    for (const auto &row : rows)
        out << row.codigo;
    return out;
}

// Invoices 1..: each breaks exactly one condition of the pending query, and 12 and 17 are
// pending, stored in the wrong order; credit notes likewise from 21. Names are double-quoted
// for every engine.
void fillDocuments(DocumentFixture &f) {
    f.addInvoice(17);
    f.addInvoice(12, 1, QStringLiteral("\"Imprimir\" = 1")); // any non-zero is true
    f.addInvoice(1, 1, QStringLiteral("\"Anulada\" = -1"));
    f.addInvoice(2, 1, QStringLiteral("\"Anulada\" = NULL"));
    f.addInvoice(3, 1, QStringLiteral("\"Impresa\" = -1"));
    f.addInvoice(4, 1, QStringLiteral("\"Impresa\" = NULL"));
    f.addInvoice(5, 1, QStringLiteral("\"Imprimir\" = 0"));
    f.addInvoice(6, 1, QStringLiteral("\"Imprimir\" = NULL"));
    f.addInvoice(7, 1, QStringLiteral("\"Control\" = '000001'"));
    f.addInvoice(8, 1, QStringLiteral("\"Local\" = -1"));
    f.addInvoice(9, 1, QStringLiteral("\"Local\" = NULL"));
    f.addInvoice(10, 2);
    f.addInvoice(11, 1, QStringLiteral("\"Anulada\" = 1"));
    f.addInvoice(13, 1, QStringLiteral("\"RIF\" = NULL"));    // pending, shown as an empty line
    f.addCreditNote(30, 1, QStringLiteral("\"Local\" = -1")); // Local does not count here
    f.addCreditNote(21);
    f.addCreditNote(22, 1, QStringLiteral("\"Control\" = '22'"));
    f.addCreditNote(23, 1, QStringLiteral("\"Impresa\" = -1"));
    f.addCreditNote(24, 1, QStringLiteral("\"Anulada\" = -1"));
    f.addCreditNote(25, 1, QStringLiteral("\"Imprimir\" = NULL"));
    f.addCreditNote(26, 0);
}

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
    const Result<void> files = writeStationFiles(dir + u'/', caja);
    QVERIFY2(files.ok(), qPrintable(files.error()));
    const Result<void> written = writeServerSettings(dir, *serverAddress(address), password);
    QVERIFY2(written.ok(), qPrintable(written.error()));
}

// Notices on fiscal machine 1's channel, as fast as the server takes them, each in a
// transaction of its own so none is merged with another.
class NoticeFlood : public QThread {
public:
    explicit NoticeFlood(const QString &address) : address(address) {}
    ~NoticeFlood() override {
        stopped = true;
        wait();
    }
    std::atomic<bool> stopped{false};
    std::atomic<int> sent{0};

protected:
    void run() override {
        DocumentConnection db;
        if (!db.open(address, QStringLiteral("avisos")).ok())
            return;
        QSqlQuery query(db.database());
        while (!stopped && query.exec(QStringLiteral("NOTIFY robot_fiscal_caja_1")))
            ++sent;
    }

private:
    QString address;
};

} // namespace

class TestDocumentDatabase : public QObject {
    Q_OBJECT

    std::unique_ptr<PostgresServer> server;

private slots:
    void initTestCase() {
        server = std::make_unique<PostgresServer>();
        QVERIFY2(server->problem().isEmpty(), qPrintable(server->problem()));
    }

    void selectsExactlyThePendingDocumentsInCodeOrder_data() {
        QTest::addColumn<bool>("onServer");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgresql") << true;
    }
    void selectsExactlyThePendingDocumentsInCodeOrder() {
        QFETCH(bool, onServer);
        const QString database =
            onServer ? server->createDocumentDatabase(QStringLiteral("pendientes")) : QString();
        DocumentFixture f(database);
        fillDocuments(f);
        PendingSources sources(f.databasePath(), 1);
        QVERIFY2(sources.RefrescaListas(), qPrintable(sources.lastError()));
        QCOMPARE(codes(sources.invoices()), (QList<qint32>{12, 13, 17}));
        QCOMPARE(sources.invoices().first().vistaEspecial,
                 QStringLiteral("Factura 12 del 2026-12-06 - Cliente 12 V12"));
        QCOMPARE(sources.invoices()[1].vistaEspecial, QString());
        QCOMPARE(codes(sources.creditNotes()), (QList<qint32>{21, 30}));
        QCOMPARE(sources.creditNotes().first().vistaEspecial,
                 QStringLiteral("Nota de crédito 21 del 2026-12-06 de Cliente 21 V21"));

        PendingSources machineZero(f.databasePath(), 0);
        QVERIFY(machineZero.RefrescaListas());
        QVERIFY(machineZero.invoices().isEmpty());
        QCOMPARE(codes(machineZero.creditNotes()), (QList<qint32>{26}));
    }

    void configurationRecordAndUnknownFiles() {
        DocumentFixture f;
        // (A record that is there reaches the window's title: gui_window.)
        const Result<std::optional<Row>> configuration =
            DocumentStore(f.databasePath()).configurationRecord();
        QVERIFY(configuration.ok() && !configuration.value());

        const QString garbage = f.directory() + QStringLiteral("otra.dba");
        QVERIFY(writeFile(garbage, "esto no es una base de datos"));
        DocumentConnection connection;
        const Result<void> opened = connection.open(garbage, QStringLiteral("basura"));
        QVERIFY(!opened.ok());
        QVERIFY(opened.error().contains(QStringLiteral("no es una base de datos reconocida")));
    }

    // The ODBC path that reaches Access on Windows, exercised here through the SQLite3 driver.
    void pendingQueriesThroughOdbc() {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            QSKIP("Qt's ODBC driver is not installed");
        DocumentFixture f;
        fillDocuments(f);
        DocumentConnection connection;
        const Result<void> opened = connection.openOdbc(
            QStringLiteral("Driver={SQLite3};Database=%1;").arg(f.databasePath()),
            sqliteStatements(), QStringLiteral("odbc"));
        QVERIFY2(opened.ok(), qPrintable(opened.error()));
        const auto pending = [&connection](const QString &sql) {
            QList<qint32> found;
            QSqlQuery query(connection.database());
            query.exec(sql); // a failure leaves the list empty
            while (query.next())
                found << query.value(QStringLiteral("Código")).toInt();
            return found;
        };
        QCOMPARE(pending(connection.statements().pendingInvoices(1)), (QList<qint32>{12, 13, 17}));
        QCOMPARE(pending(connection.statements().pendingCreditNotes(1)), (QList<qint32>{21, 30}));
    }

    // Three fiscal machines print their own documents, each once, all at the same time; a
    // fourth station with a Caja already taken refuses to start, and the password from
    // robot-fiscal.ini reaches neither the log nor the screen.
    void threeStationsShareOneServer() {
        const QString address = server->createDocumentDatabase(QStringLiteral("tres_cajas"));
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

    // Every till from one place: one station waiting, one stopped by a fault, one killed whose
    // last sign of life is five minutes old (set back rather than waited for).
    void statusOfEveryStation() {
        const QString address = server->createDocumentDatabase(QStringLiteral("estado"));
        DocumentFixture docs(address);
        docs.setConfiguration();
        docs.addInvoiceWithLine(2001, 2);
        QTemporaryDir dirs[3], printers[3];
        std::unique_ptr<QProcess> running[3];
        for (int i = 0; i < 3; ++i) {
            writeStation(dirs[i].path(), i + 1, address);
            writeFaults(printers[i].path(), i == 1 ? QStringLiteral("paper-out") : QString());
            running[i] = StationProgram(dirs[i].path(), printers[i].path())
                             .start({QStringLiteral("--headless")});
        }
        const StationProgram technician(dirs[0].path(), printers[0].path());
        ProgramRun shown;
        // Asked again until it shows `pattern`, for 30 s of the clock (each run is a program).
        const auto shows = [&](const QString &pattern) {
            const QDeadlineTimer limit(30000);
            do {
                shown = technician.run({QStringLiteral("--estado")});
                if (QRegularExpression(pattern).match(shown.out).hasMatch())
                    return true;
                QTest::qWait(200);
            } while (!limit.hasExpired());
            return false;
        };
        QVERIFY2(shows(QStringLiteral("Caja 3 .*en espera")), qPrintable(shown.out));
        running[2]->kill();
        QVERIFY(running[2]->waitForFinished() &&
                server->exec(QStringLiteral("estado"),
                             QStringLiteral("UPDATE robot_fiscal.\"Estaciones\" SET \"Señal\" = "
                                            "now() - interval '5 minutes' WHERE \"Caja\" = 3")));
        // The failing station tries again by itself now and then: its row is read between.
        QVERIFY2(
            shows(QStringLiteral("^OK    Caja 1 \\(.*\\): en espera; pendientes: 0;.*\n"
                                 "AVISO Caja 2 .*: detenido por falla; pendientes: 1; papel: sin "
                                 "papel; último mensaje: «Robot detenido tras una falla: .*\n"
                                 "AVISO Caja 3 .*: sin señal desde .* \\(hace 5 min\\); último "
                                 "estado: en espera;.*\n.*necesitan atención: 2\\.")),
            qPrintable(shown.out));
        QCOMPARE(shown.exitCode, 4);
        for (int i : {0, 1}) {
            running[i]->terminate();
            QVERIFY(running[i]->waitForFinished());
        }
    }

    // The server goes away twice while a station prints: once between documents, once while a
    // printed document is being marked. Nothing is lost, nothing comes out twice, and the log
    // shows each cut and the recovery.
    void serverRestartedUnderARunningStation() {
        const QString address = server->createDocumentDatabase(QStringLiteral("reinicio"));
        {
            DocumentFixture docs(address);
            docs.setConfiguration();
            for (int codigo = 1; codigo <= 6; ++codigo)
                docs.addInvoiceWithLine(codigo);
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
              QStringLiteral("factura 4 quedó marcada como impresa")})
            QVERIFY2(log.contains(event),
                     qPrintable(event + QStringLiteral(" — ") + log.right(700)));
    }

    // The fiscal machine's lock goes with the connection: after a restart it is taken again
    // before anything is listed, and a station that finds it taken meanwhile lists nothing.
    // (A Caja already taken refuses the fourth station above.) Then a server that takes
    // connections but answers nothing: the refresh gives up (the server is woken after 40 s in
    // any case, so a refresh that waits for it succeeds and fails the test), reads as a lost
    // connection, and the lists come back once the server answers.
    void lockTakenAgainAfterReconnection() {
        const QString address = server->createDocumentDatabase(QStringLiteral("bloqueo"));
        DocumentFixture(address).addInvoice(1);
        PendingSources first(address, 1), second(address, 1);
        QVERIFY(first.session().claimFiscalMachine().ok());

        QVERIFY(server->stop() && server->start());
        QVERIFY(second.session().claimFiscalMachine().ok());
        // The first robot's log tells the cut, then, once, that another station took the Caja.
        QTemporaryDir dir;
        StationLog log(dir.filePath(QStringLiteral("robot-fiscal.log")));
        InstantClock clock;
        Robot robot(first, clock, log);
        robot.startPrepared();
        for (int tick = 0; tick < 4; ++tick)
            robot.tick();
        QVERIFY(first.invoices().isEmpty());
        const QString logged = readAll(log.path());
        QVERIFY2(logged.count(QStringLiteral("No se pudo consultar")) == 2 &&
                     logged.count(QStringLiteral("Otra estación tiene la caja 1")) == 1,
                 qPrintable(logged));
        QVERIFY(second.RefrescaListas());
        QCOMPARE(second.invoices().size(), 1);

        QVERIFY(server->freeze(true));
        std::atomic<bool> answered{false};
        std::thread waker([&] {
            for (int i = 0; i < 400 && !answered; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            server->freeze(false);
        });
        const bool refreshed = second.RefrescaListas();
        answered = true;
        waker.join();
        QVERIFY(!refreshed);
        QVERIFY2(second.lastError().contains(QStringLiteral("Se perdió la conexión")) &&
                     second.lastError().contains(QStringLiteral("no respondió")),
                 qPrintable(second.lastError()));
        QTRY_VERIFY_WITH_TIMEOUT(second.RefrescaListas(), 20000);
        QCOMPARE(second.invoices().size(), 1);
    }

    // robot-fiscal --check on a server: a station holding the Caja there, and a role that may
    // read but not write, are said as such, never OK.
    void checkOnTheServer() {
        const QString address = server->createDocumentDatabase(QStringLiteral("diagnostico"));
        DocumentFixture docs(address);
        docs.setConfiguration();
        docs.addInvoice(1);
        QTemporaryDir dir, printer;
        writeStation(dir.path(), 1, address);
        const StationProgram station(dir.path(), printer.path());
        const auto checked = [&station](const QString &name) {
            const QString out = station.run({QStringLiteral("--check")}).out;
            for (const QString &line : out.split(u'\n'))
                if (line.mid(8).startsWith(name + u':'))
                    return line;
            return out;
        };
        QVERIFY(checked(QStringLiteral("Base de datos")).startsWith(QStringLiteral("OK ")));
        {
            PendingSources holder(address, 1);
            QVERIFY(holder.session().claimFiscalMachine().ok());
            const QString lock = checked(QStringLiteral("Bloqueo de la caja"));
            QVERIFY2(lock.startsWith(QStringLiteral("AVISO ")) &&
                         lock.contains(QStringLiteral("bloqueo en el servidor")),
                     qPrintable(lock));
        }
        QVERIFY2(server->exec(QStringLiteral("diagnostico"),
                              QStringLiteral("CREATE ROLE lector_diagnostico LOGIN; GRANT SELECT "
                                             "ON ALL TABLES IN SCHEMA public TO "
                                             "lector_diagnostico")),
                 qPrintable(server->problem()));
        ServerAddress reader = *serverAddress(address);
        reader.user = QStringLiteral("lector_diagnostico");
        writeStation(dir.path(), 1, reader.text());
        const QString database = checked(QStringLiteral("Base de datos"));
        QVERIFY2(database.startsWith(QStringLiteral("FALLA ")) &&
                     database.contains(QStringLiteral("no tiene permiso")),
                 qPrintable(database));
    }

    // With the tick an hour away, only the server's notice can start a document. One that
    // arrives while another document prints waits for that printing to end.
    void announcedDocumentsPrintWithoutTheTick() {
        const QString address = server->createDocumentDatabase(QStringLiteral("avisos"));
        StationHarness h(address);
        h.start();
        h.station->robot().setTickInterval(3600 * 1000);

        bool secondCommitted = false;
        h.printer->afterCall = [&](const QString &call) {
            if (secondCommitted || !call.startsWith(QStringLiteral("AbreComprobanteDeVentaEx")))
                return;
            secondCommitted = true;
            h.docs.addInvoiceWithLine(2);
            QTest::qWait(200); // the notice reaches the station while it prints
        };
        h.docs.addInvoiceWithLine(1);
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

    // A flood of notices on the station's channel (any role of the server may send them) while
    // documents arrive: a notice never starts a tick inside another, so printing goes on, each
    // document once, and the station stays up.
    void aFloodOfNoticesDoesNotHoldPrintingBack() {
        const QString address = server->createDocumentDatabase(QStringLiteral("inundacion"));
        DocumentFixture docs(address);
        docs.setConfiguration();
        QTemporaryDir dir, printer;
        writeStation(dir.path(), 1, address);
        const auto station =
            StationProgram(dir.path(), printer.path()).start({QStringLiteral("--headless")});
        const QString logPath = dir.filePath(QStringLiteral("robot-fiscal.log"));
        QTRY_VERIFY_WITH_TIMEOUT(readAll(logPath).contains(QStringLiteral("Configuración leída")),
                                 30000);
        NoticeFlood flood(address);
        flood.start();
        QMap<int, int> once;
        for (int codigo = 1; codigo <= 4; ++codigo) {
            docs.addInvoiceWithLine(codigo);
            once[codigo] = 1;
            QTest::qWait(500);
        }
        QTRY_VERIFY2_WITH_TIMEOUT(unmarked(address) == QStringLiteral("0"),
                                  qPrintable(readAll(logPath)), 60000);
        QVERIFY(flood.sent > 100);
        QCOMPARE(station->state(), QProcess::Running);
        station->kill();
        station->waitForFinished();
        QCOMPARE(printedCustomers(readPaper(printer.path())), once);
    }
};

} // namespace robot

QTEST_GUILESS_MAIN(robot::TestDocumentDatabase)
#include "test_document_database.moc"
