// The document database through the bridge's ODBC channel (robot-fiscal-printer-bridge --odbc)
// and unixODBC's SQLite3 driver: the values it carries, and the real station printing through
// it with the SQLite statements and with the Access ones.

#include "db/AccessRoute.h"
#include "db/DocumentDatabase.h"
#include "db/Statements.h"
#include "support/DocumentFixture.h"
#include "support/StationProgram.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace robot {

namespace {

QString sqliteOdbc(const QString &file) {
    return QStringLiteral("Driver={SQLite3};Database=%1;").arg(file);
}

// Opens `file` through the bridge; skips when unixODBC has no SQLite3 driver.
#define OPEN_THROUGH_BRIDGE(connection, file, statements)                                          \
    do {                                                                                           \
        const Result<void> opened =                                                                \
            (connection)                                                                           \
                .openOdbc(sqliteOdbc(file), statements, QStringLiteral("puente"),                  \
                          DocumentConnection::OdbcRoute::Bridge);                                  \
        if (!opened.ok()) {                                                                        \
            if (opened.error().contains(QStringLiteral("IM002")))                                  \
                QSKIP("unixODBC has no SQLite3 driver (libsqliteodbc)");                           \
            QFAIL(qPrintable(opened.error()));                                                     \
        }                                                                                          \
    } while (false)

void writeOdbcSettings(const QString &dir, const QString &database, const QString &dialect,
                       const QString &extra = {}) {
    QVERIFY(writeFile(dir + QStringLiteral("/robot-fiscal.ini"),
                      QStringLiteral("[BaseDeDatos]\nMotor=odbc\nCadena=%1%2\nPuente=sí\n"
                                     "Dialecto=%3\n")
                          .arg(sqliteOdbc(database), extra, dialect)
                          .toUtf8()));
}

} // namespace

