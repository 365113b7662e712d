// What a document must hold before the printer is touched, and what the printer's counters
// mean: small tables, no database, no printer.
#include "documents/DocumentPreparation.h"
#include "journal/PrinterCounters.h"

#include <QTest>
#include <limits>

using namespace robot;

namespace {

Row row(std::initializer_list<std::pair<const char16_t *, QVariant>> fields) {
    Row r;
    for (const auto &[name, value] : fields)
        r.set(QString::fromUtf16(name), value);
    return r;
}

DocumentRows invoice() {
    return {row({{u"NombreCliente", "Ana"},
                 {u"RIF", "J1"},
                 {u"Dirección", QVariant()},
                 {u"PorcentImpuesto", 0.12},
                 {u"PlantillaAuxiliar", 0},
                 {u"MedioPago", QVariant()},
                 {u"Descuento01", 0},
                 {u"Descuento02", 0},
                 {u"Descuento03", 0}}),
            {row({{u"Cantidad", 1}, {u"CantDec", 1.5}, {u"Precio", 10.0}, {u"Nombre", "Pan"}})}};
}

DocumentRows creditNote() {
    return {row({{u"NombreCliente", "Ana"},
                 {u"RIF", "J1"},
                 {u"Dirección", QVariant()},
                 {u"Factura", "7"},
                 {u"PorcentImpuesto", 0.12},
                 {u"Monto", 100.0},
                 {u"MontoExcento", 0.0},
                 {u"DescuentoFactura", QVariant()}}),
            {row({{u"Cantidad", 1}, {u"CantDec", 1.5}, {u"Precio", 10.0}, {u"Nombre", "Pan"}}),
             row({{u"Cantidad", 2}, {u"CantDec", 2.5}, {u"Precio", 5.0}, {u"Nombre", "Té"}})}};
}

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT

private slots:
    // Every numeric field, with a value that is not a number a receipt can carry: the document
    // stops at the stage the field belongs to, naming the field.
    void badNumbersStopBeforeThePrinter_data() {
        QTest::addColumn<bool>("isInvoice");
        QTest::addColumn<int>("line"); // -1: the header
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<double>("stage");
        const QVariant nan = std::numeric_limits<double>::quiet_NaN();
        const QVariant inf = std::numeric_limits<double>::infinity();
        for (const char *f :
             {"PorcentImpuesto", "Descuento01", "Descuento02", "Descuento03", "MedioPago"}) {
            QTest::addRow("factura %s texto", f) << true << -1 << f << QVariant("1.234,50") << 2.0;
            QTest::addRow("factura %s vacío", f) << true << -1 << f << QVariant("") << 2.0;
            QTest::addRow("factura %s NaN", f) << true << -1 << f << nan << 2.0;
        }
        QTest::newRow("factura PorcentImpuesto 1e300")
            << true << -1 << "PorcentImpuesto" << QVariant(1e300) << 2.0;
        for (const char *f : {"Cantidad", "Precio"}) {
            QTest::addRow("línea %s texto", f) << true << 0 << f << QVariant("abc") << 4.0;
            QTest::addRow("línea %s infinito", f) << true << 0 << f << inf << 4.0;
        }
        QTest::newRow("precio 1e16") << true << 0 << "Precio" << QVariant(1e16) << 4.0;
        QTest::newRow("precio de mil millones") << true << 0 << "Precio" << QVariant(1.2e9) << 4.0;
        for (const char *f : {"PorcentImpuesto", "Monto", "MontoExcento", "DescuentoFactura"})
            QTest::addRow("nota %s texto", f) << false << -1 << f << QVariant("1,5") << 2.5;
        QTest::newRow("nota primera Cantidad") << false << 0 << "Cantidad" << QVariant("x") << 3.0;
        QTest::newRow("nota segunda Cantidad") << false << 1 << "Cantidad" << QVariant("x") << 4.0;
        QTest::newRow("nota Precio") << false << 0 << "Precio" << nan << 4.0;
    }
    void badNumbersStopBeforeThePrinter() {
        QFETCH(bool, isInvoice);
        QFETCH(int, line);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(double, stage);
        DocumentRows rows = isInvoice ? invoice() : creditNote();
        (line < 0 ? rows.header : rows.lines[line]).set(field, value);
        PreparedInvoice i;
        PreparedCreditNote n;
        const auto failure =
            isInvoice ? prepareInvoice(rows, 1, &i) : prepareCreditNote(rows, 1, &n);
        QVERIFY(failure);
        QCOMPARE(failure->stage, stage);
        QVERIFY2(failure->reason.contains(field) || failure->reason.contains(u"precio"),
                 qPrintable(failure->reason));
    }

    void goodDocumentsAndNullsThatMeanZero() {
        DocumentRows rows = invoice();
        PreparedInvoice i;
        QVERIFY(!prepareInvoice(rows, 1, &i));
        QCOMPARE(i.formaPago, QStringLiteral("Efectivo")); // MedioPago NULL
        QCOMPARE(i.direccion, QStringLiteral("-"));
        PreparedCreditNote n;
        QVERIFY(!prepareCreditNote(creditNote(), 2, &n));
        QCOMPARE(n.discount, 0.0); // DescuentoFactura NULL
        QCOMPARE(n.lines.size(), 2);
        rows.lines[0].set(QStringLiteral("Precio"), QVariant()); // NULL where a value is needed
        QCOMPARE(prepareInvoice(rows, 1, &i)->reason, QStringLiteral("Precio"));
    }

    void pricesSplitIntoBoundedPieces() {
        using Pieces = QList<double>;
        QCOMPARE(splitPrice(99999998.99), Pieces{99999998.99});
        QCOMPARE(splitPrice(99999999.0), Pieces{99999999.0});
        QCOMPARE(splitPrice(150000000.0), (Pieces{99999999.0, 50000001.0}));
        QCOMPARE(splitPrice(250000000.0), (Pieces{99999999.0, 99999999.0, 50000002.0}));
        QCOMPARE(splitPrice(-250000000.0), Pieces{-250000000.0}); // never split
        QVERIFY(!splitPrice(1e16));
        QVERIFY(!splitPrice(std::numeric_limits<double>::infinity()));
        QVERIFY(!splitPrice(std::numeric_limits<double>::quiet_NaN()));
    }

    void counterReplies() {
        QCOMPARE(reductionCount(QStringLiteral("000045")), 45);
        QCOMPARE(reductionCount(QStringLiteral("   124")), 124);
        QCOMPARE(reductionCount(QStringLiteral("      ")), 0);
        QCOMPARE(reductionCount(QStringLiteral("12ab")), 12);
        QCOMPARE(documentCounter(QStringLiteral("000124")), 124);
        QCOMPARE(documentCounter(QStringLiteral("12    ")), 12);
        for (const char *bad : {"+00005", "  12", "-00001", "      ", "1 2", "0x10"})
            QVERIFY2(!documentCounter(QString::fromLatin1(bad)), bad);
    }
};

QTEST_GUILESS_MAIN(TestDocuments)
#include "test_documents.moc"
