// The station program itself, headless: the demo printed end to end, and one station per fiscal
// machine.

#include "db/DocumentSchema.h"
#include "platform/StationLock.h"
#include "support/StationProgram.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

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
