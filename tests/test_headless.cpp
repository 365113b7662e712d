// The station program itself, headless: the demo printed end to end, and one station per fiscal
// machine.

#include "app/StationLock.h"
#include "db/DocumentSchema.h"
#include "support/StationProgram.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestHeadless)
#include "test_headless.moc"
