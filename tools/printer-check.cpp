// Prints one small coupon through the printer library the station would use (the virtual
// printer unless FISCAL_PRINTER_LIBRARY says otherwise), showing each call's result.
// Exit status 0 when every call returned 1.

#include "documents/TextFormat.h"
#include "printer/LibraryPrinter.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    LibraryPrinter printer(LibraryPrinter::defaultLibraryPath());
    out << "Librería: " << printer.libraryPath() << Qt::endl;
    if (!printer.isLoaded()) {
        err << printer.loadError() << Qt::endl;
        return 2;
    }

    bool allOk = true;
    auto report = [&](const char *call, short result) {
        out << call << ": " << result << Qt::endl;
        allOk = allOk && result == 1;
    };

    try {
        const double price = 12.5;
        const double quantity = 1;
        const QString total = formatAmount(price * quantity * 1.16);
        report("Bematech_FI_AbreComprobanteDeVentaEx",
               printer.AbreComprobanteDeVentaEx(QStringLiteral("J123456789"),
                                                QStringLiteral("Cliente de prueba"),
                                                QStringLiteral("Caracas")));
        report("Bematech_FI_VendeArticulo",
               printer.VendeArticulo(QString(), QStringLiteral("Articulo de prueba"),
                                     QStringLiteral("1600"), QStringLiteral("F"),
                                     formatAmount(quantity * 10), 2, formatAmount(price),
                                     QStringLiteral("$"), QStringLiteral("0,00")));
        report(
            "Bematech_FI_IniciaCierreCupon",
            printer.IniciaCierreCupon(QStringLiteral("D"), QStringLiteral("$"), formatAmount(0)));
        report("Bematech_FI_EfectuaFormaPago",
               printer.EfectuaFormaPago(QStringLiteral("Efectivo"), total));
        report("Bematech_FI_FinalizarCierreCupon",
               printer.FinalizarCierreCupon(QStringLiteral("Forma de pago:Efectivo\rMonto: ") +
                                            total));
        QString coupon(6, QLatin1Char(' '));
        report("Bematech_FI_NumeroCupon", printer.NumeroCupon(coupon));
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
