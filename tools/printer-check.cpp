// Prints one small coupon through the printer the station would use (the virtual printer
// unless FISCAL_PRINTER_LIBRARY says otherwise; through the bridge when FISCAL_PRINTER_BRIDGE
// names it), showing each call's result.
// Exit status 0 when every call returned 1.

#include "documents/TextFormat.h"
#include "platform/PrinterLibraryLocation.h"
#include "printer/StationPrinter.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace robot;

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    using robot::fiscal::EntryPoint;
    using robot::fiscal::symbolOf;
    const std::unique_ptr<FiscalPrinter> station = robot::makeStationPrinter();
    FiscalPrinter &printer = *station;
    out << "Librería: " << robot::platform::printerLibraryPath() << Qt::endl;
    if (const QStringList bridge = robot::platform::printerBridgeCommand(); !bridge.isEmpty())
        out << "Puente: " << bridge.join(u' ') << Qt::endl;

    bool allOk = true;
    auto report = [&](EntryPoint call, short result) {
        out << symbolOf(call) << ": " << result << Qt::endl;
        allOk = allOk && result == 1;
    };

    try {
        const double price = 12.5;
        const double quantity = 1;
        const QString total = formatAmount(price * quantity * 1.16);
        report(EntryPoint::AbreComprobanteDeVentaEx,
               printer.AbreComprobanteDeVentaEx(QStringLiteral("J123456789"),
                                                QStringLiteral("Cliente de prueba"),
                                                QStringLiteral("Caracas")));
        report(EntryPoint::VendeArticulo,
               printer.VendeArticulo(QString(), QStringLiteral("Articulo de prueba"),
                                     QStringLiteral("1600"), QStringLiteral("F"),
                                     formatAmount(quantity * 10), 2, formatAmount(price),
                                     QStringLiteral("$"), QStringLiteral("0,00")));
        report(
            EntryPoint::IniciaCierreCupon,
            printer.IniciaCierreCupon(QStringLiteral("D"), QStringLiteral("$"), formatAmount(0)));
        report(EntryPoint::EfectuaFormaPago,
               printer.EfectuaFormaPago(QStringLiteral("Efectivo"), total));
        report(EntryPoint::FinalizarCierreCupon,
               printer.FinalizarCierreCupon(QStringLiteral("Forma de pago:Efectivo\rMonto: ") +
                                            total));
        QString coupon(6, QLatin1Char(' '));
        report(EntryPoint::NumeroCupon, printer.NumeroCupon(coupon));
        out << "Cupón: " << coupon << Qt::endl;
    } catch (const PrinterUnavailable &e) {
        err << e.text << Qt::endl;
        return 2;
    }

    if (!allOk) {
        short ack = 0, st1 = 0, st2 = 0;
        try {
            printer.RetornoImpresora(ack, st1, st2);
            err << "Status de la impresora: " << ack << ',' << st1 << ',' << st2 << Qt::endl;
        } catch (const PrinterUnavailable &e) {
            err << e.text << Qt::endl;
        }
    }
    return allOk ? 0 : 1;
}
