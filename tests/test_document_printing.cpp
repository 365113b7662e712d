// Invoices and credit notes printed by a real station (temporary SQLite database, virtual
// printer): the exact printer calls, the marking, and how refusals and bad data stop a document.
// Runs again through the bridge program and under Wine (tests/CMakeLists.txt).
#include "support/StationHarness.h"

#include <QLocale>
#include <QScopeGuard>
#include <QTest>

using namespace robot;

namespace {
const QString kVentas = QStringLiteral("Ventas");
const QString kNotas = QStringLiteral("NotaCréditoVenta");
QString stage(const QVariant &n) {
    return QStringLiteral("No se pudo realizar la tarea. Por favor verifique la etapa %1.")
        .arg(n.toString());
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

class TestDocumentPrinting : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Every kind of line, the header's fields, the price split, the payment and the marking; then
    // the same station on a printer library that cannot be loaded.
    void invoiceIsPrintedMarkedAndTheDrawerOpened() {
        StationHarness h;
        h.docs.setConfiguration(QStringLiteral("'J123456789', 0, -1, 0")); // decimal quantities
        h.docs.addInvoice(7, 1,
                          QStringLiteral("PlantillaAuxiliar = -1, MedioPago = 1, Descuento01 = 1, "
                                         "Descuento02 = 2, Descuento03 = 0.5, NombreCliente = '%1'")
                              .arg(QString(50, u'N')));
        h.docs.addInvoiceLine(7, 1, 2.5, 10, QStringLiteral("Café"));
        h.docs.addInvoiceLine(7, 2, 1, 4, QStringLiteral("Exento"),
                              QStringLiteral("ExcentoImpuesto = -1"));
        h.docs.addInvoiceLine(7, 3, 1, 5, QStringLiteral("Sin dato"),
                              QStringLiteral("ExcentoImpuesto = NULL, Especificación = "
                                             "'  Especificación larga de más de veintinueve'"));
        h.docs.addInvoiceLine(7, 4, 1, 9, QStringLiteral("Oculta"),
                              QStringLiteral("NoMostrarEnFactura = -1"));
        h.docs.addInvoiceLine(7, 5, 1, 150000000, QStringLiteral("Dos")); // above the price limit
        h.start();
        h.runUntilIdle();

        QCOMPARE(
            h.printer->calls,
            (QStringList{
                // the counters go to the print journal before the coupon opens
                QStringLiteral("NumeroCupon(6)"), QStringLiteral("RetornoImpresora()"),
                QStringLiteral("NumeroReducciones(6)"),
                QStringLiteral("AbreComprobanteDeVentaEx(V7|%1|Calle 7)").arg(QString(37, u'N')),
                QStringLiteral("RetornoImpresora()"),
                QStringLiteral("VendeArticulo(|Cafe|1200|F|25.00|2|10.00|$|0,00)"),
                QStringLiteral("VendeArticulo(|Exento|FF|F|10.00|2|4.00|$|0,00)"),
                QStringLiteral("VendeArticulo(|Especificacion larga de mas|1200|F|10.00|2|5.00|$|"
                               "0,00)"),
                QStringLiteral("VendeArticulo(|Dos|1200|F|10.00|2|99,999,999.00|$|0,00)"),
                QStringLiteral("VendeArticulo(|Continua item anterior|1200|F|10.00|2|50,000,001.00|"
                               "$|0,00)"),
                // 25 + 3 tax + 4 exempt + 5 taxed (NULL exemption) + 0.60 tax + 150,000,000 +
                // 18,000,000 tax, less 3.50 discount.
                QStringLiteral("IniciaCierreCupon(D|$|3.50)"),
                QStringLiteral("EfectuaFormaPago(Electronico|168,000,034.10)"),
                QStringLiteral("FinalizarCierreCupon(Forma de pago:Electronico\rMonto: "
                               "168,000,034.10)"),
                QStringLiteral("NumeroReducciones(6)"), QStringLiteral("NumeroCupon(6)"),
                QStringLiteral("AccionaGaveta()")}));
        // Factura, Control, Impresa, Imprimir, NúmeroZ.
        QCOMPARE(h.docs
                     .value(QStringLiteral("SELECT Factura || ' ' || Control || ' ' || Impresa || "
                                           "' ' || Imprimir || ' ' || NúmeroZ FROM Ventas"))
                     .toString(),
                 QStringLiteral("000001 000001 -1 0 1"));
        QVERIFY(h.messages.messages.isEmpty());

        // A printer library that cannot be loaded is a stage failure that names it.
        h.docs.addInvoiceWithLine(8);
        h.station.reset();
        h.start(1, QStringLiteral("/no/existe/libimpresora.so"));
        h.runUntilIdle();
        QCOMPARE(h.messages.messages.size(), 1);
        QVERIFY(h.messages.texts().first().startsWith(stage(2) + u'\r'));
        QVERIFY(h.messages.texts().first().contains(QStringLiteral("/no/existe/libimpresora.so")));
        QVERIFY(h.field(kVentas, 8, QStringLiteral("Control")).isNull());
    }

    // The workstation's number symbols on the printer; a document stopped by its own data gives
    // its stage in the workstation's format, with nothing sent to the printer (which field stops
    // at which stage is test_documents' table).
    void workstationSymbolsAreUsed() {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Venezuela));
        // The same regional settings for a printer library in the bridge's process.
        const auto restore = qScopeGuard([saved = qgetenv("LC_ALL")] { qputenv("LC_ALL", saved); });
        qputenv("LC_ALL", "es_VE.UTF-8");
        StationHarness h;
        h.docs.addInvoice(1, 1, QStringLiteral("Descuento01 = 1000"));
        h.docs.addInvoiceLine(1, 1, 2, 1500.5);
        h.start();
        h.runUntilIdle();
        QCOMPARE(h.printer->callsTo(QStringLiteral("VendeArticulo")).first(),
                 QStringLiteral("VendeArticulo(|Articulo|1200|F|20,00|2|1.500,50|$|0,00)"));
        QCOMPARE(h.printer->callsTo(QStringLiteral("IniciaCierreCupon")).first(),
                 QStringLiteral("IniciaCierreCupon(D|$|1.000,00)"));
        QCOMPARE(h.field(kVentas, 1, QStringLiteral("Control")).toString(),
                 QStringLiteral("000001"));

