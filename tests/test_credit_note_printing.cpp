#include "documents/ItemLines.h"
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
QStringList fromOpening(const QStringList &calls, bool keepStatusReads = false) {
    QStringList out;
    bool opened = false;
    for (const QString &call : calls) {
        opened = opened || call.startsWith(QStringLiteral("AbreNotaDeCredito"));
        if (opened && (keepStatusReads || call != QStringLiteral("RetornoImpresora()")))
            out << call;
    }
    return out;
}
} // namespace

class TestCreditNotePrinting : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void creditNoteWithLinesIsPrintedAndMarkedWithItsOwnCode() {
        StationHarness h;
        h.docs.addCreditNote(21);
        h.docs.addCreditNoteLine(21, 1, 2, 10, QStringLiteral("Devolución"));
        h.docs.addCreditNoteLine(21, 2, 1, 4, QStringLiteral("Exento"),
                                 QStringLiteral("ExcentoImpuesto = -1"));
        h.docs.addCreditNoteLine(21, 3, 1, 5, QStringLiteral("Sin dato"),
                                 QStringLiteral("ExcentoImpuesto = NULL"));
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
        // The printer's answer is analysed after each line record and after the closing.
        QCOMPARE(fromOpening(h.printer->calls, true).count(QStringLiteral("RetornoImpresora()")),
                 4);
        QCOMPARE(h.field(kNotas, 21, QStringLiteral("Número")).toString(), QStringLiteral("21"));
        QCOMPARE(h.field(kNotas, 21, QStringLiteral("Control")).toString(), QStringLiteral("21"));
        QCOMPARE(h.field(kNotas, 21, QStringLiteral("Impresa")).toInt(), -1);
        QCOMPARE(h.field(kNotas, 21, QStringLiteral("Imprimir")).toInt(), 0);
        QCOMPARE(h.field(kNotas, 21, QStringLiteral("NúmeroZ")).toInt(), 1);
        QVERIFY(h.paper().contains(QStringLiteral("NOTA DE CRÉDITO N° 000001 CERRADA")));
        QVERIFY(h.messages.messages.isEmpty());
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
        QCOMPARE(h.printer->callsTo(QStringLiteral("IniciaCierreCupon")).first(),
                 QStringLiteral("IniciaCierreCupon(D|$|0.00)"));
        QCOMPARE(h.field(kNotas, 30, QStringLiteral("Control")).toString(), QStringLiteral("30"));
        // Lump-sum lines are not analysed: only the closing reads the status.
        QCOMPARE(fromOpening(h.printer->calls, true).count(QStringLiteral("RetornoImpresora()")),
                 1);
    }

    void theGuardIsSharedWithInvoices() {
        StationHarness h;
        h.docs.addInvoice(5);
        h.docs.addInvoiceLine(5, 1, 1, 10);
        h.docs.addCreditNote(5);
        h.start();
        h.station->robot.tick(); // invoice 5
        h.station->robot.tick(); // credit note 5 carries the code just taken: left alone
        QVERIFY(h.field(kNotas, 5, QStringLiteral("Control")).isNull());
        QVERIFY(h.station->robot.timerEnabled());
        QVERIFY(h.printer->callsTo(QStringLiteral("AbreNotaDeCredito")).isEmpty());
        h.docs.addInvoice(6);
        h.docs.addInvoiceLine(6, 1, 1, 10);
        h.runUntilIdle();
        QCOMPARE(h.field(kNotas, 5, QStringLiteral("Control")).toString(), QStringLiteral("5"));
        const QStringList &calls = h.printer->calls;
        QVERIFY(calls.indexOf(QRegularExpression(QStringLiteral("AbreNotaDeCredito.*"))) >
                calls.lastIndexOf(QRegularExpression(QStringLiteral("AbreComprobante.*"))));
    }

    void refusalsAndNullFieldsStopWithTheirStage_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("opened");
        QTest::newRow("opening refused")
            << "refuse Bematech_FI_AbreNotaDeCredito"
            << ""
            << ""
            << stage(QStringLiteral("2.4")) +
                   QStringLiteral("\rLa impresora no aceptó Bematech_FI_AbreNotaDeCredito "
                                  "(código -27).")
            << false;
        QTest::newRow("line refused")
            << "refuse Bematech_FI_VendeArticulo"
            << ""
            << ""
            << stage(QStringLiteral("4")) +
                   QStringLiteral("\rLa impresora no aceptó Bematech_FI_VendeArticulo (código "
                                  "-27).")
            << true;
        QTest::newRow("closing refused")
            << "refuse Bematech_FI_CierraCuponReducido"
            << ""
            << ""
            << stage(QStringLiteral("7")) +
                   QStringLiteral("\rLa impresora no aceptó Bematech_FI_CierraCuponReducido "
                                  "(código -27).")
            << true;
        QTest::newRow("name") << ""
                              << "NombreCliente = NULL"
                              << ""
                              << stage(QStringLiteral("2.4")) + QStringLiteral("\rNombreCliente")
                              << false;
        QTest::newRow("amount") << ""
                                << "Monto = NULL"
                                << "" << stage(QStringLiteral("2.5")) + QStringLiteral("\rMonto")
                                << false;
        QTest::newRow("quantity") << ""
                                  << ""
                                  << "Cantidad = NULL"
                                  << stage(QStringLiteral("3")) + QStringLiteral("\rCantidad")
                                  << false;
        QTest::newRow("price") << ""
                               << ""
                               << "Precio = NULL"
                               << stage(QStringLiteral("4")) + QStringLiteral("\rPrecio") << false;
    }
    void refusalsAndNullFieldsStopWithTheirStage() {
        QFETCH(QString, fault);
        QFETCH(QString, header);
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QFETCH(bool, opened);
        StationHarness h;
        h.docs.addCreditNote(50, 1, header);
        h.docs.addCreditNoteLine(50, 1, 1, 10, QStringLiteral("Artículo"), line);
        h.setFaults(fault);
        h.start();
        h.runUntilIdle();
        QCOMPARE(h.messages.texts().last(), expected);
        QCOMPARE(h.paper().contains(QStringLiteral("NOTA DE CRÉDITO")), opened);
        QVERIFY(h.field(kNotas, 50, QStringLiteral("Control")).isNull());
        QVERIFY(!h.station->robot.timerEnabled());
    }

    void stageUsesTheWorkstationDecimalSymbol() {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Venezuela));
        StationHarness h;
        h.docs.addCreditNote(60, 1, QStringLiteral("RIF = NULL"));
        h.start();
        h.runUntilIdle();
        QCOMPARE(h.messages.texts().last(), stage(QStringLiteral("2,4")) + QStringLiteral("\rRIF"));
    }

    void lowPaperIsShownAndTheCreditNoteGoesOn() {
        StationHarness h;
        h.docs.addCreditNote(70);
        h.docs.addCreditNoteLine(70, 1, 1, 10);
        h.setFaults(QStringLiteral("paper-low"));
        h.start();
        h.runUntilIdle();
        QVERIFY(!h.messages.messages.isEmpty());
        QVERIFY(h.messages.texts().first().contains(QStringLiteral("Poco Papel")));
        QCOMPARE(h.messages.messages.first().caption, QStringLiteral("Poniendo detalle"));
        QCOMPARE(h.field(kNotas, 70, QStringLiteral("Control")).toString(), QStringLiteral("70"));
    }
};

QTEST_GUILESS_MAIN(TestCreditNotePrinting)
#include "test_credit_note_printing.moc"
