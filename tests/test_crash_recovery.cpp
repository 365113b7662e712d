// Kills the station at every printer call of an invoice and of a credit note (the virtual
// printer's crash rule aborts the process after the printer has done its work), restarts it,
// and checks that the paper roll and the document database end with every document issued
// exactly once and marked with the number the paper shows. Then the same with the printer
// library in the bridge program: the bridge dies or hangs in the middle of each call while the
// station lives on.

#include "printer/LibraryPrinter.h"
#include "support/DocumentFixture.h"
#include "support/StationHarness.h"
#include "support/StationProgram.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <memory>
#include <tuple>
#include <vector>

using namespace robot;

namespace {

// One pending invoice and one pending credit note for machine 1.
void addDocuments(DocumentFixture &docs) {
    docs.addInvoice(1);
    docs.addInvoiceLine(1, 1, 2, 10);
    docs.addInvoiceLine(1, 2, 1, 5.5);
    docs.addCreditNote(2);
    docs.addCreditNoteLine(2, 1, 1, 100);
}

// When the printer gives a document its number, and who cancels a coupon left open.
enum class Numbering { AtClosing, AtOpening };
enum class Cancelling { ByStation, Outside };

// One data directory with the documents, and the station program on it.
struct Scenario {
    explicit Scenario(Numbering numbering = Numbering::AtClosing,
                      Cancelling cancelling = Cancelling::ByStation)
        : program(docs.directory(), docs.directory() + QStringLiteral("virtual-printer")),
          cancelling(cancelling) {
        docs.setConfiguration();
        docs.writeStationFiles(1);
        addDocuments(docs);
        // The crash rule must kill the station itself, not a bridge.
        program.environment.remove(QStringLiteral("FISCAL_PRINTER_BRIDGE"));
        program.environment.insert(QStringLiteral("VIRTUAL_PRINTER_NUMBERING"),
                                   numbering == Numbering::AtOpening ? QStringLiteral("opening")
                                                                     : QStringLiteral("closing"));
    }

    // How many times each entry point was called, counted by the virtual printer in
    // "name=count" lines after the rules' "hash=" line.
    QMap<QString, int> callsCounted() const {
        QMap<QString, int> counted;
        const QString counters =
            readAll(program.printerDir + QStringLiteral("/fault-counters.txt"));
        for (const QString &line : counters.split(u'\n', Qt::SkipEmptyParts))
            if (!line.startsWith(QStringLiteral("hash=")))
                counted[line.section(u'=', 0, 0)] = line.section(u'=', 1).toInt();
        return counted;
    }

    // A technician's cancellation on the printer itself, which the station's journal never
    // hears of.
    void cancelOutside() const {
        qputenv("VIRTUAL_PRINTER_DIR", program.printerDir.toUtf8());
        LibraryPrinter(virtualPrinterPath()).AnulaCupon();
        qunsetenv("VIRTUAL_PRINTER_DIR");
    }

    DocumentFixture docs;
    StationProgram program;
    const Cancelling cancelling;
    QString label;
    bool recovered = false;
};

// Runs one process per scenario at the same time (they mostly wait on the robot's timer); their
// output and errors merged.
QList<ProgramRun> runAll(const QList<Scenario *> &scenarios, const QStringList &action = {}) {
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const Scenario *s : scenarios)
        processes.push_back(
            s->program.start(action.isEmpty() ? StationProgram::untilIdle() : action));
    QList<ProgramRun> runs;
    for (auto &process : processes) {
        if (!process->waitForFinished(120000))
            process->kill();
        process->waitForFinished();
        runs.append({process->exitStatus() == QProcess::CrashExit,
                     process->exitCode(),
                     QString::fromUtf8(process->readAll()),
                     {}});
    }
    return runs;
}

