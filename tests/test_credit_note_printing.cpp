#include "support/StationHarness.h"

#include <QLocale>
#include <QTest>

using namespace robot;

namespace {
const QString kNotas = QStringLiteral("NotaCréditoVenta");
QString stage(const QString &n) {
    return QStringLiteral("No se pudo realizar la tarea. Por favor verifique la etapa %1.").arg(n);
}
// The calls from the opening on, without the status reads of the printer's answers.
QStringList fromOpening(const QStringList &calls) {
    QStringList out;
    bool opened = false;
    for (const QString &call : calls) {
        opened = opened || call.startsWith(QStringLiteral("AbreNotaDeCredito"));
        if (opened && call != QStringLiteral("RetornoImpresora()"))
            out << call;
    }
    return out;
}
} // namespace

class TestCreditNotePrinting : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // With the printer low on paper, so every analysis of its answer shows.
    void creditNoteWithLinesIsPrintedAndMarkedWithItsOwnCode() {
        StationHarness h;
        h.docs.addCreditNote(21);
        h.docs.addCreditNoteLine(21, 1, 2, 10, QStringLiteral("Devolución"));
        h.docs.addCreditNoteLine(21, 2, 1, 4, QStringLiteral("Exento"),
                                 QStringLiteral("ExcentoImpuesto = -1"));
        h.docs.addCreditNoteLine(21, 3, 1, 5, QStringLiteral("Sin dato"),
                                 QStringLiteral("ExcentoImpuesto = NULL"));
        h.setFaults(QStringLiteral("paper-low"));
        h.start();
        h.runUntilIdle();

        QCOMPARE(fromOpening(h.printer->calls),
                 (QStringList{
                     QStringLiteral("AbreNotaDeCredito(Cliente 21||V21|06|12|26|12|01|01|000010)"),
                     QStringLiteral("VendeArticulo( |Devolucion|1200|I|2|2|10.00|%|0000)"),
                     QStringLiteral("VendeArticulo( |Exento|FF|I|1|2|4.00|%|0000)"),
                     QStringLiteral("VendeArticulo( |Sin dato|1200|I|1|2|5.00|%|0000)"),
                     QStringLiteral("IniciaCierreCupon(D|$|0.00)"),
                     QStringLiteral("CierraCuponReducido(Tícket|Gracias, vuelva siempre !!!)"),
                     QStringLiteral("NumeroReducciones(6)")}));
        // The printer's answer is analysed after each line record and after the closing; a
        // warning does not stop the credit note.
        QStringList captions;
        for (const auto &m : h.messages.messages) {
            QVERIFY(m.text.contains(QStringLiteral("Poco Papel")));
            captions << m.caption;
        }
        QCOMPARE(captions, (QStringList{QStringLiteral("Poniendo detalle"),
                                        QStringLiteral("Poniendo detalle"),
                                        QStringLiteral("Poniendo detalle"),
                                        QStringLiteral("Emisión de Cupón Fiscal")}));
        // Número, Control, Impresa, Imprimir, NúmeroZ: the credit note's own code as its number.
        QCOMPARE(h.docs
                     .value(QStringLiteral("SELECT Número || ' ' || Control || ' ' || Impresa || "
                                           "' ' || Imprimir || ' ' || NúmeroZ FROM "
                                           "NotaCréditoVenta"))
                     .toString(),
                 QStringLiteral("21 21 -1 0 1"));
        QVERIFY(h.paper().contains(QStringLiteral("NOTA DE CRÉDITO N° 000001 CERRADA")));
        QVERIFY(h.station->robot.timerEnabled());
    }

    void lumpSumLinesWhenNoLineRecordIsPrintable_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("taxed and exempt")
            << "Monto = 100, MontoExcento = 50, DescuentoFactura = NULL"
            << QStringList{QStringLiteral("0000|Descuento a factura|1200|I|1|2|100.00|%|0000"),
                           QStringLiteral("0000|Descuento a factura|II|I|1|2|50.00|%|0000")};
        QTest::newRow("rate 0 combined")
            << "PorcentImpuesto = 0, Monto = 100, MontoExcento = 50"
            << QStringList{QStringLiteral("0000|Descuento a factura|II|I|1|2|150.00|%|0000")};
        QTest::newRow("nothing to print") << "Monto = 0, MontoExcento = 0" << QStringList{};
        QTest::newRow("above the limit")
            << "PorcentImpuesto = 0, Monto = 150000000, MontoExcento = 0"
            << QStringList{
                   QStringLiteral("0000|Descuento a factura|II|I|1|2|99,999,999.00|%|0000"),
                   QStringLiteral("0000|Continua Item Anterior|II|I|1|2|50,000,001.00|%|0000")};
    }
    void lumpSumLinesWhenNoLineRecordIsPrintable() {
        QFETCH(QString, header);
        QFETCH(QStringList, lines);
        StationHarness h;
        h.docs.addCreditNote(30, 1, header);
        h.docs.addCreditNoteLine(30, 1, 1, 9, QStringLiteral("Oculta"),
                                 QStringLiteral("NoMostrarEnFactura = -1"));
        h.start();
        h.runUntilIdle();
        QCOMPARE(h.printer->itemArguments(), lines);
        QCOMPARE(h.field(kNotas, 30, QStringLiteral("Control")).toString(), QStringLiteral("30"));
        // Lump-sum lines are not analysed: the status is read for the journal's counters and
        // after the closing only.
        QCOMPARE(h.printer->calls.count(QStringLiteral("RetornoImpresora()")), 2);
    }

    void refusalsStopWithTheirStage_data() {
        QTest::addColumn<QString>("entryPoint");
        QTest::addColumn<double>("failedStage");
        QTest::newRow("opening") << "AbreNotaDeCredito" << 2.4;
        QTest::newRow("line") << "VendeArticulo" << 4.0;
        QTest::newRow("closing") << "CierraCuponReducido" << 7.0;
    }
    void refusalsStopWithTheirStage() {
        QFETCH(QString, entryPoint);
        QFETCH(double, failedStage);
        StationHarness h;
        h.docs.addCreditNote(50);
        h.docs.addCreditNoteLine(50, 1, 1, 10);
        h.setFaults(QStringLiteral("refuse Bematech_FI_") + entryPoint);
        h.start();
        h.runUntilIdle();
        QCOMPARE(h.messages.texts().last(),
                 stage(QString::number(failedStage)) +
                     QStringLiteral("\rLa impresora no aceptó Bematech_FI_%1 (código -27).")
                         .arg(entryPoint));
        QVERIFY(h.field(kNotas, 50, QStringLiteral("Control")).isNull());
        QVERIFY(!h.station->robot.timerEnabled());
    }

    // A document stopped by its own data: the stage in the workstation's number format, and
    // nothing sent to the printer. Which field stops at which stage is test_documents' table.
    void badDataStopsBeforeThePrinterWithTheLocalStage() {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Venezuela));
        StationHarness h;
        h.docs.addCreditNote(60, 1, QStringLiteral("RIF = NULL"));
        h.start();
        h.runUntilIdle();
        QCOMPARE(h.messages.texts(),
                 QStringList{stage(QStringLiteral("2,4")) + QStringLiteral("\rRIF")});
        QVERIFY(h.printer->calls.isEmpty());
        QVERIFY(h.field(kNotas, 60, QStringLiteral("Control")).isNull());
        QVERIFY(!h.station->robot.timerEnabled());
    }
};

QTEST_GUILESS_MAIN(TestCreditNotePrinting)
#include "test_credit_note_printing.moc"
