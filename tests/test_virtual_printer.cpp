// What the station's end-to-end tests do not reach: buffer limits, refusals with their exact
// status bits, argument checks and the finer points of the fault rules.
#include "printer/EntryPoints.h"
#include "support/StationProgram.h"

#include <QFile>
#include <QLibrary>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace robot;

namespace {

using namespace robot::fiscal;

struct Api {
#define FIELD(name, shape) Fn##shape name = nullptr;
    FISCAL_ENTRY_POINTS(FIELD)
#undef FIELD
};

#define RESOLVE(name, shape)                                                                       \
    api.name = reinterpret_cast<Fn##shape>(library.resolve(symbolOf(EntryPoint::name)));           \
    QVERIFY2(api.name, #name);

} // namespace

class TestVirtualPrinter : public QObject {
    Q_OBJECT

    QLibrary library{virtualPrinterPath()};
    Api api{};
    std::unique_ptr<QTemporaryDir> dir;

    // A call's return code followed by the ACK, ST1 and ST2 it left.
    QString result(short code) {
        short ack = -1, st1 = -1, st2 = -1;
        if (api.RetornoImpresora(&ack, &st1, &st2) != 1)
            return QStringLiteral("RetornoImpresora failed");
        return QStringLiteral("%1 %2,%3,%4").arg(code).arg(ack).arg(st1).arg(st2);
    }