        h.docs.addCreditNote(60, 1, QStringLiteral("RIF = NULL"));
        h.printer->calls.clear();
        h.runUntilIdle();
        QCOMPARE(h.messages.texts(),
                 QStringList{stage(QStringLiteral("2,4")) +
                             QStringLiteral("\rRIF\rCorrija el documento en la administración y "
                                            "pulse «Iniciar».")});
        QVERIFY(h.printer->calls.isEmpty());
        QVERIFY(h.field(kNotas, 60, QStringLiteral("Control")).isNull());
    }

    // A refusal stops the robot at the refused call's stage and leaves the document pending; a
    // credit note's message names the call.
    void refusalsStopTheRobotAndLeaveTheDocumentPending_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<double>("failedStage");
        QTest::addColumn<int>("linesSent"); // of an invoice's five; -1: a credit note
        QTest::newRow("opening") << "AbreComprobanteDeVentaEx" << 2.0 << 0;
        QTest::newRow("third of five lines") << "VendeArticulo 3" << 4.0 << 3;
        QTest::newRow("closing") << "IniciaCierreCupon" << 5.0 << 5;
        QTest::newRow("payment") << "EfectuaFormaPago" << 6.0 << 5;
        QTest::newRow("closing text") << "FinalizarCierreCupon" << 7.0 << 5;
        QTest::newRow("credit note opening") << "AbreNotaDeCredito" << 2.4 << -1;
        QTest::newRow("credit note line") << "VendeArticulo" << 4.0 << -1;
        QTest::newRow("credit note closing") << "CierraCuponReducido" << 7.0 << -1;
    }
    void refusalsStopTheRobotAndLeaveTheDocumentPending() {
        QFETCH(QString, fault);
        QFETCH(double, failedStage);
        QFETCH(int, linesSent);
        const bool credit = linesSent < 0;
        StationHarness h;
        if (credit) {
            h.docs.addCreditNote(3);
            h.docs.addCreditNoteLine(3, 1, 1, 10);
        } else {
            h.docs.addInvoice(3);
            for (int line = 1; line <= 5; ++line)
                h.docs.addInvoiceLine(3, line, 1, line);
        }
        h.setFaults(QStringLiteral("refuse Bematech_FI_") + fault);
        h.start();
        h.runUntilIdle();

        QCOMPARE(h.station->robot().state(), Robot::State::StoppedAfterFailure);
        QVERIFY(h.field(credit ? kNotas : kVentas, 3, QStringLiteral("Control")).isNull());
        // One box: the stage, the printer's words and what to do, each on its own line; past the
        // opening a coupon may be left open.
        const QString refused =
            credit
                ? QStringLiteral("\rLa impresora no aceptó Bematech_FI_%1 (código -27).").arg(fault)
                : QString();
        const QString next =
            failedStage == 2 || failedStage == 2.4
                ? QStringLiteral("Pulse «Iniciar» para intentarlo de nuevo; si se repite, llame "
                                 "al técnico.")
                : QStringLiteral("Pulse «Anula Cupon» si el cupón quedó abierto (el robot "
                                 "imprimirá el documento de nuevo); si no, pulse «Iniciar».");
        QCOMPARE(h.messages.texts(),
                 QStringList{stage(failedStage) + refused +
                             QStringLiteral("\rComando no ejecutado.\r") + next});
        if (credit)
            return;
        QCOMPARE(h.printer->callsTo(QStringLiteral("VendeArticulo")).size(), linesSent);
        // The status line and the log give the printer's own words; the box keeps its text.
        QVERIFY2(h.station->robot().statusText().contains(
                     QStringLiteral("factura 3, etapa %1: Comando no ejecutado.").arg(failedStage)),
                 qPrintable(h.station->robot().statusText()));
        QVERIFY(
            readAll(h.log.path())
                .contains(QStringLiteral("Factura 3 no impresa: etapa %1: Comando no ejecutado. "
                                         "La impresora respondió con el código -27; Status de "
                                         "la Impresora: 6,0,1 (Comando no ejecutado).")
                              .arg(failedStage)));
        QVERIFY(h.printer->callsTo(QStringLiteral("AccionaGaveta")).isEmpty());
    }

    // VerCantidad, VerCantidadDecimal: the quantity printed is Cantidad (3) or CantDec (9); with
    // neither chosen, Cantidad, said once in the log.
    void quantityModeFromConfiguration_data() {
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("told"); // in the log
        QTest::addColumn<QString>("quantity");
        QTest::newRow("whole") << "-1, 0" << false << "30.00";
        QTest::newRow("decimal") << "0, -1" << false << "90.00";
        QTest::newRow("both") << "-1, -1" << false << "90.00";
        QTest::newRow("neither") << "0, 0" << true << "30.00";
    }
    void quantityModeFromConfiguration() {
        QFETCH(QString, values);
        QFETCH(bool, told);
        QFETCH(QString, quantity);
        StationHarness h;
        h.docs.setConfiguration(QStringLiteral("'J123456789', %1, 0").arg(values));
        for (const int codigo : {1, 2}) {
            h.docs.addInvoice(codigo);
            h.docs.addInvoiceLine(codigo, 1, 3, 2, QStringLiteral("Tres"),
                                  QStringLiteral("CantDec = 9"));
        }
        h.start();
        h.runUntilIdle();
        QCOMPARE(
            h.printer->callsTo(QStringLiteral("VendeArticulo")),
            QStringList(
                2, QStringLiteral("VendeArticulo(|Tres|1200|F|%1|2|2.00|$|0,00)").arg(quantity)));
        QCOMPARE(readAll(h.log.path()).count(QStringLiteral("cantidades enteras")), told ? 1 : 0);
    }

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
        QCOMPARE(captions, QStringList(3, QStringLiteral("Poniendo detalle"))
                               << QStringLiteral("Emisión de Cupón Fiscal"));
        // Número, Control, Impresa, Imprimir, NúmeroZ: the credit note's own code as its number.
        QCOMPARE(h.docs
                     .value(QStringLiteral("SELECT Número || ' ' || Control || ' ' || Impresa || "
                                           "' ' || Imprimir || ' ' || NúmeroZ FROM "
                                           "NotaCréditoVenta"))
                     .toString(),
                 QStringLiteral("21 21 -1 0 1"));
        QVERIFY(h.station->robot().running());
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
        // Lump-sum lines are not analysed: the status is read for the journal's counters and
        // after the closing only.
        QCOMPARE(h.printer->calls.count(QStringLiteral("RetornoImpresora()")), 2);
    }
};

QTEST_GUILESS_MAIN(TestDocumentPrinting)
#include "test_document_printing.moc"
