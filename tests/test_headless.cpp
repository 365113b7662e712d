// The station program itself, headless: one station per fiscal machine, recovery without an
// operator, the system's stop, and files it did not make.

#include "platform/StationLock.h"
#include "support/DocumentFixture.h"
#include "support/StationProgram.h"

#include "db/PrintJournal.h"

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace robot;

namespace {

// Makes a file read-only for everyone, root included (the immutable flag), or writable again.
bool setWritable(const QString &path, bool writable) {
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                    (writable ? QFileDevice::WriteOwner : QFileDevice::ReadOwner));
    if (::geteuid() != 0)
        return true;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = writable ? flags & ~FS_IMMUTABLE_FL : flags | FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}

} // namespace

class TestHeadless : public QObject {
    Q_OBJECT

private slots:
    void oneStationPerFiscalMachine() {
        const StationProgram station;
        const auto first = station.start({QStringLiteral("--headless")});
        // The first station holds its lock once its log says it started.
        QTRY_VERIFY(readAll(station.file(QStringLiteral("robot-fiscal.log")))
                        .contains(QStringLiteral("Estación iniciada")));
        const ProgramRun second = station.run(StationProgram::untilIdle());
        // Another station directory that drives the same printer cannot cancel its coupon.
        StationProgram technician;
        technician.environment = station.environment;
        const ProgramRun cancel = technician.run({QStringLiteral("--cancel-coupon")});
        // Another fiscal machine on the same data is not held back.
        StationLock otherMachine;
        const Result<void> otherAcquired = otherMachine.acquire(station.dataDir + u'/', 2);
        first->kill();
        first->waitForFinished();
        QCOMPARE(second.exitCode, 2);
        QVERIFY(
            second.err.contains(QStringLiteral("Ya hay una estación funcionando con la caja 1")));
        QVERIFY2(otherAcquired.ok(), qPrintable(otherAcquired.error()));
        QCOMPARE(cancel.exitCode, 2);
        QVERIFY2(cancel.err.contains(QStringLiteral("La impresora fiscal de serie")),
                 qPrintable(cancel.err));
    }

