// The robot cycle on a real station (temporary SQLite database, virtual printer): which
// document each tick takes and a database that cannot be read; the clock and the log apart.
#include "app/SystemClock.h"
#include "support/StationHarness.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace robot;

namespace {

// The documents opened on the printer, in order, as "factura N" or "nota N" (N the customer's).
QStringList documentsOpened(const RecordingPrinter &printer) {
    static const QRegularExpression customer(QStringLiteral("Cliente (\\d+)"));
    QStringList opened;
    for (const QString &call : printer.callsTo(QStringLiteral("Abre\\w+")))
        opened << (call.startsWith(QStringLiteral("AbreNota")) ? QStringLiteral("nota ")
                                                               : QStringLiteral("factura ")) +
                      customer.match(call).captured(1);
    return opened;
}

} // namespace

class TestRobotCycle : public QObject {
    Q_OBJECT

private slots:
    // Invoices first, one document a tick. A credit note carrying the code just taken waits for
    // the next document: the last-taken guard is shared by both kinds.
    void invoicesGoFirstOneDocumentPerTickAndTheLastCodeWaits() {
        StationHarness h;
        const auto addInvoice = [&h](int codigo) {
            h.docs.addInvoice(codigo);
            h.docs.addInvoiceLine(codigo, 1, 1, 10);
        };
        addInvoice(17);
        addInvoice(12);
        h.docs.addCreditNote(20);
        h.start();
        Robot &robot = h.station->robot;
        QSignalSpy outcomes(&robot, &Robot::tickFinished);
        h.clock.pauses.clear();

        robot.tick();
        robot.tick();
        addInvoice(20); // a new invoice still goes before the waiting credit note
        robot.tick();
        robot.tick(); // the credit note carries the code just taken: left alone
        QVERIFY(robot.timerEnabled());
        addInvoice(21);
        robot.tick();
        robot.tick();
        robot.tick();
        QCOMPARE(documentsOpened(*h.printer),
                 (QStringList{QStringLiteral("factura 12"), QStringLiteral("factura 17"),
                              QStringLiteral("factura 20"), QStringLiteral("factura 21"),
                              QStringLiteral("nota 20")}));
        QCOMPARE(outcomes.size(), 7);
        QCOMPARE(outcomes.last().first().value<Robot::TickOutcome>(),
                 Robot::TickOutcome::NothingPending);
        // Half a second at every tick; an invoice also pauses after opening the drawer.
        QCOMPARE(h.clock.pauses, (QList<int>{50, 10, 50, 10, 50, 10, 50, 50, 10, 50, 50}));
        QCOMPARE(robot.Timer1.interval(), 1000);
    }

    void aFailedRefreshNeverPrintsIsReportedOnceAndRecovers() {
        StationHarness h;
        h.docs.addInvoice(1);
        h.docs.addInvoiceLine(1, 1, 1, 10);
        h.start();
        Robot &robot = h.station->robot;
        QSignalSpy problems(&robot, &Robot::databaseProblem);
        QSignalSpy recoveries(&robot, &Robot::databaseRecovered);

        QCOMPARE(h.station->sources.invoices().size(), 1);
        const QString away = h.docs.databasePath() + QStringLiteral(".fuera");
        QVERIFY(QFile::rename(h.docs.databasePath(), away));
        robot.tick();
        QVERIFY(h.station->sources.invoices().isEmpty());
        robot.tick();
        robot.tick();
        QVERIFY(h.paper().isEmpty());
        QCOMPARE(problems.size(), 1);
        QVERIFY(robot.timerEnabled()); // keeps ticking
        QCOMPARE(robot.status(), Robot::Status::DatabaseUnreachable);

        QVERIFY(QFile::rename(away, h.docs.databasePath()));
        robot.tick();
        QCOMPARE(recoveries.size(), 1);
        QCOMPARE(h.field(QStringLiteral("Ventas"), 1, QStringLiteral("Control")).toString(),
                 QStringLiteral("000001"));
        const QString logged = readAll(h.log.path());
        // Once, naming the database file.
        QCOMPARE(logged.count(QStringLiteral("No se pudo consultar la base de datos")), 1);
        QVERIFY(logged.contains(QStringLiteral("Base de Datos.dba")));
        QVERIFY(logged.contains(QStringLiteral("La base de datos responde de nuevo.")));
    }

    void delayMiliWaitsInHundredthsAndKeepsEventsFlowing() {
        SystemClock clock;
        QElapsedTimer elapsed;
        elapsed.start();
        clock.DelayMili(0);
        bool fired = false;
        QTimer::singleShot(0, [&] { fired = true; });
        elapsed.restart();
        clock.DelayMili(5);
        QVERIFY(fired);
        QVERIFY(elapsed.elapsed() >= 45);
    }

    void logRotatesBySize() {
        QTemporaryDir dir;
        StationLog log(dir.filePath(QStringLiteral("robot-fiscal.log")), 200, 2);
        for (int i = 0; i < 40; ++i)
            log.write(QStringLiteral("Factura %1 impresa: cupón 000001, número Z 1.").arg(i));
        QVERIFY(QFile::exists(log.path() + QStringLiteral(".1")));
        QVERIFY(QFile::exists(log.path() + QStringLiteral(".2")));
        QVERIFY(!QFile::exists(log.path() + QStringLiteral(".3")));
        QVERIFY(QFileInfo(log.path()).size() <= 400);
    }
};

QTEST_GUILESS_MAIN(TestRobotCycle)
#include "test_robot_cycle.moc"