    QByteArray read(const char *name) {
        QFile file(dir->filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString paper() { return QString::fromUtf8(read("paper.txt")); }

    void writeFaults(const char *rules) { robot::writeFaults(dir->path(), rules); }

    short openSale() { return api.AbreComprobanteDeVentaEx("J-12345678-9", "Juan", "Caracas"); }
    short item(const char *description, const char *price) {
        return api.VendeArticulo("", description, "1200", "F", "10.00", 2, price, "$", "0,00");
    }

private slots:
    void initTestCase() {
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        FISCAL_ENTRY_POINTS(RESOLVE)
    }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        qputenv("VIRTUAL_PRINTER_DIR", dir->path().toLocal8Bit());
    }

    void respectsBufferCapacity() {
        // The bytes after the NUL stand for whatever follows the caller's buffer in memory.
        const auto guarded = [](FnBuffer fn, int spaces) {
            QByteArray buffer = QByteArray(spaces, ' ') + '\0' + QByteArray(8, '#');
            return fn(buffer.data()) == 1 ? buffer : QByteArray("refused");
        };
        QCOMPARE(guarded(api.NumeroCupon, 6), QByteArray("000000\0########", 15));
        QCOMPARE(guarded(api.NumeroSerie, 2), QByteArray("BE\0########", 11));
        QCOMPARE(guarded(api.NumeroSerie, 0), QByteArray("\0########", 9));
    }

    void refusesCommandsOutOfOrder() {
        QCOMPARE(result(item("Pan", "1.00")), "-27 6,0,1");

        QCOMPARE(api.AbreNotaDeCredito("A", "", "V1", "06", "12", "26", "12", "01", "01", "1"), 1);
        QCOMPARE(result(openSale()), "-27 6,2,0");
        QCOMPARE(api.LecturaX(), -27);
        QCOMPARE(api.ReduccionZ("", ""), -27);
        QCOMPARE(item("Pan", "10.00"), 1);
        QCOMPARE(api.IniciaCierreCupon("D", "$", "0.00"), 1);
        QCOMPARE(result(api.EfectuaFormaPago("Efectivo", "11.20")), "-27 6,0,1"); // no payment step
        QCOMPARE(api.CierraCuponReducido("Efectivo", ""), 1);

        QCOMPARE(openSale(), 1);
        QCOMPARE(result(api.CierraCuponReducido("Efectivo", "")), "-27 6,0,1");
        QCOMPARE(item("Pan", "10.00"), 1);
        QCOMPARE(result(api.FinalizarCierreCupon("")), "-27 6,0,1"); // the closing not begun
        QCOMPARE(api.IniciaCierreCupon("D", "$", "0.00"), 1);
        QCOMPARE(result(item("Pan", "10.00")), "-27 6,0,1");
        QCOMPARE(result(api.FinalizarCierreCupon("")), "-27 6,0,1"); // nothing paid yet
        // The payment must cover the 11.20 due, less one cent of rounding per item line.
        QCOMPARE(api.EfectuaFormaPago("Efectivo", "11.18"), 1);
        QCOMPARE(result(api.FinalizarCierreCupon("")), "-27 6,0,1");
        QCOMPARE(api.EfectuaFormaPago("Efectivo", "0.01"), 1);
        QCOMPARE(result(api.FinalizarCierreCupon("")), "1 6,0,0");
    }

    void validatesItemArguments() {
        // clang-format off
        struct Row { const char *name, *description, *tax, *type, *quantity, *price; short decimals;
                     const char *outcome; }; // a refusal's status, or a sale's and its line
        const char *invalid = "-27 6,0,128", *missing = "-27 6,1,0";
        const Row rows[] = {
            {"unknown tax code", "Pan", "12", "F", "10.00", "1.00", 2, invalid},
            {"no tax code", "Pan", "", "F", "10.00", "1.00", 2, missing},
            {"no description", "", "FF", "F", "10.00", "1.00", 2, missing},
            {"30 characters", "Pan de trigo con ajonjoli extr", "FF", "F", "10.00", "1.00", 2, invalid},
            {"29 characters, one accented", "Pan de trigo con ajonjol\xED ext", "FF", "F", "10.00", "1.00", 2, "1 6,0,0 Pan de trigo con ajonjolí ext 1 x 1.00 (FF) 1.00"},
            {"quantity not a number", "Pan", "FF", "F", "abc", "1.00", 2, invalid},
            {"fractional quantity, no decimals", "Pan", "FF", "F", "10", "1.00", 2, invalid},
            {"integer quantity, two marks", "Pan", "FF", "I", "1,5.0", "1.00", 2, invalid},
            {"price too large", "Pan", "FF", "F", "10.00", "100,000,000.00", 2, invalid},
            {"four price decimals", "Pan", "FF", "F", "10.00", "1.00", 4, invalid},
            {"more decimals than said", "Pan", "FF", "F", "10.00", "1.255", 2, invalid},
            {"grouping and decimal mark alike", "Pan", "FF", "F", "10.00", "1.234.50", 2, invalid},
            {"grouped price", "Queso", "1200", "F", "10.00", "1,234.50", 2, "1 6,0,0 Queso 1 x 1234.50 (1200) 1234.50"},
            {"three price decimals", "Sal", "FF", "I", "1", "1.255", 3, "1 6,0,0 Sal 1 x 1.255 (FF) 1.26"},
            {"decimal comma", "Leche", "0800", "F", "1.000,00", "1.234,50", 2, "1 6,0,0 Leche 100 x 1234.50 (0800) 123450.00"},
            {"integer quantity, decimal comma", "Miel", "FF", "I", "2,5", "2,00", 2, "1 6,0,0 Miel 2.5 x 2.00 (FF) 5.00"},
        };
        // clang-format on
        QCOMPARE(openSale(), 1);
        for (const Row &r : rows) {
            const QString before = paper();
            const short code = api.VendeArticulo("", r.description, r.tax, r.type, r.quantity,
                                                 r.decimals, r.price, "$", "0,00");
            const QString printed = paper().mid(before.size()).simplified();
            QCOMPARE(r.name + (": " + result(code) + ' ' + printed).trimmed(),
                     r.name + QString(": ") + r.outcome);
        }
    }

    // A coupon cancelled and the next one completed: no number is on two documents of the
    // roll, whichever numbering rule the printer was made with. Numbered when it opens, the
    // cancelled coupon keeps its number; numbered when it closes, it never had one.
    void noNumberOnTwoDocuments_data() {
        QTest::addColumn<QByteArray>("numbering");
        QTest::addColumn<QString>("counter"); // after both
        QTest::newRow("at the closing") << QByteArray() << QStringLiteral("000001");
        QTest::newRow("at the opening") << QByteArray("opening") << QStringLiteral("000002");
    }
    void noNumberOnTwoDocuments() {
        QFETCH(QByteArray, numbering);
        QFETCH(QString, counter);
        const auto restore = qScopeGuard([] { qunsetenv("VIRTUAL_PRINTER_NUMBERING"); });
        qputenv("VIRTUAL_PRINTER_NUMBERING", numbering);
        QCOMPARE(openSale(), 1);
        QCOMPARE(item("Pan", "10.00"), 1);
        QCOMPARE(api.AnulaCupon(), 1);
        QCOMPARE(openSale(), 1);
        QCOMPARE(item("Pan", "10.00"), 1);
        QCOMPARE(api.IniciaCierreCupon("D", "$", "0.00"), 1);
        QCOMPARE(api.EfectuaFormaPago("Efectivo", "11.20"), 1);
        QCOMPARE(api.FinalizarCierreCupon(""), 1);
        QByteArray number(6, ' ');
        QCOMPARE(api.NumeroCupon(number.data()), 1);
        QCOMPARE(QString::fromLatin1(number), counter);

        // Each document lies between two full rules; the numbers each one shows.
        static const QRegularExpression shown(QStringLiteral("N° (\\d{6})"));
        QMap<QString, int> documentsShowing;
        for (const QString &document : paper().split(QString(48, u'='), Qt::SkipEmptyParts)) {
            QSet<QString> numbers;
            for (const QRegularExpressionMatch &match : shown.globalMatch(document))
                numbers.insert(match.captured(1));
            for (const QString &n : std::as_const(numbers))
                ++documentsShowing[n];
        }
        QVERIFY2(paper().contains(QStringLiteral("ANULADO")), qPrintable(paper()));
        QVERIFY2(paper().contains(QStringLiteral("CUPÓN FISCAL N° %1 CERRADO").arg(counter)),
                 qPrintable(paper()));
        for (auto it = documentsShowing.cbegin(); it != documentsShowing.cend(); ++it)
            QVERIFY2(it.value() == 1, qPrintable(paper()));
    }

    void faultRules() {
        // Out of paper nothing opens (queries answer with the paper sensor: the station's check).
        writeFaults("paper-out\n");
        QCOMPARE(result(openSale()), "-27 6,128,0");
        writeFaults("");
        QCOMPARE(openSale(), 1);

        // Writing the same rules again is no change; a different content starts counting anew.
        // (Which call a rule refuses: the printing tests.)
        writeFaults("refuse Bematech_FI_VendeArticulo 2\n");
        QCOMPARE(item("A", "1.00"), 1);
        writeFaults("refuse Bematech_FI_VendeArticulo 2\n");
        QCOMPARE(result(item("B", "1.00")), "-27 6,0,1");
        writeFaults("# again\nrefuse Bematech_FI_VendeArticulo 2\n");
        QCOMPARE(item("C", "1.00"), 1);
        QCOMPARE(item("D", "1.00"), -27);

        writeFaults(
            "delay 1\nfrobnicate\nrefuse Bematech_FI_Nada 1\ncrash Bematech_FI_LecturaX 0\n");
        QCOMPARE(api.AnulaCupon(), 1);
        QCOMPARE(api.LecturaX(), 1); // the malformed crash rule is ignored
        const QByteArray notes = read("printer.log");
        QCOMPARE(notes.count("frobnicate"), 1); // noted once, not at every call
        QVERIFY(notes.contains("Bematech_FI_Nada"));
        QVERIFY(notes.contains("crash Bematech_FI_LecturaX 0"));
        QVERIFY(!notes.contains("delay"));
    }
};

QTEST_GUILESS_MAIN(TestVirtualPrinter)
#include "test_virtual_printer.moc"
