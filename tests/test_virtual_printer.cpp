#include "printer/Ansi.h"
#include "printer/EntryPoints.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sys/resource.h>

namespace {

const char *const kChildFlag = "VIRTUAL_PRINTER_TEST_CHILD";

// Windows-1252 bytes that live as long as the test.
const char *ansi(const QString &text) {
    static QList<QByteArray> kept;
    kept.append(Ansi::encode(text));
    return kept.last().constData();
}

// clang-format off
#define ENTRY_POINTS(X)                                                                            \
    X(FnText3, AbreComprobanteDeVentaEx) X(FnVendeArticulo, VendeArticulo)                         \
    X(FnText3, IniciaCierreCupon) X(FnText2, EfectuaFormaPago) X(FnText1, FinalizarCierreCupon)    \
    X(FnBuffer, NumeroCupon) X(FnBuffer, NumeroReducciones) X(FnBuffer, NumeroIntervenciones)      \
    X(FnNone, AccionaGaveta) X(FnText10, AbreNotaDeCredito) X(FnText2, CierraCuponReducido)        \
    X(FnNone, AnulaCupon) X(FnNone, LecturaX) X(FnText2, ReduccionZ) X(FnBuffer, NumeroSerie)      \
    X(FnBuffer, DatosUltimaReduccion) X(FnBuffer, ContadoresTotalizadoresNoFiscales)               \
    X(FnBuffer, NumeroSustituicionesPropietario) X(FnBuffer, LeerArchivoRetorno)                   \
    X(FnRetornoImpresora, RetornoImpresora)
// clang-format on

struct Api {
#define FIELD(type, name) type name = nullptr;
    ENTRY_POINTS(FIELD)
#undef FIELD
};

#define RESOLVE(type, name)                                                                        \
    api.name = reinterpret_cast<type>(library.resolve("Bematech_FI_" #name));                      \
    QVERIFY2(api.name, #name);

} // namespace

class TestVirtualPrinter : public QObject {
    Q_OBJECT

    QLibrary library{QCoreApplication::applicationDirPath() + "/libvirtual-fiscal-printer.so"};
    Api api{};
    std::unique_ptr<QTemporaryDir> dir;

    void load() {
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        ENTRY_POINTS(RESOLVE)
    }

    // A call's return code, or a query's answer, followed by the ACK, ST1 and ST2 it left.
    QString withStatus(const QString &outcome) {
        short ack = -1, st1 = -1, st2 = -1;
        if (api.RetornoImpresora(&ack, &st1, &st2) != 1)
            return QStringLiteral("RetornoImpresora failed");
        return QStringLiteral("%1 %2,%3,%4").arg(outcome).arg(ack).arg(st1).arg(st2);
    }
    QString result(short code) { return withStatus(QString::number(code)); }
    QString answer(FnBuffer fn) { return withStatus(ask(fn)); }

    QString ask(FnBuffer fn, int size = 6) {
        QByteArray buffer(size, ' ');
        return fn(buffer.data()) == 1 ? Ansi::decode(buffer).trimmed() : QStringLiteral("refused");
    }

    QString paper() {
        QFile file(dir->filePath("paper.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Each part found after the one before.
    bool printedInOrder(const QStringList &parts) {
        const QString roll = paper();
        qsizetype at = 0;
        for (const QString &part : parts) {
            if ((at = roll.indexOf(part, at)) < 0) {
                qWarning() << "not found in order:" << part << "\n" << roll;
                return false;
            }
        }
        return true;
    }

    void writeFaults(const QByteArray &rules) {
        QFile file(dir->filePath("faults"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(rules);
    }

    short openSale() {
        return api.AbreComprobanteDeVentaEx("J-12345678-9", ansi("Juan Pérez"),
                                            ansi("Av. Bolívar"));
    }

    short item(const char *description, const char *tax, const char *type, const char *quantity,
               const char *price, short decimals = 2, const char *code = "") {
        return api.VendeArticulo(code, description, tax, type, quantity, decimals, price, "$",
                                 "0,00");
    }

    short openCreditNote(const char *day = "06") {
        return api.AbreNotaDeCredito(ansi("María"), "", "V-1234567", day, "12", "26", "12", "01",
                                     "01", "000123");
    }

    bool completeSale() {
        return openSale() == 1 && item("Pan", "FF", "F", "10.00", "10.00") == 1 &&
               api.IniciaCierreCupon("D", "$", "0.00") == 1 &&
               api.EfectuaFormaPago("Efectivo", "10.00") == 1 &&
               api.FinalizarCierreCupon("Gracias") == 1;
    }

private slots:
    void initTestCase() { load(); }

    void init() {
        QLocale::setDefault(QLocale::c());
        if (qEnvironmentVariableIsSet(kChildFlag))
            return; // the parent chose the printer directory
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        qputenv("VIRTUAL_PRINTER_DIR", dir->path().toLocal8Bit());
    }

    void saleAndCreditNoteInOrder() {
        QCOMPARE(result(openSale()), "1 6,0,0");
        QCOMPARE(answer(api.NumeroCupon), "000000 6,2,0"); // the open document flagged
        QCOMPARE(result(item("Harina", "1200", "F", "10.00", "12.50")), "1 6,0,0");
        QCOMPARE(item("Arroz", "FF", "F", "25.00", "2.00"), 1);
        QCOMPARE(api.IniciaCierreCupon("D", "$", "0.00"), 1);
        QCOMPARE(api.EfectuaFormaPago("Efectivo", "19.00"), 1);
        QCOMPARE(ask(api.NumeroCupon), "000000");
        QCOMPARE(result(api.FinalizarCierreCupon("Forma de pago:Efectivo\rMonto: 19.00")),
                 "1 6,0,0");
        QCOMPARE(answer(api.NumeroCupon), "000001 6,0,0");
        QVERIFY(printedInOrder({"CUPÓN FISCAL N° 000001\n", "RIF: J-12345678-9",
                                "Nombre: Juan Pérez", "Dirección: Av. Bolívar", "Harina",
                                "1 x 12.50 (1200) 12.50", "Arroz", "2.5 x 2.00 (FF) 5.00", "TOTAL",
                                "19.00", "Efectivo", "Forma de pago:Efectivo\nMonto: 19.00",
                                "CUPÓN FISCAL N° 000001 CERRADO"}));

        QCOMPARE(openCreditNote(), 1);
        QCOMPARE(item("Devolución", "1200", "I", "1", "150.00", 2, " "), 1);
        QCOMPARE(api.IniciaCierreCupon("D", "$", "0.00"), 1);
        // A credit note has no payment step.
        QCOMPARE(result(api.EfectuaFormaPago("Efectivo", "168.00")), "-27 6,0,1");
        QCOMPARE(api.FinalizarCierreCupon(""), -27);
        QCOMPARE(result(api.CierraCuponReducido(ansi("Tícket"), "Gracias, vuelva siempre !!!")),
                 "1 6,0,0");
        QCOMPARE(ask(api.NumeroCupon), "000002");
        QVERIFY(
            printedInOrder({"CUPÓN FISCAL N° 000001 CERRADO", "NOTA DE CRÉDITO N° 000002\n",
                            "Nombre: María", "RIF: V-1234567", "Fecha: 06/12/26", "Factura: 000123",
                            "(1200) 150.00", "TOTAL", "168.00", "Tícket",
                            "Gracias, vuelva siempre !!!", "NOTA DE CRÉDITO N° 000002 CERRADA"}));
    }

    void refusesCommandsOutOfOrder() {
        QCOMPARE(result(item("Pan", "FF", "F", "10.00", "1.00")), "-27 6,0,1");
        QCOMPARE(result(api.AnulaCupon()), "-27 6,0,4");

        QCOMPARE(openSale(), 1);
        QCOMPARE(result(openSale()), "-27 6,2,0");
        QCOMPARE(result(openCreditNote()), "-27 6,2,0");
        QCOMPARE(api.LecturaX(), -27);
        QCOMPARE(api.ReduccionZ("", ""), -27);
        QCOMPARE(result(api.CierraCuponReducido("Efectivo", "")), "-27 6,0,1");

        QCOMPARE(item("Pan", "1200", "F", "10.00", "10.00"), 1);
        QCOMPARE(api.IniciaCierreCupon("D", "$", "0.00"), 1);
        QCOMPARE(result(item("Pan", "1200", "F", "10.00", "10.00")), "-27 6,0,1");
        // Total 11.20; one item line allows the station one cent of rounding, not two.
        QCOMPARE(api.EfectuaFormaPago("Efectivo", "11.18"), 1);
        QCOMPARE(result(api.FinalizarCierreCupon("")), "-27 6,0,1");
        QCOMPARE(api.EfectuaFormaPago("Efectivo", "0.01"), 1);
        QCOMPARE(api.FinalizarCierreCupon(""), 1);
    }

    void validatesArguments() {
        QCOMPARE(result(api.AbreComprobanteDeVentaEx("J-1", "", "-")), "-27 6,1,0");
        QCOMPARE(result(api.AbreComprobanteDeVentaEx("J-1234567890123456789", "Ana", "-")),
                 "-27 6,0,128");
        QCOMPARE(result(openCreditNote("32")), "-27 6,0,128");
        QVERIFY(paper().isEmpty());

        QCOMPARE(openSale(), 1);
        QCOMPARE(result(item("Pan", "12", "F", "10.00", "1.00")), "-27 6,0,128");
        QCOMPARE(result(item("Pan", "FF", "F", "abc", "1.00")), "-27 6,0,128");
        QCOMPARE(result(item("Pan", "FF", "F", "10", "1.00")), "-27 6,0,128");
        QCOMPARE(result(item("Pan", "FF", "I", "1,5", "1.00")), "-27 6,0,128");
        QCOMPARE(result(item("Pan", "FF", "F", "10.00", "-1.00")), "-27 6,0,128");
        QCOMPARE(result(item("Pan", "FF", "F", "10.00", "100,000,000.00")), "-27 6,0,128");
        QCOMPARE(result(item("Pan", "FF", "F", "10.00", "1.00", 4)), "-27 6,0,128");
        QCOMPARE(result(item("Pan", "", "F", "10.00", "1.00")), "-27 6,1,0");
        QCOMPARE(result(item("", "FF", "F", "10.00", "1.00")), "-27 6,1,0");
        QCOMPARE(result(item(ansi("Pan de trigo con ajonjolí extr"), "FF", "F", "10.00", "1.00")),
                 "-27 6,0,128");
        QCOMPARE(item("Queso", "1200", "F", "10.00", "1,234.50"), 1);
        QCOMPARE(item("Sal", "FF", "I", "1", "1.255", 3), 1);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(item("Leche", "0800", "F", "1.000,00", "1.234,50"), 1);
        QCOMPARE(item("Pan", "FF", "F", "10,00", "1,234.50"), -27);
        QLocale::setDefault(QLocale::c());
        QVERIFY(!paper().contains("Pan"));
        QVERIFY(printedInOrder({"1 x 1234.50 (1200) 1234.50", "1 x 1.255 (FF) 1.26",
                                "100 x 1234.50 (0800) 123450.00"}));

        QCOMPARE(result(api.IniciaCierreCupon("D", "$", "999,999,999.00")), "-27 6,0,128");
        QCOMPARE(api.IniciaCierreCupon("D", "$", "0.00"), 1);
        QCOMPARE(result(api.EfectuaFormaPago("Efectivo", "-1.00")), "-27 6,0,128");
    }

    void keepsStateAcrossReloadAndCancels() {
        QCOMPARE(openSale(), 1);
        QCOMPARE(item("Pan", "FF", "F", "10.00", "4.00"), 1);
        QVERIFY(library.unload());
        api = {};
        load();
        QCOMPARE(answer(api.NumeroCupon), "000000 6,2,0");
        QCOMPARE(item("Leche", "FF", "F", "10.00", "6.00"), 1);
        QCOMPARE(api.IniciaCierreCupon("D", "$", "0.00"), 1);
        QCOMPARE(api.EfectuaFormaPago("Efectivo", "10.00"), 1);
        QCOMPARE(api.FinalizarCierreCupon(""), 1);
        QVERIFY(printedInOrder({"CUPÓN FISCAL N° 000001\n", "Pan", "Leche", "TOTAL", "10.00",
                                "CUPÓN FISCAL N° 000001 CERRADO"}));

        QCOMPARE(openSale(), 1);
        QCOMPARE(item("Pan", "FF", "F", "10.00", "4.00"), 1);
        QCOMPARE(result(api.AnulaCupon()), "1 6,0,0");
        QVERIFY(paper().contains("DOCUMENTO N° 000002 ANULADO\n"));
        QCOMPARE(answer(api.NumeroCupon), "000001 6,0,0");
        // The cancelled number is given again.
        QVERIFY(completeSale());
        QCOMPARE(paper().count("CUPÓN FISCAL N° 000002\n"), 2);
        QCOMPARE(ask(api.NumeroCupon), "000002");
    }

    void reportsAndReductions() {
        QCOMPARE(api.LecturaX(), 1);
        QVERIFY(paper().contains("LECTURA X\n"));
        QVERIFY(completeSale());
        // Number, coupon counter and total of the last reduction; the next starts from zero.
        const auto lastReduction = [this] {
            const QStringList fields = ask(api.DatosUltimaReduccion, 631).split(',');
            return fields.value(0) + ' ' + fields.value(3) + ' ' + fields.value(4);
        };
        QCOMPARE(api.ReduccionZ("", ""), 1);
        QCOMPARE(ask(api.NumeroReducciones), "000001");
        QCOMPARE(lastReduction(), "0001 000001 10.00");
        QCOMPARE(api.ReduccionZ("", ""), 1);
        QCOMPARE(lastReduction(), "0002 000001 0.00");
        QVERIFY(printedInOrder({"REDUCCIÓN Z N° 0001\n", "REDUCCIÓN Z N° 0002\n"}));
        QCOMPARE(result(api.ReduccionZ("31/02/26", "")), "-27 6,0,128");
        QCOMPARE(ask(api.NumeroReducciones), "000002");
        QCOMPARE(api.AccionaGaveta(), 1);
        QVERIFY(paper().endsWith("GAVETA ABIERTA\n"));
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
        QCOMPARE(guarded(api.NumeroSerie, 631).left(632),
                 "BE0908ZZ12345" + QByteArray(631 - 13, ' ') + '\0');
    }

    void faultRules() {
        writeFaults("offline\n");
        QCOMPARE(openSale(), 0);
        short ack = -1, st1 = -1, st2 = -1;
        QCOMPARE(api.RetornoImpresora(&ack, &st1, &st2), 0);
        QCOMPARE(ask(api.NumeroCupon), "refused");

        writeFaults("paper-out\n");
        QCOMPARE(result(openSale()), "-27 6,128,0");
        QCOMPARE(answer(api.NumeroCupon), "000000 6,0,0");
        QVERIFY(!paper().contains("CUPÓN"));

        writeFaults("paper-low\n");
        QCOMPARE(result(openSale()), "1 6,64,0");
        QCOMPARE(answer(api.NumeroCupon), "000000 6,66,0");

        writeFaults("refuse Bematech_FI_VendeArticulo 2\n");
        QCOMPARE(item("A", "FF", "F", "10.00", "1.00"), 1);
        QCOMPARE(result(item("B", "FF", "F", "10.00", "1.00")), "-27 6,0,1");
        QCOMPARE(item("C", "FF", "F", "10.00", "1.00"), 1);
        QVERIFY(!paper().contains("\nB  "));
        // Writing the same rules again is no change; a different content starts counting anew.
        writeFaults("refuse Bematech_FI_VendeArticulo 2\n");
        QCOMPARE(item("D", "FF", "F", "10.00", "1.00"), 1);
        writeFaults("# again\nrefuse Bematech_FI_VendeArticulo 2\n");
        QCOMPARE(item("E", "FF", "F", "10.00", "1.00"), 1);
        QCOMPARE(item("F", "FF", "F", "10.00", "1.00"), -27);

        writeFaults("ack21 Bematech_FI_AnulaCupon\n");
        QCOMPARE(result(api.AnulaCupon()), "-27 21,0,0");
        QCOMPARE(api.AnulaCupon(), -27);
        QCOMPARE(answer(api.NumeroCupon), "000000 6,2,0"); // still open

        writeFaults(
            "delay 1\nfrobnicate\nrefuse Bematech_FI_Nada 1\ncrash Bematech_FI_LecturaX 0\n");
        QCOMPARE(api.AnulaCupon(), 1);
        QCOMPARE(api.LecturaX(), 1);
        QFile log(dir->filePath("printer.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray notes = log.readAll();
        QCOMPARE(notes.count("frobnicate"), 1); // noted once, not at every call
        QVERIFY(notes.contains("Bematech_FI_Nada"));
        QVERIFY(notes.contains("crash Bematech_FI_LecturaX 0"));
        QVERIFY(!notes.contains("delay"));
    }

    void crashRuleFiresOnceAcrossRestart() {
        writeFaults("crash Bematech_FI_FinalizarCierreCupon 1\n");
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kChildFlag, "1");
        child.setProcessEnvironment(environment);
        child.setChildProcessModifier([] {
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
        });
        child.start(QCoreApplication::applicationFilePath(), {"-nocrashhandler", "crashingSale"});
        QVERIFY(child.waitForFinished(-1));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        // The closing was done and kept before the process died.
        QVERIFY(paper().contains("CUPÓN FISCAL N° 000001 CERRADO\n"));
        QCOMPARE(answer(api.NumeroCupon), "000001 6,0,0");
        // Here, in another process, the rule has already had its call.
        QVERIFY(completeSale());
        QCOMPARE(ask(api.NumeroCupon), "000002");
    }

    // Run only by crashRuleFiresOnceAcrossRestart in a child process; never returns there.
    void crashingSale() {
        if (!qEnvironmentVariableIsSet(kChildFlag))
            QSKIP("runs in the child process of crashRuleFiresOnceAcrossRestart");
        QVERIFY(completeSale());
    }
};

QTEST_GUILESS_MAIN(TestVirtualPrinter)
#include "test_virtual_printer.moc"
