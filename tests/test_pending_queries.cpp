#include "db/DocumentDatabase.h"
#include "db/PendingSources.h"
#include "db/Statements.h"
#include "support/DocumentFixture.h"
#include "support/PostgresServer.h"

#include <QSqlQuery>
#include <QTest>
#include <memory>

using namespace robot;

namespace {

QList<qint32> codes(const QList<PendingDocument> &rows) {
    QList<qint32> out;
    for (const auto &row : rows)
        out << row.codigo;
    return out;
}

} // namespace

class TestPendingQueries : public QObject {
    Q_OBJECT

    // Invoices 1..: each breaks exactly one condition of the pending query, and 12 and 17 are
    // pending, stored in the wrong order. Names are double-quoted for every engine.
    void fillInvoices(DocumentFixture &f) {
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
        f.addInvoice(13, 1, QStringLiteral("\"RIF\" = NULL")); // pending, shown as an empty line
    }
    void fillCreditNotes(DocumentFixture &f) {
        f.addCreditNote(30, 1, QStringLiteral("\"Local\" = -1")); // Local does not count here
        f.addCreditNote(21);
        f.addCreditNote(22, 1, QStringLiteral("\"Control\" = '22'"));
        f.addCreditNote(23, 1, QStringLiteral("\"Impresa\" = -1"));
        f.addCreditNote(24, 1, QStringLiteral("\"Anulada\" = -1"));
        f.addCreditNote(25, 1, QStringLiteral("\"Imprimir\" = NULL"));
        f.addCreditNote(26, 0);
    }

    // The server, started by the first case that needs one.
    QString serverDatabase() {
        if (!server)
            server = std::make_unique<robot::PostgresServer>();
        if (!server->problem().isEmpty())
            return {};
        return server->createDocumentDatabase(
            QStringLiteral("pendientes_%1").arg(++serverDatabases));
    }
    std::unique_ptr<robot::PostgresServer> server;
    int serverDatabases = 0;

private slots:
    void selectsExactlyThePendingDocumentsInCodeOrder_data() {
        QTest::addColumn<bool>("onServer");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgresql") << true;
    }
    void selectsExactlyThePendingDocumentsInCodeOrder() {
        QFETCH(bool, onServer);
        const QString database = onServer ? serverDatabase() : QString();
        if (onServer)
            QVERIFY2(!database.isEmpty(), qPrintable(server->problem()));
        DocumentFixture f(database);
        fillInvoices(f);
        fillCreditNotes(f);
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

        // A printed document leaves its list at the next refresh.
        f.exec(
            QStringLiteral("UPDATE \"Ventas\" SET \"Control\" = '000002' WHERE \"Código\" = 12"));
        QVERIFY(sources.RefrescaListas());
        QCOMPARE(codes(sources.invoices()), (QList<qint32>{13, 17}));
    }

    void configurationRecordAndUnknownFiles() {
        DocumentFixture f;
        PendingSources sources(f.databasePath(), 1);
        // (A record that is there reaches the window's title: gui_window.)
        QVERIFY(sources.configurationRecord().outcome == ConfigurationRead::Outcome::NoRecord);

        QFile garbage(f.directory() + QStringLiteral("otra.dba"));
        garbage.open(QIODevice::WriteOnly);
        garbage.write("esto no es una base de datos");
        garbage.close();
        DocumentConnection connection;
        QString error;
        QVERIFY(!connection.open(garbage.fileName(), QStringLiteral("basura"), &error));
        QVERIFY(error.contains(QStringLiteral("no es una base de datos reconocida")));
        QCOMPARE(detectEngine(f.databasePath()), DatabaseEngine::Sqlite);
    }

    // The ODBC path that reaches Access on Windows, exercised here through the SQLite3 driver.
    void pendingQueriesThroughOdbc() {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            QSKIP("Qt's ODBC driver is not installed");
        DocumentFixture f;
        fillInvoices(f);
        fillCreditNotes(f);
        DocumentConnection connection;
        QString error;
        const bool opened = connection.openOdbc(
            QStringLiteral("Driver={SQLite3};Database=%1;").arg(f.databasePath()),
            sqliteStatements(), QStringLiteral("odbc"), &error);
        QVERIFY2(opened, qPrintable(error));
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
};

QTEST_GUILESS_MAIN(TestPendingQueries)
#include "test_pending_queries.moc"
