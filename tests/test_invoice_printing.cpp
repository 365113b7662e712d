#include "support/StationHarness.h"

#include <QLocale>
#include <QScopeGuard>
#include <QTest>

using namespace robot;

namespace {
const QString kVentas = QStringLiteral("Ventas");
QString stage(int n) {
    return QStringLiteral("No se pudo realizar la tarea. Por favor verifique la etapa %1.").arg(n);
}
} // namespace

class TestInvoicePrinting : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void plainSaleIsPrintedMarkedAndTheDrawerOpened() {
        StationHarness h;
        h.docs.addInvoice(7);
        h.docs.addInvoiceLine(7, 1, 1, 12.5, QStringLiteral("Café"));
        h.start();
        h.runUntilIdle();

        QCOMPARE(h.printer->calls,
                 (QStringList{
                     // the counters go to the print journal before the coupon opens
                     QStringLiteral("NumeroCupon(6)"), QStringLiteral("RetornoImpresora()"),
                     QStringLiteral("NumeroReducciones(6)"),
                     QStringLiteral("AbreComprobanteDeVentaEx(V7|Cliente 7|Calle 7)"),
                     QStringLiteral("RetornoImpresora()"),
                     QStringLiteral("VendeArticulo(|Cafe|1200|F|10.00|2|12.50|$|0,00)"),
                     QStringLiteral("IniciaCierreCupon(D|$|0.00)"),
                     QStringLiteral("EfectuaFormaPago(Efectivo|14.00)"),
                     QStringLiteral("FinalizarCierreCupon(Forma de pago:Efectivo\rMonto: 14.00)"),
                     QStringLiteral("NumeroReducciones(6)"), QStringLiteral("NumeroCupon(6)"),
                     QStringLiteral("AccionaGaveta()")}));
        QCOMPARE(h.field(kVentas, 7, QStringLiteral("Factura")).toString(),
                 QStringLiteral("000001"));
        QCOMPARE(h.field(kVentas, 7, QStringLiteral("Control")).toString(),
                 QStringLiteral("000001"));
        QCOMPARE(h.field(kVentas, 7, QStringLiteral("Impresa")).toInt(), -1);
        QCOMPARE(h.field(kVentas, 7, QStringLiteral("Imprimir")).toInt(), 0);
        QCOMPARE(h.field(kVentas, 7, QStringLiteral("NúmeroZ")).toInt(), 1);
        QVERIFY(h.paper().contains(QStringLiteral("CUPÓN FISCAL N° 000001 CERRADO")));
        QVERIFY(h.station->robot.timerEnabled());
        QVERIFY(h.messages.messages.isEmpty());
        QVERIFY(h.clock.pauses.contains(10));
        QVERIFY(h.station->sources.invoices().isEmpty());
    }

    void linesTaxesQuantitiesAndDescriptions() {
        StationHarness h;
        h.docs.setConfiguration(QStringLiteral("'J123456789', 0, -1, 0")); // decimal quantities
        h.docs.addInvoice(1, 1,
                          QStringLiteral("PlantillaAuxiliar = -1, MedioPago = 1, "
                                         "Dirección = NULL, Descuento01 = 1, "
                                         "Descuento02 = 2, Descuento03 = 0.5, "
                                         "NombreCliente = '%1'")
                              .arg(QString(50, u'N')));
        h.docs.addInvoiceLine(1, 1, 2.5, 10, QStringLiteral("Taxed"));
        h.docs.addInvoiceLine(1, 2, 1, 4, QStringLiteral("Exento"),
                              QStringLiteral("ExcentoImpuesto = -1"));
        h.docs.addInvoiceLine(1, 3, 1, 5, QStringLiteral("Sin dato"),
                              QStringLiteral("ExcentoImpuesto = NULL, Especificación = "
                                             "'  Especificación larga de más de veintinueve'"));
        h.docs.addInvoiceLine(1, 4, 1, 9, QStringLiteral("Oculta"),
                              QStringLiteral("NoMostrarEnFactura = -1"));
        h.start();
        h.runUntilIdle();

        QCOMPARE(h.printer->callsTo(QStringLiteral("AbreComprobanteDeVentaEx")).first(),
                 QStringLiteral("AbreComprobanteDeVentaEx(V1|%1|-)").arg(QString(37, u'N')));
        QCOMPARE(
            h.printer->callsTo(QStringLiteral("VendeArticulo")),
            (QStringList{QStringLiteral("VendeArticulo(|Taxed|1200|F|25.00|2|10.00|$|0,00)"),
                         QStringLiteral("VendeArticulo(|Exento|FF|F|10.00|2|4.00|$|0,00)"),
                         QStringLiteral("VendeArticulo(|Especificacion larga de mas|1200|F|10.00|2|"
                                        "5.00|$|0,00)")}));
        // 25 + 3 tax + 4 exempt + 5 taxed (NULL exemption) + 0.60 tax, less 3.50 discount.
        QCOMPARE(h.printer->callsTo(QStringLiteral("IniciaCierreCupon")).first(),
                 QStringLiteral("IniciaCierreCupon(D|$|3.50)"));
        QCOMPARE(h.printer->callsTo(QStringLiteral("EfectuaFormaPago")).first(),
                 QStringLiteral("EfectuaFormaPago(Electronico|34.10)"));
        QCOMPARE(h.field(kVentas, 1, QStringLiteral("Impresa")).toInt(), -1);
    }

    void pricesAboveTheLimitAreSplitIntoPieces() {
        StationHarness h;
        h.docs.addInvoice(1, 1, QStringLiteral("PorcentImpuesto = 0"));
        h.docs.addInvoiceLine(1, 1, 1, 150000000, QStringLiteral("Dos"));
        h.start();
        h.runUntilIdle();
        QCOMPARE(h.printer->itemPrices(),
                 (QStringList{QStringLiteral("Dos=99,999,999.00"),
                              QStringLiteral("Continua item anterior=50,000,001.00")}));
    }

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
    }

    void refusalsStopTheRobotAndLeaveTheInvoicePending_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("failedStage");
        QTest::addColumn<int>("linesSent");
        QTest::newRow("opening") << "refuse Bematech_FI_AbreComprobanteDeVentaEx" << 2 << 0;
        QTest::newRow("third of five lines") << "refuse Bematech_FI_VendeArticulo 3" << 4 << 3;
        QTest::newRow("closing") << "refuse Bematech_FI_IniciaCierreCupon" << 5 << 5;
        QTest::newRow("payment") << "refuse Bematech_FI_EfectuaFormaPago" << 6 << 5;
        QTest::newRow("closing text") << "refuse Bematech_FI_FinalizarCierreCupon" << 7 << 5;
    }
    void refusalsStopTheRobotAndLeaveTheInvoicePending() {
        QFETCH(QString, fault);
        QFETCH(int, failedStage);
        QFETCH(int, linesSent);
        StationHarness h;
        h.docs.addInvoice(3);
        for (int line = 1; line <= 5; ++line)
            h.docs.addInvoiceLine(3, line, 1, line);
        h.setFaults(fault);
        h.start();
        h.runUntilIdle();

        QCOMPARE(h.messages.texts().last(), stage(failedStage));
        QCOMPARE(h.printer->callsTo(QStringLiteral("VendeArticulo")).size(), linesSent);
        QVERIFY(!h.station->robot.timerEnabled());
        QCOMPARE(h.station->robot.command3Caption(), QStringLiteral("Detener"));
        QVERIFY(h.field(kVentas, 3, QStringLiteral("Control")).isNull());
        QVERIFY(h.printer->callsTo(QStringLiteral("AccionaGaveta")).isEmpty());
        if (failedStage == 2) // the operator sees the printer's own answer first
            QVERIFY(
                h.messages.texts().first().startsWith(QStringLiteral("Status de la Impresora")));

        // Started again, the robot skips the invoice it took last while it heads the list.
        h.setFaults({});
        h.station->robot.Command3_Click();
        h.station->robot.tick();
        QCOMPARE(h.printer->callsTo(QStringLiteral("AbreComprobanteDeVentaEx")).size(), 1);
        QCOMPARE(h.printer->callsTo(QStringLiteral("VendeArticulo")).size(), linesSent);
    }

    void nullFieldsAreFoundBeforeAnythingIsPrinted_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("RIF") << "RIF = NULL"
                             << "" << stage(2) + QStringLiteral("\rRIF");
        QTest::newRow("rate") << "PorcentImpuesto = NULL"
                              << "" << stage(2) + QStringLiteral("\rPorcentImpuesto");
        QTest::newRow("discount") << "Descuento02 = NULL"
                                  << "" << stage(2) + QStringLiteral("\rDescuento02");
        QTest::newRow("price") << ""
                               << "Precio = NULL" << stage(4) + QStringLiteral("\rPrecio");
        QTest::newRow("quantity") << ""
                                  << "Cantidad = NULL" << stage(4) + QStringLiteral("\rCantidad");
        QTest::newRow("name") << ""
                              << "Nombre = NULL" << stage(4) + QStringLiteral("\rNombre");
    }
    void nullFieldsAreFoundBeforeAnythingIsPrinted() {
        QFETCH(QString, header);
        QFETCH(QString, line);
        QFETCH(QString, expected);
        StationHarness h;
        h.docs.addInvoice(4, 1, header);
        h.docs.addInvoiceLine(4, 1, 1, 10);
        h.docs.addInvoiceLine(4, 2, 1, 10, QStringLiteral("Otra"), line);
        h.start();
        h.runUntilIdle();
        QCOMPARE(h.messages.texts(), QStringList{expected});
        QVERIFY(h.printer->calls.isEmpty());
        QVERIFY(h.paper().isEmpty());
        QVERIFY(h.field(kVentas, 4, QStringLiteral("Control")).isNull());
        QVERIFY(!h.station->robot.timerEnabled());
    }

    void quantityModeFromConfiguration_data() {
        QTest::addColumn<QString>("values"); // VerCantidad, VerCantidadDecimal
        QTest::addColumn<int>("mode");
        QTest::newRow("whole") << "-1, 0" << 1;
        QTest::newRow("decimal") << "0, -1" << 2;
        QTest::newRow("both") << "-1, -1" << 3;
        QTest::newRow("neither") << "0, 0" << 0;
        QTest::newRow("null whole") << "NULL, -1" << 0;
        QTest::newRow("null decimal") << "-1, NULL" << 0;
    }
    void quantityModeFromConfiguration() {
        QFETCH(QString, values);
        StationHarness h;
        h.docs.setConfiguration(QStringLiteral("'J123456789', %1, 0").arg(values));
        h.start();
        QTEST(int(h.station->robot.ModoCantidad), "mode");
    }

    void quantityModeZeroPrintsWholeQuantities() {
        StationHarness h;
        h.docs.setConfiguration(QStringLiteral("'J123456789', 0, 0, 0"));
        h.docs.addInvoice(1);
        h.docs.addInvoiceLine(1, 1, 3, 2, QStringLiteral("Tres"), QStringLiteral("CantDec = 9"));
        h.docs.addInvoice(2);
        h.docs.addInvoiceLine(2, 1, 1, 2);
        h.start();
        h.runUntilIdle();
        QCOMPARE(h.printer->callsTo(QStringLiteral("VendeArticulo")).first(),
                 QStringLiteral("VendeArticulo(|Tres|1200|F|30.00|2|2.00|$|0,00)"));
        QFile log(h.log.path());
        log.open(QIODevice::ReadOnly);
        QCOMPARE(QString::fromUtf8(log.readAll()).count(QStringLiteral("cantidades enteras")), 1);
    }

    void aPrinterLibraryThatCannotBeLoadedIsAStageFailure() {
        StationHarness h;
        h.docs.addInvoice(8);
        h.docs.addInvoiceLine(8, 1, 1, 10);
        h.start(1, QStringLiteral("/no/existe/libimpresora.so"));
        h.runUntilIdle();
        QCOMPARE(h.messages.messages.size(), 1);
        QVERIFY(h.messages.texts().first().startsWith(stage(2) + u'\r'));
        QVERIFY(h.messages.texts().first().contains(QStringLiteral("/no/existe/libimpresora.so")));
        QVERIFY(h.field(kVentas, 8, QStringLiteral("Control")).isNull());
        QVERIFY(!h.station->robot.timerEnabled());
    }
};

QTEST_GUILESS_MAIN(TestInvoicePrinting)
#include "test_invoice_printing.moc"
