// The station program itself, headless: the demo printed end to end, and one station per fiscal
// machine.

#include "db/DocumentSchema.h"
#include "platform/StationLock.h"
#include "support/DocumentFixture.h"
#include "support/StationProgram.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sys/stat.h>

using namespace robot;

namespace {

QString readAll(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestHeadless : public QObject {
    Q_OBJECT

private slots:
    void demoIsPrintedOnceAndThenIdle() {
        QTemporaryDir dir, printerDir;
        QString error;
        QVERIFY2(createDemoDirectory(dir.path(), &error), qPrintable(error));
        const StationProgram station(dir.path(), printerDir.path());
        const ProgramRun first = station.run(StationProgram::untilIdle());
        QVERIFY2(first.exitCode == 0, qPrintable(first.err));
        const QString paper = station.paper();
        QCOMPARE(paper.count(QStringLiteral(" CERRADO")), 2);
        QCOMPARE(paper.count(QStringLiteral(" CERRADA")), 2);
        QVERIFY(readAll(dir.filePath(QStringLiteral("robot-fiscal.log")))
                    .contains(QStringLiteral("Factura 101 impresa: cupón 000001")));

        QCOMPARE(station.run(StationProgram::untilIdle()).exitCode, 0);
        QCOMPARE(station.paper(), paper);
    }

    void oneStationPerFiscalMachine() {
        QTemporaryDir dir, printerDir;
        QString error;
        QVERIFY(createDemoDirectory(dir.path(), &error));
        const StationProgram station(dir.path(), printerDir.path());
        const auto first = station.start({QStringLiteral("--headless")});
        QVERIFY(first->waitForStarted());
        // Wait until the first station holds its lock (its log says it started).
        for (int i = 0; i < 100 && !readAll(dir.filePath(QStringLiteral("robot-fiscal.log")))
                                        .contains(QStringLiteral("Estación iniciada"));
             ++i)
            QTest::qWait(50);
        const ProgramRun second = station.run(StationProgram::untilIdle());
        // Another fiscal machine on the same data is not held back.
        StationLock otherMachine;
        const bool otherAcquired = otherMachine.acquire(dir.path() + u'/', 2, &error);
        first->kill();
        first->waitForFinished();
        QCOMPARE(second.exitCode, 2);
        QVERIFY(
            second.err.contains(QStringLiteral("Ya hay una estación funcionando con la caja 1")));
        QVERIFY2(otherAcquired, qPrintable(error));
    }

    // No operator to press "Iniciar": after the printer went offline or out of paper, or while
    // the database refused the write-back for a long time, the station carries on by itself
    // once the cause is gone, and every document ends printed once and marked.
    void recoversWithoutAnOperator_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("printer offline") << QStringLiteral("offline");
        QTest::newRow("paper out") << QStringLiteral("paper-out");
        QTest::newRow("write-back refused") << QStringLiteral("database");
    }
    void recoversWithoutAnOperator() {
        QFETCH(QString, fault);
        DocumentFixture docs;
        docs.setConfiguration();
        docs.writeStationFiles(1);
        docs.addInvoice(1);
        docs.addInvoiceLine(1, 1, 2, 10);
        docs.addCreditNote(2);
        docs.addCreditNoteLine(2, 1, 1, 100);
        QTemporaryDir printerDir;
        QFile faults(printerDir.filePath(QStringLiteral("faults")));
        if (fault == QStringLiteral("database")) {
            docs.exec(QStringLiteral("CREATE TRIGGER caida BEFORE UPDATE ON Ventas WHEN "
                                     "NEW.Control IS NOT NULL BEGIN SELECT RAISE(ABORT, 'base de "
                                     "datos ocupada'); END"));
        } else {
            QVERIFY(faults.open(QIODevice::WriteOnly));
            faults.write(fault.toUtf8() + '\n');
            faults.close();
        }
        const StationProgram station(docs.directory(), printerDir.path());
        const auto process = station.start({QStringLiteral("--headless")});
        const QString log = docs.directory() + QStringLiteral("robot-fiscal.log");
        const auto waitFor = [&](const std::function<bool()> &done) {
            for (int i = 0; i < 300 && !done(); ++i)
                QTest::qWait(100);
            return done();
        };
        const QString trouble = fault == QStringLiteral("database")
                                    ? QStringLiteral("se reintentará sin detener el robot")
                                    : QStringLiteral("El robot se reanudará solo");
        QVERIFY2(waitFor([&] { return readAll(log).contains(trouble); }), qPrintable(readAll(log)));
        if (fault == QStringLiteral("database"))
            docs.exec(QStringLiteral("DROP TRIGGER caida"));
        else
            QVERIFY(faults.remove());
        const bool settled = waitFor([&] {
            return !docs.value(QStringLiteral("SELECT Control FROM Ventas WHERE Código = 1"))
                        .isNull() &&
                   !docs.value(QStringLiteral("SELECT Control FROM NotaCréditoVenta WHERE "
                                              "Código = 2"))
                        .isNull();
        });
        const bool stillRunning = process->state() == QProcess::Running;
        process->kill();
        process->waitForFinished();
        QVERIFY2(settled && stillRunning, qPrintable(readAll(log)));
        QCOMPARE(station.paper().count(QStringLiteral(" CERRADO")), 1);
        QCOMPARE(station.paper().count(QStringLiteral(" CERRADA")), 1);
    }

    // The lock file's name made a link to the database, a file of someone else's, or files
    // created under a careless umask: the station never damages what it did not make.
    void filesTheStationDidNotMakeAreLeftAlone() {
        QTemporaryDir dir, printerDir;
        QString error;
        QVERIFY(createDemoDirectory(dir.path(), &error));
        const QString lock = StationLock::pathFor(dir.path(), 1);
        const QString database = dir.filePath(QStringLiteral("Base de Datos.dba"));
        const QByteArray databaseBytes = readAll(database).toUtf8();
        const StationProgram station(dir.path(), printerDir.path());

        QVERIFY(QFile::link(database, lock));
        ProgramRun run = station.run(StationProgram::untilIdle());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(QStringLiteral("es un enlace")), qPrintable(run.err));
        QCOMPARE(readAll(database).toUtf8(), databaseBytes);

        QVERIFY(QFile::remove(lock));
        QFile foreign(lock);
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("notas del técnico\n");
        foreign.close();
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
            QVERIFY2(QFile::exists(dir.filePath(name)) &&
                         !(QFile::permissions(dir.filePath(name)) & QFileDevice::WriteOther),
                     qPrintable(name));
        // A lock left by an earlier run is taken again.
        QCOMPARE(station.run(StationProgram::untilIdle()).exitCode, 0);
    }
};

QTEST_GUILESS_MAIN(TestHeadless)
#include "test_headless.moc"