// Documents completed on paper, by customer name, with their printer numbers.
QMultiMap<QString, QString> completedOnPaper(const QString &paper) {
    QMultiMap<QString, QString> completed;
    static const QRegularExpression closing(
        QStringLiteral("^(?:CUPÓN FISCAL|NOTA DE CRÉDITO) N° (\\d+) CERRAD[OA]$"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression name(QStringLiteral("^Nombre: (.*)$"),
                                         QRegularExpression::MultilineOption);
    for (const QString &block : paper.split(QStringLiteral("\n=="))) {
        const auto closed = closing.match(block);
        const auto customer = name.match(block);
        if (closed.hasMatch() && customer.hasMatch())
            completed.insert(customer.captured(1).trimmed(), closed.captured(1));
    }
    return completed;
}

// What an operator does after a crash: start again, cancelling a coupon left open, and for a
// document held back because nobody can tell whether it was issued, look at the paper and let
// it print again when it was not.
void recoverAll(const QList<Scenario *> &scenarios) {
    QList<Scenario *> pending = scenarios;
    for (int round = 0; round < 4 && !pending.isEmpty(); ++round) {
        const QList<ProgramRun> runs = runAll(pending);
        QList<Scenario *> byStation;
        QList<Scenario *> stuck;
        for (qsizetype i = 0; i < pending.size(); ++i) {
            Scenario *s = pending[i];
            s->recovered = !runs[i].crashed && runs[i].exitCode == 0;
            if (s->recovered)
                continue;
            stuck.append(s);
            if (runs[i].out.contains(QStringLiteral("No se imprimirá automáticamente"))) {
                for (const auto &[customer, document] :
                     {std::pair{"Cliente 1", "factura:1"}, std::pair{"Cliente 2", "nota:2"}})
                    if (!completedOnPaper(s->program.paper()).contains(QString::fromUtf8(customer)))
                        runAll({s},
                               {QStringLiteral("--allow-reprint"), QString::fromUtf8(document)});
            } else if (s->cancelling == Cancelling::Outside) {
                s->program.setFaults({});
                s->cancelOutside();
            } else {
                byStation.append(s);
            }
        }
        runAll(byStation, {QStringLiteral("--cancel-coupon")});
        pending = stuck;
    }
}

struct Tally {
    int points = 0;
    int documents = 0;
    int duplicates = 0;
    int lost = 0;
    QStringList problems;

    // On paper once, and marked: an invoice with its coupon's number, a credit note with its own
    // code.
    void check(DocumentFixture &docs, const QString &paper, const QString &where) {
        const auto completed = completedOnPaper(paper);
        const QStringList coupons = completed.values(QStringLiteral("Cliente 1"));
        const QStringList notes = completed.values(QStringLiteral("Cliente 2"));
        const std::tuple<QString, QStringList, QString, QString> checks[] = {
            {QStringLiteral("factura"), coupons, coupons.value(0),
             docs.value(QStringLiteral("SELECT Control FROM Ventas WHERE Código = 1")).toString()},
            {QStringLiteral("nota"), notes, QStringLiteral("2"),
             docs.value(QStringLiteral("SELECT Control FROM NotaCréditoVenta WHERE Código = 2"))
                 .toString()}};
        for (const auto &[name, onPaper, wanted, marked] : checks) {
            ++documents;
            duplicates += qMax(0, int(onPaper.size()) - 1);
            if (onPaper.size() != 1 || marked != wanted) {
                ++lost;
                problems << QStringLiteral("%1: %2 en papel %3, marcada «%4»")
                                .arg(where, name, onPaper.join(u','), marked);
            }
        }
    }
};

// The bridge dies or hangs under `fault`; the station stops its robot and, started again like
// the operator would (cancelling a coupon left open), settles the document from the printer's
// counters. True when it ends idle with the robot running.
bool bridgeFailure(Tally &tally, const QString &fault, const QString &where) {
    StationHarness h;
    addDocuments(h.docs);
    h.setFaults(fault);
    h.start();
    h.runUntilIdle();
    h.setFaults({});
    bool recovered = false;
    for (int round = 0; round < 3 && !recovered; ++round) {
        h.station.reset();
        h.start();
        h.runUntilIdle();
        recovered = h.station->robot().running() && !h.station->robot().printingHeld();
        if (!recovered)
            h.printer->AnulaCupon();
    }
    tally.check(h.docs, h.paper(), where);
    return recovered;
}

} // namespace

class TestCrashRecovery : public QObject {
    Q_OBJECT

private slots:
    void everyDocumentIsIssuedExactlyOnce() {
        Tally tally;

        // A clean run, with every call counted: each call is then a crash point.
        Scenario clean;
        clean.program.setFaults(QStringLiteral("# contar las llamadas"));
        const ProgramRun cleanRun = runAll({&clean}).first();
        QVERIFY2(cleanRun.exitCode == 0, qPrintable(cleanRun.out));
        tally.check(clean.docs, clean.program.paper(), QStringLiteral("sin caídas"));
        const QMap<QString, int> calls = clean.callsCounted();
        QVERIFY(calls.value(QStringLiteral("Bematech_FI_VendeArticulo")) == 3);
        QStringList crashes;
        for (auto it = calls.begin(); it != calls.end(); ++it)
            for (int call = 1; call <= it.value(); ++call)
                crashes << QStringLiteral("crash %1 %2").arg(it.key()).arg(call);

        // Every crash point under both numbering rules, the coupon left open cancelled through
        // the station or on the printer itself; one numbering rule at a time.
        for (const Numbering numbering : {Numbering::AtClosing, Numbering::AtOpening}) {
            std::vector<std::unique_ptr<Scenario>> scenarios;
            QList<Scenario *> all;
            for (const Cancelling cancelling : {Cancelling::ByStation, Cancelling::Outside}) {
                for (const QString &crash : crashes) {
                    Scenario *s = scenarios.emplace_back(new Scenario(numbering, cancelling)).get();
                    s->label =
                        QStringLiteral("%1 (numeración al %2, anulación %3)")
                            .arg(crash,
                                 numbering == Numbering::AtOpening ? QStringLiteral("abrir")
                                                                   : QStringLiteral("cerrar"),
                                 cancelling == Cancelling::Outside
                                     ? QStringLiteral("desde fuera")
                                     : QStringLiteral("por la estación"));
                    s->program.setFaults(crash);
                    all.append(s);
                }
            }
            const QList<ProgramRun> runs = runAll(all);
            for (qsizetype i = 0; i < all.size(); ++i) {
                QVERIFY2(runs[i].crashed, qPrintable(all[i]->label + u'\n' + runs[i].out));
                // A station without a window cancels its own coupon left open: for the coupon
                // to be cancelled outside, the printer refuses the station's cancellation.
                all[i]->program.setFaults(all[i]->cancelling == Cancelling::Outside
                                              ? QStringLiteral("refuse Bematech_FI_AnulaCupon")
                                              : QString());
            }
            recoverAll(all);
            for (Scenario *s : all) {
                QVERIFY2(s->recovered, qPrintable(s->label));
                ++tally.points;
                tally.check(s->docs, s->program.paper(), s->label);
            }
            // The reconciliation report agrees: nothing to look at, but the one hole a coupon
            // numbered at its opening and cancelled on the printer itself leaves, which the
            // station never heard of.
            const QList<ProgramRun> reports = runAll(all, {QStringLiteral("--conciliar")});
            for (qsizetype i = 0; i < all.size(); ++i) {
                const QString &out = reports[i].out;
                const bool outsideHole =
                    all[i]->cancelling == Cancelling::Outside &&
                    numbering == Numbering::AtOpening &&
                    out.contains(QStringLiteral("Hallazgos: 0 cupones repetidos, 0 números "
                                                "ilegibles, 1 huecos sin explicación, 0 impresos "
                                                "sin marcar, 0 marcados por otro, 0 retenidos."));
                QVERIFY2(reports[i].exitCode == 0 || outsideHole,
                         qPrintable(all[i]->label + u'\n' + out));
            }
        }

        // The database refuses the update until it comes back: the document printed is held
        // back, through a restart, until it can be marked.
        Scenario outage;
        outage.docs.exec(QStringLiteral("CREATE TRIGGER caida BEFORE UPDATE ON Ventas WHEN "
                                        "NEW.Control IS NOT NULL BEGIN SELECT RAISE(ABORT, 'base "
                                        "de datos no disponible'); END"));
        QCOMPARE(runAll({&outage}).first().exitCode, 3);
        QCOMPARE(runAll({&outage}).first().exitCode, 3);
        outage.docs.exec(QStringLiteral("DROP TRIGGER caida"));
        recoverAll({&outage});
        QVERIFY(outage.recovered);
        ++tally.points;
        tally.check(outage.docs, outage.program.paper(), QStringLiteral("base de datos ausente"));

        // The same documents with the library in the bridge: it hangs longer than the station
        // waits, then it dies at every call (the crash rule now aborts the bridge).
        qputenv("FISCAL_PRINTER_BRIDGE", BRIDGE_PATH);
        qputenv("FISCAL_PRINTER_BRIDGE_TIMEOUT_MS", "2000");
        for (const QString &fault : QStringList{QStringLiteral("delay 10000")} + crashes) {
            const QString where = QStringLiteral("puente: ") + fault;
            QVERIFY2(bridgeFailure(tally, fault, where), qPrintable(where));
            ++tally.points;
        }
        qunsetenv("FISCAL_PRINTER_BRIDGE");
        qunsetenv("FISCAL_PRINTER_BRIDGE_TIMEOUT_MS");

        qInfo().noquote() << QStringLiteral("Puntos de caída probados: %1 (numeración al cerrar: "
                                            "%2, al abrir: %2, del puente: %3), documentos: %4, "
                                            "duplicados: %5, perdidos: %6")
                                 .arg(tally.points)
                                 .arg(2 * crashes.size())
                                 .arg(crashes.size() + 1)
                                 .arg(tally.documents)
                                 .arg(tally.duplicates)
                                 .arg(tally.lost);
        QVERIFY2(tally.problems.isEmpty(), qPrintable(tally.problems.join(u'\n')));
        QCOMPARE(tally.duplicates, 0);
        QCOMPARE(tally.lost, 0);
    }
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "test_crash_recovery.moc"
