#include "printer/LibraryPrinter.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTest>

#ifndef ECHO_PRINTER_PATH
#error "the echo printer libraries' paths come from tests/echo_printer/CMakeLists.txt"
#endif

namespace {

using LastCallFn = const char *(FISCAL_API *)();

// What the echo library recorded for the last call: entry point name and arguments as bytes.
QByteArray lastCall(const QString &library = QStringLiteral(ECHO_PRINTER_PATH)) {
    const auto fn =
        reinterpret_cast<LastCallFn>(QLibrary::resolve(library, "EchoPrinter_LastCall"));
    return fn ? QByteArray(fn()) : QByteArray("EchoPrinter_LastCall missing");
}

// Restores FISCAL_PRINTER_LIBRARY as it was.
class EnvironmentGuard {
public:
    EnvironmentGuard() : wasSet(qEnvironmentVariableIsSet(kName)), value(qgetenv(kName)) {}
    ~EnvironmentGuard() {
        if (wasSet)
            qputenv(kName, value);
        else
            qunsetenv(kName);
    }
    static constexpr const char *kName = "FISCAL_PRINTER_LIBRARY";

private:
    bool wasSet;
    QByteArray value;
};

} // namespace

class TestLibraryPrinter : public QObject {
    Q_OBJECT
private slots:
    void textsGoInAsAnsi() {
        LibraryPrinter printer(QStringLiteral(ECHO_PRINTER_PATH));
        QVERIFY2(printer.isLoaded(), qPrintable(printer.loadError()));
        QCOMPARE(printer.loadError(), QString());

        QCOMPARE(printer.CierraCuponReducido(QStringLiteral("Tícket"),
                                             QStringLiteral("Gracias, vuelva siempre !!!")),
                 short(111));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_CierraCuponReducido|T\xED"
                                        "cket|Gracias, vuelva siempre !!!"));

        // Outside Windows-1252 becomes '?', the euro sign its own byte, CR stays CR.
        QCOMPARE(printer.FinalizarCierreCupon(QStringLiteral("Ω €\rMonto: 1,00 😀")), short(105));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_FinalizarCierreCupon|? \x80\rMonto: 1,00 ?"));

        QCOMPARE(printer.AbreComprobanteDeVentaEx("J123456789", "Peña", "-"), short(101));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_AbreComprobanteDeVentaEx|J123456789|Pe\xF1"
                                        "a|-"));
        QCOMPARE(printer.ReduccionZ("", ""), short(114));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_ReduccionZ||"));
    }

    void argumentsReachTheirEntryPoints() {
        LibraryPrinter printer(QStringLiteral(ECHO_PRINTER_PATH));
        // The short goes by value and comes back as the echo's return code.
        QCOMPARE(
            printer.VendeArticulo("", "Arroz", "1200", "F", "10.00", 2, "1,234.50", "$", "0,00"),
            short(2));
        QCOMPARE(lastCall(),
                 QByteArray("Bematech_FI_VendeArticulo||Arroz|1200|F|10.00|2|1,234.50|$|0,00"));
        QCOMPARE(printer.VendeArticulo("a", "b", "c", "d", "e", -300, "f", "g", "h"), short(-300));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_VendeArticulo|a|b|c|d|e|-300|f|g|h"));

        QCOMPARE(printer.IniciaCierreCupon("D", "$", "0.00"), short(103));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_IniciaCierreCupon|D|$|0.00"));
        QCOMPARE(printer.EfectuaFormaPago("Efectivo", "12.00"), short(104));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_EfectuaFormaPago|Efectivo|12.00"));

        std::array<QString, 10> texts;
        for (int i = 0; i < 10; ++i)
            texts[i] = QString::number(i);
        QCOMPARE(printer.AbreNotaDeCredito(texts), short(110));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_AbreNotaDeCredito|0|1|2|3|4|5|6|7|8|9"));

        QCOMPARE(printer.AccionaGaveta(), short(109));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_AccionaGaveta"));
        QCOMPARE(printer.AnulaCupon(), short(112));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_AnulaCupon"));
        QCOMPARE(printer.LecturaX(), short(113));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_LecturaX"));

        // By reference: the caller's values go in, the library's come back.
        short ack = 1, st1 = 2, st2 = 3;
        QCOMPARE(printer.RetornoImpresora(ack, st1, st2), short(120));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_RetornoImpresora|1|2|3"));
        QCOMPARE(ack, short(6));
        QCOMPARE(st1, short(66));
        QCOMPARE(st2, short(129));

        // The binding leaves the shared result to its callers.
        QCOMPARE(printer.CodigoRetorno, short(0));
    }

    void buffersComeBackAtTheirLengthCutAtNul() {
        LibraryPrinter printer(QStringLiteral(ECHO_PRINTER_PATH));

        // A six-digit answer fills the buffer of 6 to its last byte.
        QString buffer(6, QLatin1Char(' '));
        QCOMPARE(printer.NumeroCupon(buffer), short(106));
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_NumeroCupon|6"));
        QCOMPARE(buffer, QStringLiteral("000123"));

        buffer = QString(6, QLatin1Char(' '));
        QCOMPARE(printer.NumeroReducciones(buffer), short(107));
        QCOMPARE(buffer, QStringLiteral("0042"));

        // A longer answer is cut at the buffer's size, for small and large buffers.
        buffer = QString(6, QLatin1Char(' '));
        QCOMPARE(printer.NumeroIntervenciones(buffer), short(108));
        QCOMPARE(buffer, QStringLiteral("012345"));
        buffer = QString(631, QLatin1Char(' '));
        printer.NumeroIntervenciones(buffer);
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_NumeroIntervenciones|631"));
        QCOMPARE(buffer.size(), 631);
        QVERIFY(buffer.startsWith(QStringLiteral("01234567890123")));
        QVERIFY(buffer.endsWith(QStringLiteral("890")));

        buffer = QString(631, QLatin1Char(' '));
        QCOMPARE(printer.NumeroSerie(buffer), short(115));
        QCOMPARE(buffer, QStringLiteral("BE0123456789"));

        buffer = QString(631, QLatin1Char(' '));
        QCOMPARE(printer.DatosUltimaReduccion(buffer), short(116));
        QCOMPARE(buffer, QStringLiteral("ABC"));

        // Untouched by the library: the caller's spaces, all of them.
        buffer = QString(631, QLatin1Char(' '));
        QCOMPARE(printer.ContadoresTotalizadoresNoFiscales(buffer), short(117));
        QCOMPARE(buffer, QString(631, QLatin1Char(' ')));

        buffer = QString(631, QLatin1Char(' '));
        QCOMPARE(printer.NumeroSustituicionesPropietario(buffer), short(118));
        QCOMPARE(buffer, QStringLiteral("07"));

        buffer = QString(631, QLatin1Char(' '));
        QCOMPARE(printer.LeerArchivoRetorno(buffer), short(119));
        QCOMPARE(buffer, QStringLiteral("Cupón €"));

        // An empty buffer gives the library nothing to write into.
        buffer.clear();
        printer.NumeroCupon(buffer);
        QCOMPARE(lastCall(), QByteArray("Bematech_FI_NumeroCupon|0"));
        QCOMPARE(buffer, QString());
    }

    void missingLibraryIsReportedByPath() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("no-existe.so"));
        LibraryPrinter printer(path);
        QVERIFY(!printer.isLoaded());
        QCOMPARE(printer.loadError(),
                 QStringLiteral("No se pudo cargar la librería de la impresora fiscal «%1»: el "
                                "archivo no existe.")
                     .arg(path));
        try {
            printer.LecturaX();
            QFAIL("expected PrinterUnavailable");
        } catch (const PrinterUnavailable &e) {
            QCOMPARE(e.text, printer.loadError());
        }
        QString buffer(6, QLatin1Char(' '));
        QVERIFY_THROWS_EXCEPTION(PrinterUnavailable, printer.NumeroCupon(buffer));
        QCOMPARE(buffer, QString(6, QLatin1Char(' ')));
        short ack = 0, st1 = 0, st2 = 0;
        QVERIFY_THROWS_EXCEPTION(PrinterUnavailable, printer.RetornoImpresora(ack, st1, st2));

        // A file that is not a library at all: the loader's reason follows the path.
        QFile junk(dir.filePath(QStringLiteral("junk.so")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a library");
        junk.close();
        LibraryPrinter notALibrary(junk.fileName());
        QVERIFY(!notALibrary.isLoaded());
        QVERIFY2(notALibrary.loadError().startsWith(
                     QStringLiteral("No se pudo cargar la librería de la impresora fiscal «%1»: ")
                         .arg(junk.fileName())),
                 qPrintable(notALibrary.loadError()));
        QVERIFY_THROWS_EXCEPTION(PrinterUnavailable, notALibrary.AccionaGaveta());
    }

    void libraryLackingAnEntryPointIsNotUsed() {
        const QString path = QStringLiteral(ECHO_PRINTER_INCOMPLETE_PATH);
        LibraryPrinter printer(path);
        QVERIFY(!printer.isLoaded());
        const QString expected = QStringLiteral("La librería de la impresora fiscal «%1» no tiene "
                                                "el punto de entrada Bematech_FI_LecturaX.")
                                     .arg(path);
        QCOMPARE(printer.loadError(), expected);
        // All or nothing: the entry points it does have are not called either.
        try {
            printer.AccionaGaveta();
            QFAIL("expected PrinterUnavailable");
        } catch (const PrinterUnavailable &e) {
            QCOMPARE(e.text, expected);
        }
        QCOMPARE(lastCall(path), QByteArray());
    }

    void defaultPath() {
        EnvironmentGuard guard;
        qunsetenv(EnvironmentGuard::kName);
        const QString unset = LibraryPrinter::defaultLibraryPath();
#ifdef Q_OS_WIN
        QVERIFY(LibraryPrinter::defaultLibraryPath().endsWith(QStringLiteral("/BEMAFI32.DLL")));
#else
        QCOMPARE(LibraryPrinter::defaultLibraryPath(),
                 QCoreApplication::applicationDirPath() +
                     QStringLiteral("/libvirtual-fiscal-printer.so"));
#endif
        // An empty setting counts as none.
        qputenv(EnvironmentGuard::kName, "");
        QCOMPARE(LibraryPrinter::defaultLibraryPath(), unset);

        qputenv(EnvironmentGuard::kName, QByteArray(ECHO_PRINTER_PATH));
        QCOMPARE(LibraryPrinter::defaultLibraryPath(), QStringLiteral(ECHO_PRINTER_PATH));
        LibraryPrinter printer;
        QCOMPARE(printer.libraryPath(), QStringLiteral(ECHO_PRINTER_PATH));
        QVERIFY(printer.isLoaded());
        QCOMPARE(printer.AccionaGaveta(), short(109));
    }
};

QTEST_GUILESS_MAIN(TestLibraryPrinter)
#include "test_library_printer.moc"
