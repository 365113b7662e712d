// The robot cycle on a real station (temporary SQLite database, virtual printer): which
// document each tick takes, each printed exactly once through refusals, silences and restarts
// (the print journal), and a database that cannot be read; the clock apart.
#include "app/ScheduledZReport.h"
#include "app/SystemClock.h"
#include "support/StationHarness.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <csignal>

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

void addSale(StationHarness &h, qint64 codigo) {
    h.docs.addInvoice(codigo);
    h.docs.addInvoiceLine(codigo, 1, 1, 10);
    h.docs.addInvoiceLine(codigo, 2, 1, 20);
    h.docs.addInvoiceLine(codigo, 3, 1, 30);
}

// The number written back into invoice `codigo`; null while it is not marked.
QString control(StationHarness &h, qint64 codigo) {
    return h.docs.value(QStringLiteral("SELECT Control FROM Ventas WHERE Código = %1").arg(codigo))
        .toString();
}

// How many coupons were opened on the paper roll: their headings, numbered or not.
int couponsOpened(const QString &paper) {
    static const QRegularExpression heading(QStringLiteral("^CUPÓN FISCAL( N° \\d+)?$"),
                                            QRegularExpression::MultilineOption);
    return int(paper.count(heading));
}

// Starts the station again on the same data and printer: memory (UltimoCodigo) is gone.
void restart(StationHarness &h) {
    h.station.reset();
    h.start();
}
} // namespace

