// Kills the station at every printer call of an invoice and of a credit note (the virtual
// printer's crash rule aborts the process after the printer has done its work), restarts it,
// and checks that the paper roll and the document database end with every document issued
// exactly once and marked with the number the paper shows.

#include "support/DocumentFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Run {
    bool crashed = false;
    int exitCode = 0;
    QString output;
};

// One data directory with one pending invoice and one pending credit note for machine 1.
class Scenario {
public:
    Scenario() {
        docs.setConfiguration();
        docs.writeStationFiles(1);
        docs.addInvoice(1);
        docs.addInvoiceLine(1, 1, 2, 10);
        docs.addInvoiceLine(1, 2, 1, 5.5);
        docs.addCreditNote(2);
        docs.addCreditNoteLine(2, 1, 1, 100);
    }

    QString printerDir() const { return docs.directory() + QStringLiteral("virtual-printer"); }

    void setFaults(const QString &rules) {
        QDir().mkpath(printerDir());
        QFile file(printerDir() + QStringLiteral("/faults"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(rules.toUtf8());
    }

    Run station(const QStringList &action = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VIRTUAL_PRINTER_DIR"), printerDir());
        env.remove(QStringLiteral("FISCAL_PRINTER_LIBRARY"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        QStringList args{QStringLiteral("--dir"), docs.directory()};
        args += action.isEmpty()
                    ? QStringList{QStringLiteral("--headless"), QStringLiteral("--exit-when-idle")}
                    : action;
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/robot-fiscal"),
                      args);
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::CrashExit, process.exitCode(),
                QString::fromUtf8(process.readAll())};
    }

    // What an operator does after a crash: start again, cancelling a coupon left open.
    bool recover() {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const Run run = station();
            if (!run.crashed && run.exitCode == 0)
                return true;
            station({QStringLiteral("--cancel-coupon")});
        }
        return false;
    }

    QString paper() const {
        QFile file(printerDir() + QStringLiteral("/paper.txt"));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

    DocumentFixture docs;
};

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

struct Tally {
    int points = 0;
    int documents = 0;
    int duplicates = 0;
    int lost = 0;
    QStringList problems;

    void check(Scenario &s, const QString &where) {
        const auto completed = completedOnPaper(s.paper());
        const QString invoiceControl =
            s.docs.value(QStringLiteral("SELECT Control FROM Ventas WHERE Código = 1")).toString();
        const QString creditControl =
            s.docs.value(QStringLiteral("SELECT Control FROM NotaCréditoVenta WHERE Código = 2"))
                .toString();
        const QStringList invoiceCoupons = completed.values(QStringLiteral("Cliente 1"));
        const QStringList creditNotes = completed.values(QStringLiteral("Cliente 2"));
        documents += 2;
        duplicates +=
            qMax(0, int(invoiceCoupons.size()) - 1) + qMax(0, int(creditNotes.size()) - 1);
        if (invoiceCoupons.size() != 1 || invoiceControl != invoiceCoupons.value(0)) {
            ++lost;
            problems << where + QStringLiteral(": factura en papel %1, marcada «%2»")
                                    .arg(invoiceCoupons.join(u','), invoiceControl);
        }
        if (creditNotes.size() != 1 || creditControl != QStringLiteral("2")) {
            ++lost;
            problems << where + QStringLiteral(": nota en papel %1, marcada «%2»")
                                    .arg(creditNotes.join(u','), creditControl);
        }
    }
};

} // namespace

class TestCrashRecovery : public QObject {
    Q_OBJECT

private slots:
    void everyDocumentIsIssuedExactlyOnce() {
        const QStringList entryPoints = {
            QStringLiteral("Bematech_FI_NumeroCupon"),
            QStringLiteral("Bematech_FI_RetornoImpresora"),
            QStringLiteral("Bematech_FI_NumeroReducciones"),
            QStringLiteral("Bematech_FI_AbreComprobanteDeVentaEx"),
            QStringLiteral("Bematech_FI_VendeArticulo"),
            QStringLiteral("Bematech_FI_IniciaCierreCupon"),
            QStringLiteral("Bematech_FI_EfectuaFormaPago"),
            QStringLiteral("Bematech_FI_FinalizarCierreCupon"),
            QStringLiteral("Bematech_FI_AccionaGaveta"),
            QStringLiteral("Bematech_FI_AbreNotaDeCredito"),
            QStringLiteral("Bematech_FI_CierraCuponReducido"),
        };
        Tally tally;
        for (const QString &entryPoint : entryPoints) {
            for (int call = 1; call <= 12; ++call) {
                Scenario s;
                s.setFaults(QStringLiteral("crash %1 %2").arg(entryPoint).arg(call));
                const Run run = s.station();
                s.setFaults({});
                const QString where = QStringLiteral("%1 #%2").arg(entryPoint).arg(call);
                if (!run.crashed) {
                    // That call never came: a clean run, which must be right too.
                    QVERIFY2(run.exitCode == 0, qPrintable(where + u'\n' + run.output));
                    tally.check(s, where + QStringLiteral(" (sin caída)"));
                    break;
                }
                ++tally.points;
                QVERIFY2(s.recover(), qPrintable(where));
                tally.check(s, where);
            }
        }

        // The database refuses the update until it comes back.
        Scenario s;
        s.docs.exec(QStringLiteral("CREATE TRIGGER caida BEFORE UPDATE ON Ventas BEGIN SELECT "
                                   "RAISE(ABORT, 'base de datos no disponible'); END"));
        const Run refused = s.station();
        QCOMPARE(refused.exitCode, 3);
        QVERIFY(refused.output.contains(QStringLiteral("SÍ fue impresa")));
        QCOMPARE(s.station().exitCode, 3); // still away: nothing new is printed
        s.docs.exec(QStringLiteral("DROP TRIGGER caida"));
        QVERIFY(s.recover());
        ++tally.points;
        tally.check(s, QStringLiteral("base de datos ausente"));

        qInfo().noquote() << QStringLiteral("Puntos de caída probados: %1, documentos: %2, "
                                            "duplicados: %3, perdidos: %4")
                                 .arg(tally.points)
                                 .arg(tally.documents)
                                 .arg(tally.duplicates)
                                 .arg(tally.lost);
        QVERIFY2(tally.problems.isEmpty(), qPrintable(tally.problems.join(u'\n')));
        QCOMPARE(tally.duplicates, 0);
        QCOMPARE(tally.lost, 0);
        QVERIFY(tally.points >= 20);
    }
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "test_crash_recovery.moc"
