// The documents' text formatting and its Windows-1252 bytes, what a document must hold before the
// printer is touched, how a price is split and what the printer's counters mean: small tables,
// no database, no printer.
#include "core/Cp1252.h"
#include "documents/DocumentPreparation.h"
#include "documents/TextFormat.h"
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
    // The small text helpers of the documents, with the cases the printing tests do not reach.
    void textHelpers() {
        QString text = QStringLiteral("ótimo ÑñÁáÉéÍíÓóÚú pingüino Ü à ¿¡\r\n\t€ á");
        const QString clean = QStringLiteral("otimo NnAaEeIiOoUu pingüino Ü à ¿¡\r\n\t€ a");
        QCOMPARE(LimpioCadena(text), clean);
        QCOMPARE(text, clean);
        // Cifras makes the tax-rate code only: the rate times 100, to two decimals.
        double monto = 0.29 * 100; // 28.999999999999996: the code must read 2900
        QCOMPARE(Cifras(monto, 2, 2), QStringLiteral("2900"));
        monto = -7.1;
        QCOMPARE(Cifras(monto, 6, 2), QStringLiteral("000710"));
        QCOMPARE(monto, 7.1);
        // A usual RIF is in the window's title; here one too short and one too long.
        QCOMPARE(Decoro_RIF(QStringLiteral("J1234")), QStringLiteral("J-1234-"));
        QCOMPARE(Decoro_RIF(QStringLiteral("V1234567890XYZ")), QStringLiteral("V-12345678-9"));
        const QLocale ve(QLocale::Spanish, QLocale::Venezuela);
        QCOMPARE(formatPlainNumber(12.75, ve), QStringLiteral("12,75"));
        QCOMPARE(formatPlainNumber(1234567, ve), QStringLiteral("1234567"));
        QCOMPARE(formatPlainNumber(0.1 + 0.2, QLocale::c()), QStringLiteral("0.3"));
        QCOMPARE(formatPlainNumber(0.0000001, QLocale::c()), QStringLiteral("0.0000001"));
        QCOMPARE(zeroPad(800, 4), QStringLiteral("0800"));
    }

    void formatAmount_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("venezuela");
        QTest::addColumn<QString>("point");
        // clang-format off
        QTest::newRow("tie") << 1.005 << "1,01" << "1.01";
        QTest::newRow("carry into a group") << 999.995 << "1.000,00" << "1,000.00";
        QTest::newRow("negative") << -1234.5 << "-1.234,50" << "-1,234.50";
        QTest::newRow("negative zero") << -0.001 << "0,00" << "0.00";
        // clang-format on
    }

    void formatAmount() {
        QFETCH(double, value);
        QTEST(::formatAmount(value, QLocale(QLocale::Spanish, QLocale::Venezuela)), "venezuela");
        QTEST(::formatAmount(value, QLocale::c()), "point");
    }

    // Every byte comes back as itself, except the five the code page leaves undefined, which
    // no text can carry. The printer binding's test has the usual letters both ways.
    void windows1252() {
        for (int b = 1; b < 256; ++b) {
            const std::string byte(1, char(b));
            const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
            QCOMPARE(cp1252::fromUtf8(cp1252::toUtf8(byte)), undefined ? "?" : byte);
        }
        QCOMPARE(cp1252::toUtf8("\x80\x8A\x92\x9F"), std::string("€Š’Ÿ"));
        // A narrow no-break space is a no-break space; malformed UTF-8 a mark per byte.
        for (const auto &[utf8, ansi] : {std::pair{"1\u202F000", "1\xA0"
                                                                 "000"},
                                         std::pair{"a\xE2\x82", "a??"}, std::pair{"\xC0\xAF", "??"},
                                         std::pair{"\xED\xA0\x80", "???"}})
            QCOMPARE(cp1252::fromUtf8(utf8), std::string(ansi));
    }

    // Every numeric field, with a value that is not a number a receipt can carry or that the
    // printer refuses: the document stops at the stage the field belongs to, naming the field
    // and its value.
    void badNumbersStopBeforeThePrinter_data() {
        QTest::addColumn<bool>("isInvoice");
        QTest::addColumn<int>("line"); // -1: the header; -2: the header of a note without lines
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<double>("stage");
        // Each numeric field with each value no receipt can carry, and NULL where it is not 0.
        const QVariant notNumbers[] = {QVariant("1.234,50"), QVariant(""),
                                       std::numeric_limits<double>::quiet_NaN(),
                                       std::numeric_limits<double>::infinity(), QVariant(1e16)};
        const auto numeric = [&](bool invoice, int line, const char *field, double stage,
                                 bool nullIsZero = false) {
            const char *kind = invoice ? "factura" : "nota";
            for (const QVariant &value : notNumbers)
                QTest::addRow("%s %d %s «%s»", kind, line, field, qPrintable(value.toString()))
                    << invoice << line << field << value << stage;
            if (!nullIsZero)
                QTest::addRow("%s %d %s NULL", kind, line, field)
                    << invoice << line << field << QVariant() << stage;
        };
        for (const char *f : {"PorcentImpuesto", "Descuento01", "Descuento02", "Descuento03"})
            numeric(true, -1, f, 2);
        numeric(true, -1, "MedioPago", 2, true);
        numeric(true, 0, "Cantidad", 4);
        numeric(true, 0, "Precio", 4);
        for (const char *f : {"PorcentImpuesto", "Monto", "MontoExcento"})
            numeric(false, -1, f, 2.5);
        numeric(false, -1, "DescuentoFactura", 2.5, true);
        numeric(false, 0, "Cantidad", 3); // the first line's quantity, then the rest at 4
        numeric(false, 1, "Cantidad", 4);
        numeric(false, 0, "Precio", 4);
        // Texts the printer cannot do without.
        QTest::newRow("factura RIF NULL") << true << -1 << "RIF" << QVariant() << 2.0;
        QTest::newRow("factura Nombre NULL") << true << 0 << "Nombre" << QVariant() << 4.0;
        QTest::newRow("nota NombreCliente NULL")
            << false << -1 << "NombreCliente" << QVariant() << 2.4;
        QTest::newRow("precio de mil millones") << true << 0 << "Precio" << QVariant(1.2e9) << 4.0;
        // Values the printer would refuse with the document already open on it.
        QTest::newRow("factura tasa 1") << true << -1 << "PorcentImpuesto" << QVariant(1.0) << 2.0;
        QTest::newRow("nota tasa negativa")
            << false << -1 << "PorcentImpuesto" << QVariant(-0.12) << 2.5;
        QTest::newRow("factura cantidad 0") << true << 0 << "Cantidad" << QVariant(0) << 4.0;
        QTest::newRow("factura precio negativo") << true << 0 << "Precio" << QVariant(-1.5) << 4.0;
        QTest::newRow("nota primera cantidad -1")
            << false << 0 << "Cantidad" << QVariant(-1) << 3.0;
        QTest::newRow("nota precio negativo") << false << 1 << "Precio" << QVariant(-5.0) << 4.0;
        // No line records: the amounts go as lump sums.
        QTest::newRow("nota Monto negativo") << false << -2 << "Monto" << QVariant(-100.0) << 3.0;
        QTest::newRow("nota MontoExcento negativo")
            << false << -2 << "MontoExcento" << QVariant(-1.0) << 3.0;
    }
    void badNumbersStopBeforeThePrinter() {
        QFETCH(bool, isInvoice);
        QFETCH(int, line);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(double, stage);
        DocumentRows rows = isInvoice ? invoice() : creditNote();
        if (line == -2)
            rows.lines.clear();
        (line < 0 ? rows.header : rows.lines[line]).set(field, value);
        const Result<PreparedInvoice, StageFailure> invoiceRead = prepareInvoice(rows, 1);
        const Result<PreparedCreditNote, StageFailure> noteRead = prepareCreditNote(rows, 1);
        QVERIFY(isInvoice ? !invoiceRead.ok() : !noteRead.ok());
        const StageFailure &failure = isInvoice ? invoiceRead.why() : noteRead.why();
        QCOMPARE(failure.stage, stage);
        QVERIFY2((failure.reason.contains(field) && failure.reason.contains(value.toString())) ||
                     failure.reason.contains(u"precio"),
                 qPrintable(failure.reason));
    }

    // Control characters in any text the printer gets from the database become blanks before
    // the trimming and the cuts: no line can be fed or forged on a fiscal document.
    void controlCharactersBecomeBlanksBeforeTheCuts() {
        const QString forged = QStringLiteral("\tAna\r\nTOTAL 0.00\x1b\x07\x00\x7f");
        const QString blanked = QStringLiteral("Ana  TOTAL 0.00");
        DocumentRows rows = invoice();
        for (const char16_t *field : {u"NombreCliente", u"RIF", u"Dirección"})
            rows.header.set(QString::fromUtf16(field), forged);
        rows.lines[0].set(QStringLiteral("Nombre"), forged);
        const auto prepared = prepareInvoice(rows, 1);
        QVERIFY(prepared.ok());
        const PreparedInvoice &i = prepared.value();
        for (const QString &text : {i.nombre, i.rif, i.direccion, i.lines[0].item.descripcion})
            QCOMPARE(text, blanked);
        // A control character counts as one position when the name is cut at 37.
        rows.header.set(QStringLiteral("NombreCliente"), QString(36, u'x') + u'\n' + u'y');
        const auto cut = prepareInvoice(rows, 1);
        QVERIFY(cut.ok());
        QCOMPARE(cut.value().nombre, QString(36, u'x') + u' ');
    }

    void goodDocumentsAndNullsThatMeanZero() {
        DocumentRows rows = invoice();
        const auto i = prepareInvoice(rows, 1);
        QVERIFY(i.ok());
        QCOMPARE(i.value().formaPago, QStringLiteral("Efectivo")); // MedioPago NULL
        QCOMPARE(i.value().direccion, QStringLiteral("-"));
        const auto n = prepareCreditNote(creditNote(), 2);
        QVERIFY(n.ok());
        QCOMPARE(n.value().discount, 0.0); // DescuentoFactura NULL
        QCOMPARE(n.value().lines.size(), 2);
    }

    void pricesSplitIntoBoundedPieces() {
        using Pieces = QList<double>;
        QCOMPARE(splitPrice(99999999.0), Pieces{99999999.0});
        // Two pieces: the invoice printing test. Amounts no receipt carries never come here.
        QCOMPARE(splitPrice(250000000.0), (Pieces{99999999.0, 99999999.0, 50000002.0}));
        QCOMPARE(splitPrice(-250000000.0), Pieces{-250000000.0}); // never split
        QCOMPARE(splitPrice(999999990.0), Pieces(10, 99999999.0));
        QVERIFY(!splitPrice(999999991.0)); // an eleventh piece
    }

    void counterReplies() {
        QCOMPARE(reductionCount(QStringLiteral("000045")), 45); // never octal
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
