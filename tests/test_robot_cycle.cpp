#include "app/Robot.h"
#include "app/SystemClock.h"
#include "core/StationLog.h"
#include "db/PendingSources.h"
#include "support/DocumentFixture.h"
#include "support/InstantClock.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace robot;

namespace {

// Stands in for the printing procedures: "prints" the first pending document by giving it a
// control number, and can fail the way a printer refusal does (timer left off).
class MarkingPrinter : public DocumentPrinting {
public:
    MarkingPrinter(DocumentFixture &f, PendingSources &s, Robot &r) : f(f), s(s), r(r) {}
    bool ImprimirFactura() override { return print(QStringLiteral("Ventas"), s.invoices()); }
    bool ImprimirNotaCredito() override {
        return print(QStringLiteral("NotaCréditoVenta"), s.creditNotes());
    }
    QStringList printed;
    bool failNext = false;

private:
    bool print(const QString &table, const QList<PendingDocument> &pending) {
        r.setTimerEnabled(false);
        if (failNext) {
            failNext = false;
            return true;
        }
        const qint32 codigo = pending.first().codigo;
        printed << table + u' ' + QString::number(codigo);
        f.exec(QStringLiteral("UPDATE [%1] SET Control = 'x' WHERE Código = %2")
                   .arg(table)
                   .arg(codigo));
        r.setTimerEnabled(true);
        return true;
    }
    DocumentFixture &f;
    PendingSources &s;
    Robot &r;
};

// A robot on a temporary document database, printing through MarkingPrinter.
struct Cycle {
    Cycle() {
        robot.setPrinting(&printer);
        robot.setTimerEnabled(true);
    }
    DocumentFixture f;
    PendingSources sources{f.databasePath(), 1};
    InstantClock clock;
    StationLog log{f.directory() + QStringLiteral("robot-fiscal.log")};
    Robot robot{sources, clock, log};
    MarkingPrinter printer{f, sources, robot};
};

} // namespace

class TestRobotCycle : public QObject {
    Q_OBJECT

private slots:
    void invoicesGoFirstAndOneDocumentPerTick() {
        Cycle c;
        c.f.addInvoice(17);
        c.f.addInvoice(12);
        c.f.addCreditNote(5);
        auto &[f, sources, clock, log, robot, printer] = c;
        QSignalSpy outcomes(&robot, &Robot::tickFinished);

        robot.tick();
        robot.tick();
        f.addInvoice(20); // a new invoice still goes before the waiting credit note
        robot.tick();
        robot.tick();
        robot.tick();
        QCOMPARE(printer.printed,
                 (QStringList{QStringLiteral("Ventas 12"), QStringLiteral("Ventas 17"),
                              QStringLiteral("Ventas 20"), QStringLiteral("NotaCréditoVenta 5")}));
        QCOMPARE(outcomes.size(), 5);
        QCOMPARE(outcomes.last().first().value<Robot::TickOutcome>(),
                 Robot::TickOutcome::NothingPending);
        QCOMPARE(clock.pauses, (QList<int>{50, 50, 50, 50, 50})); // half a second, each tick
        QCOMPARE(robot.Timer1.interval(), 1000);
    }

    // Started, stopped and the captions are checked through the window in gui_window.
    void aFailureOrAnIncompletePreparationStopsTheRobot() {
        Cycle c;
        c.f.addInvoice(1);
        auto &[f, sources, clock, log, robot, printer] = c;
        // A printing failure stops the timer but not the caption; one click restarts it.
        printer.failNext = true;
        robot.tick();
        robot.noteStoppedAfterFailure(QStringLiteral("factura 1, etapa 4"));
        QVERIFY(!robot.timerEnabled());
        QCOMPARE(robot.command3Caption(), QStringLiteral("Detener"));
        QCOMPARE(robot.status(), Robot::Status::StoppedAfterFailure);
        QVERIFY(robot.statusText().contains(QStringLiteral("etapa 4")));
        robot.Command3_Click();
        QVERIFY(robot.timerEnabled());
        QCOMPARE(robot.command3Caption(), QStringLiteral("Detener"));

        // An incomplete preparation keeps it stopped whatever is clicked.
        robot.holdStopped(QStringLiteral("falta el campo VerCantidad"));
        robot.Command3_Click();
        robot.setTimerEnabled(true);
        QVERIFY(!robot.timerEnabled());
        QCOMPARE(robot.status(), Robot::Status::NotPrepared);
    }

    void aFailedRefreshNeverPrintsIsReportedOnceAndRecovers() {
        Cycle c;
        c.f.addInvoice(1);
        auto &[f, sources, clock, log, robot, printer] = c;
        QSignalSpy problems(&robot, &Robot::databaseProblem);
        QSignalSpy recoveries(&robot, &Robot::databaseRecovered);

        QVERIFY(sources.RefrescaListas() && sources.invoices().size() == 1);
        const QString away = f.databasePath() + QStringLiteral(".fuera");
        QVERIFY(QFile::rename(f.databasePath(), away));
        robot.tick();
        QVERIFY(sources.invoices().isEmpty());
        robot.tick();
        robot.tick();
        QVERIFY(printer.printed.isEmpty());
        QCOMPARE(problems.size(), 1);
        QVERIFY(robot.timerEnabled()); // keeps ticking
        QCOMPARE(robot.status(), Robot::Status::DatabaseUnreachable);

        QVERIFY(QFile::rename(away, f.databasePath()));
        robot.tick();
        QCOMPARE(recoveries.size(), 1);
        QCOMPARE(printer.printed, QStringList{QStringLiteral("Ventas 1")});
        QFile logFile(log.path());
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        const QString logged = QString::fromUtf8(logFile.readAll());
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
