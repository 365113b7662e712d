// Runs twice (tests/CMakeLists.txt): with the library in process, and through the bridge
// program when FISCAL_PRINTER_BRIDGE is set. Both must give the same answers.

#include "printer/LibraryPrinter.h"
#include "printer/StationPrinter.h"
#include "support/RecordingPrinter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifndef ECHO_PRINTER_PATH
#error "the echo printer libraries' paths come from tests/echo_printer/CMakeLists.txt"
#endif

using namespace robot;

namespace {

const QString kEcho = QStringLiteral(ECHO_PRINTER_PATH);

QTemporaryDir scratch;

// What the echo library recorded for the last call: entry point name and arguments as bytes.
QByteArray lastCall() {
    QFile file(scratch.filePath("last-call"));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A call's return code and what the library received.
QByteArray echoed(const PrinterReply &reply) {
    return QByteArray::number(reply.code) + ' ' + lastCall();
}

// Why every call to `printer` comes back without reaching a printer.
QString unavailableMessage(const PrinterReply &reply) {
    return reply.unavailable() ? reply.faultText : QStringLiteral("no Unavailable");
}

} // namespace

class TestLibraryPrinter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("ECHO_PRINTER_LAST_CALL", scratch.filePath("last-call").toUtf8());
    }

    // One entry point of each argument shape: the methods are generated per shape.
    void argumentsGoInAsAnsiToTheirEntryPoints() {
        const auto station = robot::makeStationPrinter(kEcho);
        FiscalPrinter &printer = *station;
        // Windows-1252: í is 0xED (\355), ñ 0xF1 (\361), € 0x80.
        QCOMPARE(echoed(printer.CierraCuponReducido("Tícket", "Gracias")),
                 "111 CierraCuponReducido|T\355cket|Gracias");
        // Outside Windows-1252 becomes '?', the euro sign its own byte, CR stays CR.
        QCOMPARE(echoed(printer.FinalizarCierreCupon("Ω €\rMonto: 1,00 😀")),
                 "105 FinalizarCierreCupon|? \x80\rMonto: 1,00 ?");
        QCOMPARE(echoed(printer.AbreComprobanteDeVentaEx("J123456789", "Peña", "-")),
                 "101 AbreComprobanteDeVentaEx|J123456789|Pe\361a|-");
        // The short goes by value and comes back as the echo's return code.
        QCOMPARE(echoed(printer.VendeArticulo("", "Arroz", "1200", "F", "10.00", -300, "1,234.50",
                                              "$", "0,00")),
                 "-300 VendeArticulo||Arroz|1200|F|10.00|-300|1,234.50|$|0,00");
        QCOMPARE(
            echoed(printer.AbreNotaDeCredito({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"})),
            "110 AbreNotaDeCredito|0|1|2|3|4|5|6|7|8|9");
        QCOMPARE(echoed(printer.AccionaGaveta()), "109 AccionaGaveta");

        // By reference: the library's words come back in the reply.
        const PrinterReply status = printer.RetornoImpresora();
        QCOMPARE(echoed(status), "120 RetornoImpresora|0|0|0");
        QCOMPARE(status.statusText(), "6,66,129");
    }

    void buffersComeBackAtTheirLengthCutAtNul() {
        using Query = PrinterReply (FiscalPrinter::*)(QString &);
        const struct {
            Query query;
            int size;
            short code;
            QString answer;
        } cases[] = {
            {&FiscalPrinter::NumeroCupon, 6, 106, "000123"},
            {&FiscalPrinter::NumeroCupon, 0, 106, ""},
            {&FiscalPrinter::NumeroReducciones, 6, 107, "0042"},
            {&FiscalPrinter::NumeroIntervenciones, 631, 108, QString(631, '7')},
            {&FiscalPrinter::DatosUltimaReduccion, 631, 116, "ABC"},
            {&FiscalPrinter::ContadoresTotalizadoresNoFiscales, 631, 117, QString(631, ' ')},
            {&FiscalPrinter::LeerArchivoRetorno, 631, 119, "Cupón €"},
        };
        const auto printer = robot::makeStationPrinter(kEcho);
        for (const auto &c : cases) {
            QString buffer(c.size, ' ');
            QCOMPARE(((*printer).*c.query)(buffer).code, c.code);
            QVERIFY(lastCall().endsWith('|' + QByteArray::number(c.size)));
            QCOMPARE(buffer, c.answer);
        }
    }

    void unusableLibraryIsReportedByPathOrEntryPoint() {
        QTemporaryDir dir;
        const QString path = dir.filePath("no-existe.so");
        const auto missing = robot::makeStationPrinter(path);
        QCOMPARE(unavailableMessage(missing->LecturaX()),
                 "No se pudo cargar la librería de la impresora fiscal «" + path +
                     "»: el archivo no existe.");
        QString buffer(6, ' ');
        QVERIFY(missing->NumeroCupon(buffer).unavailable());
        QCOMPARE(buffer, "      ");

        // All or nothing: not even the entry points the library has are called.
        const QString incomplete = QStringLiteral(ECHO_PRINTER_INCOMPLETE_PATH);
        const auto lacking = robot::makeStationPrinter(incomplete);
        QCOMPARE(unavailableMessage(lacking->AccionaGaveta()),
                 "La librería de la impresora fiscal «" + incomplete +
                     "» no tiene el punto de entrada Bematech_FI_LecturaX.");
    }

    void defaultPathAndOverride() {
        const QByteArray saved = qgetenv("FISCAL_PRINTER_LIBRARY");
        qputenv("FISCAL_PRINTER_LIBRARY", ""); // empty counts as none
        QCOMPARE(LibraryPrinter::defaultLibraryPath(),
                 QCoreApplication::applicationDirPath() + "/libvirtual-fiscal-printer.so");
        // A relative path counts from where the program started, not from where it moved to.
        qputenv("FISCAL_PRINTER_LIBRARY", QDir::current().relativeFilePath(kEcho).toLocal8Bit());
        const QString started = QDir::currentPath();
        QDir::setCurrent(scratch.path());
        LibraryPrinter printer;
        QDir::setCurrent(started);
        qputenv("FISCAL_PRINTER_LIBRARY", saved);
        QCOMPARE(QFileInfo(printer.libraryPath()).canonicalFilePath(),
                 QFileInfo(kEcho).canonicalFilePath());
        QCOMPARE(printer.AccionaGaveta().code, short(109));
    }
};

QTEST_GUILESS_MAIN(TestLibraryPrinter)
#include "test_library_printer.moc"