    // No operator to press "Iniciar": after the printer went offline or out of paper the
    // station carries on by itself once the cause is gone, and every document ends printed once
    // and marked. (A refused write-back, which does not stop the robot, is test_robot_cycle's.)
    // A coupon left open by a refused line is cancelled by the station and printed again; a
    // print journal locked or read-only at start-up is waited for.
    void recoversWithoutAnOperator_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("printer offline") << QStringLiteral("offline");
        QTest::newRow("paper out") << QStringLiteral("paper-out");
        QTest::newRow("coupon left open") << QStringLiteral("refuse Bematech_FI_VendeArticulo 2");
        QTest::newRow("journal locked") << QStringLiteral("locked");
        QTest::newRow("journal read-only") << QStringLiteral("read-only");
    }
    void recoversWithoutAnOperator() {
        QFETCH(QString, fault);
        const StationProgram station;
        DocumentFixture docs(station.file(QStringLiteral("Base de Datos.dba")));
        const QString journal = station.file(QStringLiteral("robot-fiscal-diario.db"));
        const bool locked = fault == QStringLiteral("locked");
        const bool readOnly = fault == QStringLiteral("read-only");
        // What the log says while the station waits for the cause to go.
        const QString logged = locked || readOnly ? QStringLiteral("el diario de impresión")
                                                  : QStringLiteral("El robot se reanudará solo");
        if (locked || readOnly) {
            const Result<void> opened = PrintJournal().open(journal);
            QVERIFY2(opened.ok(), qPrintable(opened.error()));
        }
        const auto writable = qScopeGuard([&] {
            if (readOnly)
                setWritable(journal, true);
        });
        QSqlDatabase lock;
        if (locked) {
            lock = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bloqueo"));
            lock.setDatabaseName(journal);
            QVERIFY(lock.open() && QSqlQuery(lock).exec(QStringLiteral("BEGIN EXCLUSIVE")));
        } else if (readOnly) {
            if (!setWritable(journal, false))
                QSKIP("The file system cannot make the journal read-only.");
        } else {
            station.setFaults(fault);
        }
        // The technician's alert command: once when the paper ran out, once when it came back.
        const QString sent = station.file(QStringLiteral("avisos.txt"));
        if (fault == QStringLiteral("paper-out")) {
            const QString script = station.file(QStringLiteral("aviso.sh"));
            QVERIFY(writeFile(script,
                              "echo $ROBOT_FISCAL_AVISO $ROBOT_FISCAL_ESTADO >> " + sent.toUtf8()));
            QVERIFY(writeFile(station.file(QStringLiteral("robot-fiscal.ini")),
                              "[Avisos]\nComando=sh " + script.toUtf8() + '\n'));
        }
        const auto process = station.start({QStringLiteral("--headless")});
        const QString log = station.file(QStringLiteral("robot-fiscal.log"));
        QTRY_VERIFY2_WITH_TIMEOUT(readAll(log).contains(logged), qPrintable(readAll(log)), 30000);
        if (locked)
            lock.close();
        else if (readOnly)
            QVERIFY(setWritable(journal, true));
        else
            station.setFaults({});
        QTRY_VERIFY2_WITH_TIMEOUT(
            docs.value(QStringLiteral("SELECT (SELECT count(*) FROM Ventas WHERE Control IS NULL "
                                      "AND MáquinaFiscal = 1) + (SELECT count(*) FROM "
                                      "NotaCréditoVenta WHERE Control IS NULL)"))
                    .toInt() == 0,
            qPrintable(readAll(log)), 30000);
        QCOMPARE(process->state(), QProcess::Running);
        process->kill();
        process->waitForFinished();
        QCOMPARE(station.paper().count(QStringLiteral(" CERRADO")), 2);
        QCOMPARE(station.paper().count(QStringLiteral(" CERRADA")), 2);
        if (fault == QStringLiteral("paper-out"))
            QTRY_COMPARE(readAll(sent), QStringLiteral("papel inicio\npapel fin\n"));
        if (fault.startsWith(QStringLiteral("refuse")))
            QVERIFY2(readAll(log).contains(QStringLiteral("la estación anuló el documento y la "
                                                          "imprimirá de nuevo")),
                     qPrintable(readAll(log)));
    }

    // One failure is told once: one message with the stage, its cause and what to do, and one
    // ERROR line in the log, also when the cause is a bridge that stopped answering.
    void oneFailureIsToldOnce_data() {
        QTest::addColumn<bool>("bridge");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("cause");
        QTest::newRow("printer offline")
            << false << QStringLiteral("offline")
            << QStringLiteral("Error de comunicación con la impresora.");
        QTest::newRow("bridge hangs")
            << true << QStringLiteral("delay 3000") << QStringLiteral("no respondió a ");
    }
    void oneFailureIsToldOnce() {
        QFETCH(bool, bridge);
        QFETCH(QString, fault);
        QFETCH(QString, cause);
        StationProgram station;
        if (bridge) {
            station.environment.insert(QStringLiteral("FISCAL_PRINTER_BRIDGE"),
                                       QStringLiteral(BRIDGE_PATH));
            station.environment.insert(QStringLiteral("FISCAL_PRINTER_BRIDGE_TIMEOUT_MS"),
                                       QStringLiteral("1000"));
        }
        station.setFaults(fault);
        const ProgramRun run = station.run(StationProgram::untilIdle());
        QCOMPARE(run.exitCode, 3);
        const QStringList boxes =
            run.err.split(u'\n').filter(QRegularExpression(QStringLiteral("^\\[")));
        QVERIFY2(boxes.size() == 1, qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("verifique la etapa 2.\n")) &&
                     run.err.contains(cause) &&
                     run.err.contains(QStringLiteral("Revise que la impresora esté encendida y "
                                                     "conectada a la computadora; luego pulse "
                                                     "«Iniciar».")),
                 qPrintable(run.err));
        const QString log = readAll(station.file(QStringLiteral("robot-fiscal.log")));
        QVERIFY2(log.count(QStringLiteral(" ERROR ")) == 1, qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("Aviso «La impresora no responde» "
                                             "(impresora-sin-respuesta)")),
                 qPrintable(log));
    }

    // The system's stop (systemctl stop, a shutdown) in the middle of a document: the document
    // is finished and marked, nothing more is started, and the station says it closed.
    void aStopFromTheSystemFinishesTheDocumentFirst() {
        const StationProgram station;
        station.setFaults(QStringLiteral("delay 200"));
        const auto process = station.start({QStringLiteral("--headless")});
        const QString log = station.file(QStringLiteral("robot-fiscal.log"));
        QTRY_VERIFY_WITH_TIMEOUT(
            readAll(log).contains(QStringLiteral("Factura 101 tomada para impresión")), 30000);
        process->terminate();
        QVERIFY(process->waitForFinished(30000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
        const QString logged = readAll(log);
        QVERIFY2(logged.contains(QStringLiteral("Factura 101 impresa")) &&
                     logged.trimmed().endsWith(QStringLiteral("Estación cerrada.")),
                 qPrintable(logged));
        // One coupon opened (its heading) and closed (its last line), nothing after it.
        const QString paper = station.paper();
        QCOMPARE(paper.count(QStringLiteral("CUPÓN FISCAL")), 2);
        QCOMPARE(paper.count(QStringLiteral(" CERRADO")), 1);
        QVERIFY(!paper.contains(QStringLiteral("NOTA DE CRÉDITO")));
    }

    // The lock file's name made a link to the database, a file of someone else's, or files
    // created under a careless umask: the station never damages what it did not make.
    void filesTheStationDidNotMakeAreLeftAlone() {
        const StationProgram station;
        const QString lock = StationLock::pathFor(station.dataDir, 1);
        const QString database = station.file(QStringLiteral("Base de Datos.dba"));
        const QByteArray databaseBytes = readAll(database).toUtf8();

        QVERIFY(QFile::link(database, lock));
        ProgramRun run = station.run(StationProgram::untilIdle());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(QStringLiteral("es un enlace")), qPrintable(run.err));
        QCOMPARE(readAll(database).toUtf8(), databaseBytes);

        QVERIFY(QFile::remove(lock));
        QVERIFY(writeFile(lock, "notas del técnico\n"));
        run = station.run(StationProgram::untilIdle());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(QStringLiteral("contenido que no es de la estación")),
                 qPrintable(run.err));
        QCOMPARE(readAll(lock), QStringLiteral("notas del técnico\n"));

        QVERIFY(QFile::remove(lock));
        const mode_t before = ::umask(0);
        run = station.run(StationProgram::untilIdle());
        ::umask(before);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        for (const QString &name :
             {QStringLiteral("robot-fiscal.log"), QStringLiteral("robot-fiscal-diario.db"),
              QStringLiteral("robot-fiscal-diario.db.creado"),
              QStringLiteral("robot-fiscal-caja-1.lock")})
            QVERIFY2(QFile::exists(station.file(name)) &&
                         !(QFile::permissions(station.file(name)) & QFileDevice::WriteOther),
                     qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestHeadless)
#include "test_headless.moc"