class TestOdbcBridge : public QObject {
    Q_OBJECT

private slots:
    // Every kind of value the driver gives, both ways, in rows enough for several batches; the
    // rows an update touched; a transaction rolled back.
    void channelCarriesTypedValues() {
        DocumentFixture f;
        f.exec(QStringLiteral(
            "CREATE TABLE Tipos (Código BIGINT, Corto SMALLINT, Entero INTEGER, Doble DOUBLE, "
            "Texto TEXT, Marca BIT, Día DATE, Momento TIMESTAMP)"));
        DocumentConnection connection;
        OPEN_THROUGH_BRIDGE(connection, f.databasePath(), sqliteStatements());
        QSqlDatabase db = connection.database();
        QSqlQuery insert(db);
        QVERIFY(
            insert.prepare(QStringLiteral("INSERT INTO Tipos VALUES (?, ?, ?, ?, ?, ?, ?, ?)")));
        const QString accented = QStringLiteral("Código MáquinaFiscal ñandú €");
        const QVariantList values = {qint64(5000000000LL),
                                     -12,
                                     70000,
                                     1234.5,
                                     accented,
                                     true,
                                     QDate(2026, 12, 6),
                                     QDateTime(QDate(2026, 12, 6), QTime(23, 59, 58))};
        for (const QVariant &value : values)
            insert.addBindValue(value);
        QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        QCOMPARE(insert.numRowsAffected(), 1);
        for (int k = 0; k < 8; ++k)
            insert.bindValue(k, QVariant());
        QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));

        QSqlQuery select(db);
        QVERIFY2(select.exec(QStringLiteral("SELECT * FROM Tipos ORDER BY Código DESC")),
                 qPrintable(select.lastError().text()));
        QVERIFY(select.next());
        QCOMPARE(select.value(0).typeId(), QMetaType::LongLong);
        QCOMPARE(select.value(0).toLongLong(), 5000000000LL);
        QCOMPARE(select.value(1).typeId(), QMetaType::Short);
        QCOMPARE(select.value(1).toInt(), -12);
        QCOMPARE(select.value(2).typeId(), QMetaType::Int);
        QCOMPARE(select.value(2).toInt(), 70000);
        QCOMPARE(select.value(3).typeId(), QMetaType::Double);
        QCOMPARE(select.value(3).toDouble(), 1234.5);
        QCOMPARE(select.value(QStringLiteral("Texto")).toString(), accented);
        QCOMPARE(select.value(5).typeId(), QMetaType::Bool);
        QCOMPARE(select.value(5).toBool(), true);
        QCOMPARE(select.value(6).toDate(), QDate(2026, 12, 6));
        QCOMPARE(select.value(7).toDateTime(), QDateTime(QDate(2026, 12, 6), QTime(23, 59, 58)));
        QCOMPARE(select.record().fieldName(6), QStringLiteral("Día"));
        QVERIFY(select.next());
        for (int k = 0; k < 8; ++k)
            QVERIFY2(select.isNull(k) && select.value(k).isNull(), qPrintable(QString::number(k)));
        QVERIFY(!select.next());

        QVERIFY(db.transaction());
        for (int k = 0; k < 1300; ++k) {
            insert.bindValue(0, k);
            insert.bindValue(4, QStringLiteral("fila %1").arg(k));
            QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        }
        QVERIFY(db.commit());
        QSqlQuery update(db);
        QVERIFY(update.prepare(QStringLiteral("UPDATE Tipos SET Corto = ? WHERE Código < ?")));
        update.addBindValue(7);
        update.addBindValue(1000);
        QVERIFY2(update.exec(), qPrintable(update.lastError().text()));
        QCOMPARE(update.numRowsAffected(), 1000);

        // Forward only, then scrolling back over batches already read.
        for (const bool forwardOnly : {true, false}) {
            QSqlQuery rows(db);
            rows.setForwardOnly(forwardOnly);
            QVERIFY(rows.exec(QStringLiteral("SELECT Código, Texto FROM Tipos WHERE Código < "
                                             "2000 ORDER BY Código")));
            int count = 0;
            while (rows.next()) {
                QCOMPARE(rows.value(1).toString(), QStringLiteral("fila %1").arg(count));
                ++count;
            }
            QCOMPARE(count, 1300);
            if (!forwardOnly) {
                QVERIFY(rows.seek(3));
                QCOMPARE(rows.value(0).toInt(), 3);
            }
        }

        QVERIFY(db.transaction());
        QSqlQuery remove(db);
        QVERIFY(remove.exec(QStringLiteral("DELETE FROM Tipos")));
        QVERIFY(db.rollback());
        QSqlQuery count(db);
        QVERIFY(count.exec(QStringLiteral("SELECT count(*) FROM Tipos")) && count.next());
        QCOMPARE(count.value(0).toInt(), 1302);

        QSqlQuery wrong(db);
        QVERIFY(!wrong.exec(QStringLiteral("SELECT * FROM NoExiste")));
        QVERIFY2(wrong.lastError().text().contains(QStringLiteral("NoExiste")),
                 qPrintable(wrong.lastError().text()));
        QVERIFY(db.isOpen()); // a refused statement does not end the bridge
    }

    // The real station with Motor=odbc through the bridge prints every pending document and
    // marks its record, with either dialect; with the Access statements, --conciliar then
    // reads the marked records back through them too. The password in the connection string
    // reaches neither the log nor the output.
    void stationPrintsThroughBridge_data() {
        QTest::addColumn<QString>("dialect");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("access") << QStringLiteral("access");
    }
    void stationPrintsThroughBridge() {
        QFETCH(QString, dialect);
        DocumentFixture f;
        f.setConfiguration();
        f.writeStationFiles(1);
        f.addInvoice(12);
        f.addInvoiceLine(12, 1, 2, 10.5, QStringLiteral("Café molido"));
        f.addInvoiceLine(12, 2, 1, 3, QStringLiteral("No se imprime"),
                         QStringLiteral("\"NoMostrarEnFactura\" = -1"));
        f.addInvoice(13);
        f.addInvoiceLine(13, 1, 1, 7);
        f.addInvoice(14, 1, QStringLiteral("\"Anulada\" = -1"));
        f.addInvoiceLine(14, 1, 1, 7);
        f.addCreditNote(21);
        f.addCreditNoteLine(21, 1, 1, 5);
        f.addCreditNote(22, 2);
        f.addCreditNoteLine(22, 1, 1, 5);
        const QString password = QStringLiteral("secreto-de-odbc");
        writeOdbcSettings(f.dir.path(), f.databasePath(), dialect,
                          QStringLiteral("PWD=%1;").arg(password));
        QTemporaryDir printer;
        StationProgram station(f.dir.path(), printer.path());
        // The printer in process, whatever bridge a Wine run names: the database is under test.
        station.environment.remove(QStringLiteral("FISCAL_PRINTER_BRIDGE"));
        const ProgramRun run = station.run(StationProgram::untilIdle());
        const QString log = readAll(station.file(QStringLiteral("robot-fiscal.log")));
        QVERIFY2(run.exitCode == 0, qPrintable(run.err + log));
        QVERIFY2(log.contains(QStringLiteral("base de datos odbc: Dialecto=%1 Puente=sí "
                                             "Cadena=Driver={SQLite3};Database=")
                                  .arg(dialect)),
                 qPrintable(log));
        QVERIFY(!log.contains(password) && !run.err.contains(password) &&
                !run.out.contains(password));

        const QString paper = station.paper();
        QCOMPARE(paper.count(QStringLiteral("Cliente 12")), 1);
        QCOMPARE(paper.count(QStringLiteral("Cliente 13")), 1);
        QCOMPARE(paper.count(QStringLiteral("Cliente 21")), 1);
        QVERIFY2(paper.contains(QStringLiteral("Cafe molido")), qPrintable(paper));
        QVERIFY(!paper.contains(QStringLiteral("No se imprime")));
        QVERIFY(!paper.contains(QStringLiteral("Cliente 14")) &&
                !paper.contains(QStringLiteral("Cliente 22")));
        QCOMPARE(f.value(QStringLiteral("SELECT group_concat(Código) FROM (SELECT Código FROM "
                                        "Ventas WHERE Impresa = -1 AND Imprimir = 0 AND Control "
                                        "= Factura AND NúmeroZ = 1 ORDER BY Código)"))
                     .toString(),
                 QStringLiteral("12,13"));
        QCOMPARE(f.value(QStringLiteral("SELECT Número || '/' || Control || '/' || NúmeroZ FROM "
                                        "NotaCréditoVenta WHERE Código = 21"))
                     .toString(),
                 QStringLiteral("21/21/1"));

        const ProgramRun reconciled = station.run({QStringLiteral("--conciliar")});
        QVERIFY2(reconciled.exitCode == 0, qPrintable(reconciled.out + reconciled.err));
        QVERIFY2(
            reconciled.out.contains(QStringLiteral("Caja 1: 3 documentos con número de cupón")),
            qPrintable(reconciled.out));

        // --check names the source's engine and way, and finds it writable: no file to test.
        const ProgramRun checked = station.run({QStringLiteral("--check")});
        QVERIFY2(
            checked.out.contains(QStringLiteral("ODBC según robot-fiscal.ini, por el puente")) &&
                !checked.out.contains(QStringLiteral("no escribir")) &&
                !checked.out.contains(password),
            qPrintable(checked.out));
    }

    // The statements no station run sends: the check's any-document query, and the write
    // checks, through the channel with the Access text.
    void remainingAccessStatementsRun() {
        DocumentFixture f;
        f.addInvoice(12, 3);
        f.addCreditNote(21);
        DocumentConnection connection;
        OPEN_THROUGH_BRIDGE(connection, f.databasePath(), jetStatements());
        const Statements &sql = connection.statements();
        QSqlQuery query(connection.database());
        QVERIFY2(query.exec(sql.anyDocumentOfCaja(3)), qPrintable(query.lastError().text()));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 12);
        QVERIFY(query.exec(sql.anyDocumentOfCaja(4)));
        QVERIFY(!query.next());
        for (const QString &check : {sql.invoiceWriteCheck(), sql.creditNoteWriteCheck()}) {
            QVERIFY(query.prepare(check));
            query.addBindValue(check == sql.invoiceWriteCheck() ? 12 : 21);
            QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
        }
    }

    // The one part of the Access statements SQLite reads otherwise: "+" joins texts in Jet
    // (a NULL part makes the whole text NULL: the list then shows an empty line).
    void accessDisplayTextJoinsWithPlus() {
        QVERIFY(jetStatements().pendingInvoices(1).startsWith(
            QStringLiteral("Select *, Vista1 + ' ' + RIF as VistaEspecial from [Consulta Ventas] "
                           "Where ")));
        QVERIFY(jetStatements().pendingCreditNotes(1).startsWith(
            QStringLiteral("Select *, Vista4 + ' de ' + NombreCLiente + ' ' + RIF as "
                           "VistaEspecial from [Consulta NotaCréditoVenta] Where ")));
    }

    // A database that stops answering under a running station (the file locked by another
    // program, the driver waiting for it): the statement is given up after 10 s and its bridge
    // killed; a bridge killed in the middle of a statement likewise. Each time the refresh
    // fails and is logged, the station connects again with a new bridge, and once the file is
    // free every document is printed once and marked.
    void hungAndKilledBridges() {
        DocumentFixture f;
        f.setConfiguration();
        f.writeStationFiles(1);
        for (int codigo = 1; codigo <= 5; ++codigo)
            f.addInvoiceWithLine(codigo);
        // The driver waits a minute for a lock: far past the station's limit.
        writeOdbcSettings(f.dir.path(), f.databasePath(), QStringLiteral("access"),
                          QStringLiteral("Timeout=60000;"));
        const QString pids = f.dir.filePath(QStringLiteral("puentes.pid"));
        const QString wrapper = f.dir.filePath(QStringLiteral("puente.sh"));
        QVERIFY(
            writeFile(wrapper, QStringLiteral("#!/bin/sh\necho $$ >> '%1'\nexec '%2' \"$@\"\n")
                                   .arg(pids, QCoreApplication::applicationDirPath() +
                                                  QStringLiteral("/robot-fiscal-printer-bridge"))
                                   .toUtf8()));
        QFile(wrapper).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner);
        QTemporaryDir printer;
        StationProgram station(f.dir.path(), printer.path());
        station.environment.insert(QStringLiteral("ROBOT_FISCAL_ODBC_BRIDGE"), wrapper);
        station.setFaults(QStringLiteral("delay 150")); // documents take seconds on paper
        const auto running = station.start({QStringLiteral("--headless")});
        const QString logPath = station.file(QStringLiteral("robot-fiscal.log"));
        const auto printed = [&station](int customer) {
            return station.paper().count(QStringLiteral("Cliente %1").arg(customer));
        };
        QTRY_VERIFY_WITH_TIMEOUT(printed(2) == 1, 120000);

        QSqlDatabase holder =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cerrojo"));
        holder.setDatabaseName(f.databasePath());
        QVERIFY(holder.open());
        {
            QSqlQuery lock(holder);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QTRY_VERIFY2_WITH_TIMEOUT(
                readAll(logPath).contains(QStringLiteral("No se pudo consultar la base de datos: "
                                                         "Se perdió la conexión con la base de "
                                                         "datos ODBC. La base de datos no "
                                                         "respondió en 10 s")),
                qPrintable(readAll(logPath).right(1500)), 90000);
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
            QTRY_VERIFY2_WITH_TIMEOUT(
                readAll(logPath).contains(QStringLiteral("La base de datos responde de nuevo.")),
                qPrintable(readAll(logPath).right(1500)), 60000);

            // Locked again, and every bridge killed while one waits inside a statement.
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QTest::qWait(2000);
            int killed = 0;
            for (const QString &pid : readAll(pids).split(u'\n', Qt::SkipEmptyParts)) {
                // Only a bridge of this station still running: an ended one's number may be
                // another program's by now.
                if (!readAll(QStringLiteral("/proc/%1/cmdline").arg(pid))
                         .contains(QStringLiteral("robot-fiscal-printer-bridge")))
                    continue;
                QCOMPARE(QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-KILL"), pid}),
                         0);
                ++killed;
            }
            QVERIFY(killed > 0);
            QTRY_VERIFY2_WITH_TIMEOUT(readAll(logPath).contains(QStringLiteral(
                                          "El puente de la base de datos terminó durante una "
                                          "sentencia")),
                                      qPrintable(readAll(logPath).right(1500)), 30000);
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        }
        holder.close();
        holder = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("cerrojo"));

        QTRY_VERIFY2_WITH_TIMEOUT(
            f.value(QStringLiteral("SELECT count(*) FROM Ventas WHERE Control IS NULL")).toInt() ==
                0,
            qPrintable(readAll(logPath)), 180000);
        running->terminate();
        QVERIFY(running->waitForFinished(30000));
        for (int customer = 1; customer <= 5; ++customer)
            QCOMPARE(printed(customer), 1);
    }

    // Which Access driver opens a file: the 64-bit one in process where installed, else the
    // 32-bit Jet driver through the bridge, which cannot open a .accdb; without either, what
    // to install.
    void accessDriverChosenAtOpening() {
        const QString file = QStringLiteral("C:\\Datos\\Base de Datos.dba");
        const auto route = [&file](bool ace, bool both, bool jet) {
            return chooseAccessRoute(file, ace, AccessDrivers{both, jet});
        };
        for (const bool ace : {false, true}) {
            const Result<AccessRoute> inProcess = route(ace, true, true);
            QVERIFY(inProcess.ok() && !inProcess.value().throughBridge);
            QCOMPARE(inProcess.value().described(),
                     QStringLiteral("el controlador «Microsoft Access Driver (*.mdb, *.accdb)» en "
                                    "el programa"));
        }
        const Result<AccessRoute> bridged = route(false, false, true);
        QVERIFY(bridged.ok());
        QCOMPARE(bridged.value().described(),
                 QStringLiteral("el controlador «Microsoft Access Driver (*.mdb)» por el puente de "
                                "32 bits"));
        const Result<AccessRoute> accdb = route(true, false, true);
        QVERIFY(!accdb.ok());
        QVERIFY2(accdb.error().contains(QStringLiteral(".accdb")) &&
                     accdb.error().contains(QStringLiteral("AccessDatabaseEngine_X64.exe")) &&
                     accdb.error().contains(file),
                 qPrintable(accdb.error()));
        QVERIFY(!route(false, false, false).ok());
    }

    // A bridge that cannot start: the station does not fall back to any other way in.
    void missingBridgeIsTold() {
        DocumentFixture f;
        f.setConfiguration();
        f.writeStationFiles(1);
        writeOdbcSettings(f.dir.path(), f.databasePath(), QStringLiteral("sqlite"));
        QTemporaryDir printer;
        StationProgram station(f.dir.path(), printer.path());
        station.environment.insert(QStringLiteral("ROBOT_FISCAL_ODBC_BRIDGE"),
                                   f.dir.filePath(QStringLiteral("no-existe")));
        const ProgramRun run = station.run(StationProgram::untilIdle());
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.contains(QStringLiteral("No se pudo iniciar el puente de la base de "
                                                 "datos")),
                 qPrintable(run.err));
    }
};

} // namespace robot

QTEST_GUILESS_MAIN(robot::TestOdbcBridge)
#include "test_odbc_bridge.moc"