class TestRobotCycle : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Invoices first, one document a tick. A credit note carrying the code just taken waits for
    // the next document: the last-taken guard is shared by both kinds.
    void invoicesGoFirstOneDocumentPerTickAndTheLastCodeWaits() {
        StationHarness h;
        addSale(h, 17);
        addSale(h, 12);
        h.docs.addCreditNote(20);
        h.start();
        Robot &robot = h.station->robot();
        QSignalSpy outcomes(&robot, &Robot::tickFinished);
        h.clock.pauses.clear();

        robot.tick();
        robot.tick();
        addSale(h, 20); // a new invoice still goes before the waiting credit note
        robot.tick();
        robot.tick(); // the credit note carries the code just taken: left alone
        QVERIFY(robot.running());
        addSale(h, 21);
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
    }

    // A refresh that fails never prints, is reported once and recovers.
    void nothingIsPrintedWhileTheDatabaseOrTheJournalCannotBeUsed() {
        StationHarness h;
        addSale(h, 1);
        h.start();
        Robot &robot = h.station->robot();
        QSignalSpy problems(&robot, &Robot::databaseProblem);
        QSignalSpy recoveries(&robot, &Robot::databaseRecovered);

        const QString away = h.docs.databasePath() + QStringLiteral(".fuera");
        QVERIFY(QFile::rename(h.docs.databasePath(), away));
        robot.tick();
        QVERIFY(h.station->sources().invoices().isEmpty());
        robot.tick();
        robot.tick();
        QVERIFY(h.paper().isEmpty());
        QCOMPARE(problems.size(), 1);
        QVERIFY(robot.running()); // keeps ticking
        QCOMPARE(robot.state(), Robot::State::DatabaseUnreachable);

        QVERIFY(QFile::rename(away, h.docs.databasePath()));
        robot.tick();
        QCOMPARE(recoveries.size(), 1);
        QCOMPARE(control(h, 1), QStringLiteral("000001"));
        const QString logged = readAll(h.log.path());
        // Once, naming the database file.
        QCOMPARE(logged.count(QStringLiteral("No se pudo consultar la base de datos")), 1);
        QVERIFY(logged.contains(QStringLiteral("Base de Datos.dba")));
        QVERIFY(logged.contains(QStringLiteral("La base de datos responde de nuevo.")));

        // Without the journal nothing may be printed either: a document it held could be printed
        // twice. Nor while the record cannot be written (read-only, disk full): it would take one
        // more coupon at every restart, so no coupon is opened.
        addSale(h, 2);
        const QString journal = h.station->journal().path();
        QVERIFY(QFile::rename(journal, journal + QStringLiteral(".aparte")));
        h.station->robot().tick();
        QCOMPARE(couponsOpened(h.paper()), 1);
        QVERIFY(h.station->robot().statusText().contains(QStringLiteral("desapareció")));

        restart(h); // gone between runs too: never silently made anew
        h.runUntilIdle();
        QCOMPARE(couponsOpened(h.paper()), 1);
        QVERIFY(h.messages.texts().last().contains(QStringLiteral("--new-journal")));

        QVERIFY(QFile::rename(journal + QStringLiteral(".aparte"), journal));
        restart(h);
        {
            // Held locked by another process: still nothing printed.
            QSqlDatabase lock = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "lock");
            lock.setDatabaseName(journal);
            QVERIFY(lock.open());
            QSqlQuery(lock).exec(QStringLiteral("BEGIN EXCLUSIVE"));
            h.station->robot().tick();
            QCOMPARE(couponsOpened(h.paper()), 1);
            QVERIFY(h.station->robot().statusText().contains(QStringLiteral("diario")));
            lock.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("lock"));
        h.runUntilIdle();
        QCOMPARE(h.paper().count(QStringLiteral(" CERRADO")), 2);

        addSale(h, 3);
        h.docs.exec(QStringLiteral("CREATE TRIGGER soloLectura BEFORE UPDATE ON Ventas BEGIN "
                                   "SELECT RAISE(ABORT, 'attempt to write a readonly database'); "
                                   "END"));
        h.runUntilIdle();
        QCOMPARE(couponsOpened(h.paper()), 2);
        QVERIFY(h.messages.texts().last().contains(QStringLiteral("No se puede escribir")));
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

    void aCouponLeftOpenWaitsForTheOperatorThenPrintsOnce() {
        StationHarness h;
        addSale(h, 1);
        addSale(h, 2);
        h.setFaults(QStringLiteral("refuse Bematech_FI_VendeArticulo 2"));
        h.start();
        h.runUntilIdle();
        h.setFaults({});

        // Even after a restart nothing is printed while the coupon is open on the printer.
        restart(h);
        QVERIFY(h.messages.texts().last().startsWith(
            QStringLiteral("La factura 1 quedó abierta en la impresora: su impresión se "
                           "interrumpió. «Anula Cupon» anula el documento abierto y el robot la "
                           "imprimirá de nuevo")));
        h.runUntilIdle(3);
        QCOMPARE(couponsOpened(h.paper()), 1);
        QVERIFY(h.station->robot().statusText().contains(QStringLiteral("documento abierto")));

        // Once the operator cancels it, the counters show nothing was issued: printed once.
        QCOMPARE(h.printer->AnulaCupon().code, short(1));
        h.runUntilIdle();
        QCOMPARE(h.paper().count(QStringLiteral("ANULADO")), 1);
        QCOMPARE(h.paper().count(QStringLiteral("CERRADO")), 2);
        QCOMPARE(control(h, 1), QStringLiteral("000001"));
        QCOMPARE(control(h, 2), QStringLiteral("000002"));
        QVERIFY(h.station->robot().statusText().isEmpty());
    }

    void aDocumentMarkedByTheJournalIsNotTakenFromAnOlderList() {
        StationHarness h;
        addSale(h, 1);
        addSale(h, 2);
        // Only the marking is refused: the record looked writable before printing.
        h.docs.exec(QStringLiteral("CREATE TRIGGER caida BEFORE UPDATE ON Ventas WHEN OLD.Código "
                                   "= 1 AND NEW.Control IS NOT NULL BEGIN SELECT RAISE(ABORT, "
                                   "'registro bloqueado'); END"));
        h.start();
        h.runUntilIdle(); // 1 printed, not marked; the robot goes on: 2 printed
        QCOMPARE(h.messages.messages.size(), 1);
        QVERIFY(h.messages.texts().first().contains(
            QStringLiteral("SÍ fue impresa con el cupón 000001 y el número Z 1")));
        QVERIFY(h.messages.texts().first().contains(QStringLiteral("registro bloqueado")));
        QCOMPARE(control(h, 2), QStringLiteral("000002"));
        h.docs.exec(QStringLiteral("DROP TRIGGER caida"));
        h.runUntilIdle(); // 1 is written back, and never printed a second time
        QCOMPARE(control(h, 1), QStringLiteral("000001"));
        QCOMPARE(h.paper().count(QStringLiteral(" CERRADO")), 2);
    }

    // A completed coupon whose number does not come back (the printer went silent, or it
    // answered coupon 000000, which no printed coupon has): settled from the counters.
    void aCouponNumberThatDoesNotComeBack_data() {
        QTest::addColumn<bool>("offline");
        QTest::newRow("printer offline after the closing") << true;
        QTest::newRow("coupon number 000000") << false;
    }
    void aCouponNumberThatDoesNotComeBack() {
        QFETCH(bool, offline);
        StationHarness h;
        addSale(h, 1);
        addSale(h, 2);
        h.start();
        bool closed = false;
        h.printer->afterCall = [&](const QString &call) {
            if (call.startsWith(QStringLiteral("FinalizarCierreCupon"))) {
                closed = true;
                if (offline)
                    h.setFaults(QStringLiteral("offline"));
            }
        };
        h.printer->changeReply = [&](const QString &call, fiscal::RawCall &raw) {
            if (!offline && closed && call.startsWith(QStringLiteral("NumeroCupon")))
                raw.buffer = "000000";
        };
        h.runUntilIdle();
        h.printer->afterCall = nullptr;
        h.printer->changeReply = nullptr;
        QVERIFY(control(h, 1).isNull());
        QVERIFY(h.messages.texts().last().contains(QStringLiteral("etapa 8.")));
        QVERIFY(h.messages.texts().last().contains(QStringLiteral("no se imprimirá de nuevo")));

        // While the printer is silent nothing new is started.
        h.station->robot().startByOperator();
        if (offline) {
            h.runUntilIdle(3);
            QCOMPARE(couponsOpened(h.paper()), 1);
            QVERIFY(h.station->robot().statusText().contains(QStringLiteral("no responde")));
        }

        h.setFaults({});
        h.runUntilIdle();
        QCOMPARE(control(h, 1), QStringLiteral("000001"));
        QCOMPARE(control(h, 2), QStringLiteral("000002"));
        QCOMPARE(h.paper().count(QStringLiteral("CERRADO")), 2);
    }

    // As if the station died before opening the document, and the counters moved since in a
    // way that cannot tell whether it came out: held back until the operator decides.
    void anUndecidedDocumentWaitsForTheOperator_data() {
        QTest::addColumn<int>("couponBefore");
        QTest::addColumn<int>("reductionsBefore");
        QTest::addColumn<QString>("notice");
        QTest::newRow("two other coupons since")
            << -2 << 0 << QStringLiteral("No se puede saber si la factura 1 se imprimió");
        // The counter moved by one, but it may have been a Z report in between.
        QTest::newRow("a Z report since") << -1 << -1 << QStringLiteral("hubo una reducción Z");
    }
    void anUndecidedDocumentWaitsForTheOperator() {
        QFETCH(int, couponBefore);
        QFETCH(int, reductionsBefore);
        QFETCH(QString, notice);
        StationHarness h;
        addSale(h, 1);
        addSale(h, 2);
        h.start();
        QVERIFY(h.station->journal()
                    .begin(DocumentKind::Factura, 1, 1, couponBefore, reductionsBefore)
                    .ok());
        restart(h);
        QVERIFY2(h.messages.texts().last().contains(notice), qPrintable(h.messages.texts().last()));
        h.runUntilIdle();
        QVERIFY(control(h, 1).isNull());
        QCOMPARE(control(h, 2), QStringLiteral("000001"));
        QVERIFY(h.station->robot().statusText().contains(QStringLiteral("factura 1")));

        // The operator decides: printed after all (marked in the back office) or print it.
        h.docs.addInvoice(3, 1, QStringLiteral("Control = 'a mano'"));
        QVERIFY(h.station->journal().begin(DocumentKind::Factura, 3, 1, -5, 0).ok());
        h.station->robot().tick();
        QCOMPARE(h.station->journal().allowReprint(DocumentKind::Factura, 1).value(), 1);
        h.runUntilIdle();
        QCOMPARE(control(h, 1), QStringLiteral("000002"));
        QVERIFY(h.station->journal().unfinished().value().isEmpty());
        QVERIFY(h.station->robot().statusText().isEmpty());
    }

    // Each episode that needs a person runs the technician's command once at its start and once
    // at its end, however often the robot retries meanwhile; a stop the paper or the silence
    // explains is not a second episode. A command that hangs is ended at its limit while the
    // station goes on printing, and what it started ends with it.
    void theAlertCommandRunsOnceAtEachEpisodesStartAndEnd_data() {
        QTest::addColumn<QString>("faults"); // the printer's, until the operator starts again
        QTest::addColumn<QString>("script"); // empty: one that appends to a file
        QTest::addColumn<QStringList>("expected");
        const auto episode = [](const char *kind) {
            return QStringList{QStringLiteral("%1 fin 1").arg(kind),
                               QStringLiteral("%1 inicio 1").arg(kind)};
        };
        const QString paperOut = QStringLiteral("paper-out");
        QTest::newRow("paper out") << paperOut << QString() << episode("papel");
        QTest::newRow("offline") << QStringLiteral("offline") << QString()
                                 << episode("impresora-sin-respuesta");
        QTest::newRow("refused opening")
            << QStringLiteral("refuse Bematech_FI_AbreComprobanteDeVentaEx") << QString()
            << episode("falla");
        QTest::newRow("held") << QString() << QString() << episode("documento-retenido");
        QTest::newRow("stalled") << QString() << QString() << episode("cola-detenida");
        QTest::newRow("hanging command")
            << paperOut << QStringLiteral("sleep 600 &\necho $! > \"$0.pid\"\nwait\n")
            << QStringList();
    }
    void theAlertCommandRunsOnceAtEachEpisodesStartAndEnd() {
        QFETCH(QString, faults);
        QFETCH(QString, script);
        QFETCH(QStringList, expected);
        const QString scenario = QString::fromLatin1(QTest::currentDataTag());
        StationHarness h;
        const QString path = h.docs.directory() + QStringLiteral("aviso.sh");
        const QString sent = h.docs.directory() + QStringLiteral("avisos.txt");
        QVERIFY(writeFile(path, script.isEmpty() ? "echo \"$ROBOT_FISCAL_AVISO "
                                                   "$ROBOT_FISCAL_ESTADO $ROBOT_FISCAL_CAJA\" >> " +
                                                       sent.toUtf8()
                                                 : script.toUtf8()));
        h.alerts = {QStringLiteral("sh ") + path, 5, 1};
        addSale(h, 1);
        if (scenario == QStringLiteral("held")) {
            h.start();
            QVERIFY(h.station->journal().begin(DocumentKind::Factura, 1, 1, -2, 0).ok());
            restart(h);
            h.station->robot().tick();
            QCOMPARE(h.station->journal().allowReprint(DocumentKind::Factura, 1).value(), 1);
        } else if (scenario == QStringLiteral("stalled")) {
            h.start();
            h.station->robot().stopByOperator();
            h.clock.now += 5 * 60000 + 1;
            QTRY_VERIFY(QFile::exists(sent));
            h.station->robot().startByOperator();
        } else {
            h.setFaults(faults);
            h.start();
            h.runUntilIdle();
            QVERIFY(!h.station->robot().running());
            h.setFaults({});
            h.station->robot().startByOperator();
        }
        h.runUntilIdle();
        QCOMPARE(control(h, 1), QStringLiteral("000001"));
        if (expected.isEmpty()) {
            QTRY_VERIFY(readAll(h.docs.directory() + QStringLiteral("robot-fiscal.log"))
                            .contains(QStringLiteral("(«papel», inicio) no terminó en 1 s")));
            // The script's sleep, by its process id: gone, or a zombie nobody reaps yet.
            const pid_t child = readAll(path + QStringLiteral(".pid")).trimmed().toInt();
            QVERIFY(child > 0);
            const auto leftOver = qScopeGuard([child] { ::kill(child, SIGKILL); });
            const auto alive = [child] {
                const QString stat = readAll(QStringLiteral("/proc/%1/stat").arg(child));
                const QString state = stat.mid(stat.lastIndexOf(u')') + 2, 1);
                return !stat.isEmpty() && state != QStringLiteral("Z") &&
                       state != QStringLiteral("X");
            };
            QTRY_VERIFY(!alive());
            return;
        }
        const auto lines = [&] {
            QStringList all = readAll(sent).split(u'\n', Qt::SkipEmptyParts);
            all.sort();
            return all;
        };
        QTRY_COMPARE(lines(), expected);
    }

    // Codes beyond 32 bits, 0 and a date-style code next to small ones: each printed once
    // under its own code, or refused; never another record's content.
    void documentCodesAtFullWidth() {
        StationHarness h;
        const QList<qint64> codes = {1, 2147483648LL, 4294967297LL, 202612070001LL};
        for (const qint64 codigo : codes)
            addSale(h, codigo);
        addSale(h, 0);
        h.start();
        h.runUntilIdle();
        QCOMPARE(h.paper().count(QStringLiteral(" CERRADO")), codes.size());
        for (int i = 0; i < codes.size(); ++i)
            QCOMPARE(control(h, codes[i]), QStringLiteral("00000%1").arg(i + 1));
        QVERIFY(control(h, 0).isNull());
        QCOMPARE(h.messages.texts().filter(QStringLiteral("«0» no se imprimirá")).size(), 1);
    }

    // [ReporteZ] Hora=23:30: nothing before its time; at it, waits while a document is pending,
    // then prints the Z once, not again after a restart. A Z made in the hour of waiting is the
    // day before's: the next day has its own, and a document still pending an hour after it
    // leaves the Z to the operator, told once.
    void theDayZReportOnItsOwn() {
        StationHarness h;
        addSale(h, 1);
        QVERIFY(writeFile(h.docs.directory() + QStringLiteral("robot-fiscal.ini"),
                          "[ReporteZ]\nHora=23:30\n"));
        h.clock.time = QTime(23, 29);
        h.start();
        const auto checkAt = [&h](QTime time) {
            h.clock.time = time;
            h.station->zReport().check();
            return int(h.paper().count(QStringLiteral("REDUCCIÓN Z N° ")));
        };
        QCOMPARE(checkAt(QTime(23, 29)), 0);
        QCOMPARE(checkAt(QTime(23, 30)), 0); // factura 1 pending
        h.runUntilIdle();
        h.clock.date = h.clock.date.addDays(1);
        addSale(h, 3); // after the last refresh: the Z reads the database itself
        QCOMPARE(checkAt(QTime(0, 5)), 0);
        h.runUntilIdle();
        QCOMPARE(checkAt(QTime(0, 10)), 1);
        QVERIFY(stationStatusText(h.station->robot(), h.station->zReport())
                    .contains(QStringLiteral("Reducción Z automática número 1")));
        restart(h);
        QCOMPARE(checkAt(QTime(0, 20)), 1);
        QVERIFY(readAll(h.log.path())
                    .contains(QStringLiteral("La reducción Z automática de las 23:30 no se emite: "
                                             "la del día ")));

        addSale(h, 2);
        restart(h);
        QSignalSpy told(&h.station->zReport(), &ScheduledZReport::zReportPending);
        QCOMPARE(checkAt(QTime(23, 30)), 1);
        h.clock.date = h.clock.date.addDays(1);
        QCOMPARE(checkAt(QTime(0, 29)), 1);
        QCOMPARE(checkAt(QTime(0, 30)), 1);
        QCOMPARE(checkAt(QTime(0, 31)), 1);
        QCOMPARE(told.count(), 1);
        QVERIFY(h.messages.texts().last().startsWith(
            QStringLiteral("La reducción Z automática de las 23:30 no se emitió: tras una hora "
                           "de espera hay 1 documento pendiente de impresión.")));
    }
};

QTEST_GUILESS_MAIN(TestRobotCycle)
#include "test_robot_cycle.moc"
