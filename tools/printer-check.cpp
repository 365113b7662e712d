// Checks the printer the station would use (the virtual printer unless FISCAL_PRINTER_LIBRARY
// says otherwise; through the bridge when FISCAL_PRINTER_BRIDGE names it), showing each call's
// result. It only asks the printer unless --print-coupon says to print a small fiscal coupon.

#include "commands/ArgumentScanner.h"
#include "core/ExitCode.h"
#include "core/Version.h"
#include "documents/TextFormat.h"
#include "platform/PrinterLibraryLocation.h"
#include "printer/FiscalPrinter.h"
#include "printer/StationPrinter.h"

#include <QCoreApplication>
#include <QTextStream>
#include <functional>

using namespace robot;

namespace {

QString help() {
    return QStringLiteral("Uso: printer-check [--print-coupon]\n\n") +
           wrappedText(
               QStringLiteral("Comprueba la impresora fiscal que usaría la estación: sin opciones "
                              "solo le pide su estado y su número de serie, sin imprimir nada."),
               0) +
           QStringLiteral("\n  --print-coupon\n") +
           wrappedText(QStringLiteral("Imprime además un cupón fiscal de prueba (queda en la "
                                      "memoria fiscal de la impresora)."),
                       6) +
           versionHelpAndStatuses(
               QStringLiteral("0 la impresora hizo todo lo pedido; 2 argumentos que no "
                              "se entienden; 4 la impresora no hizo algo o no contestó, "
                              "o su librería no se pudo usar."));
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const ScannedArguments args =
        scanArguments(QCoreApplication::arguments().mid(1), {{QStringLiteral("help"), {}},
                                                             {QStringLiteral("version"), {}},
                                                             {QStringLiteral("print-coupon"), {}}});
    QString problem = args.problem;
    if (problem.isEmpty() && !args.positional.isEmpty())
        problem = QStringLiteral("Argumento desconocido «%1».").arg(args.positional[0]);
    if (!problem.isEmpty()) {
        err << problem << QStringLiteral(" Las opciones se ven con printer-check --help.")
            << Qt::endl;
        return exitStatus(ExitCode::Refused);
    }
    bool printCoupon = false;
    for (const ScannedArguments::Given &option : args.options) {
        if (option.name == QStringLiteral("help")) {
            out << help();
            return exitStatus(ExitCode::Done);
        }
        if (option.name == QStringLiteral("version")) {
            out << QStringLiteral("printer-check ") << kVersion << Qt::endl;
            return exitStatus(ExitCode::Done);
        }
        printCoupon = true;
    }

    using robot::fiscal::EntryPoint;
    using robot::fiscal::symbolOf;
    const std::unique_ptr<FiscalPrinter> station = robot::makeStationPrinter();
    FiscalPrinter &printer = *station;
    out << "Librería: " << robot::platform::printerLibraryPath() << Qt::endl;
    if (const QStringList bridge = robot::platform::printerBridgeCommand(); !bridge.isEmpty())
        out << "Puente: " << bridge.join(u' ') << Qt::endl;

    bool allOk = true;
    QString unusable; // why the library cannot be used: nothing more is asked
    auto report = [&](EntryPoint call, const std::function<PrinterReply()> &make) {
        if (!unusable.isEmpty())
            return PrinterReply{};
        const PrinterReply result = make();
        if (result.unavailable()) {
            unusable = result.faultText;
            return result;
        }
        out << symbolOf(call) << ": " << result.code << Qt::endl;
        allOk = allOk && result.ok();
        return result;
    };

    QString serial(631, u' ');
    report(EntryPoint::NumeroSerie, [&] { return printer.NumeroSerie(serial); });
    if (unusable.isEmpty())
        out << "Serie: " << serial.trimmed() << Qt::endl;
    if (printCoupon) {
        const double price = 12.5;
        const double quantity = 1;
        const QString total = formatAmount(price * quantity * 1.16);
        report(EntryPoint::AbreComprobanteDeVentaEx, [&] {
            return printer.AbreComprobanteDeVentaEx(QStringLiteral("J123456789"),
                                                    QStringLiteral("Cliente de prueba"),
                                                    QStringLiteral("Caracas"));
        });
        report(EntryPoint::VendeArticulo, [&] {
            return printer.VendeArticulo(QString(), QStringLiteral("Articulo de prueba"),
                                         QStringLiteral("1600"), QStringLiteral("F"),
                                         formatAmount(quantity * 10), 2, formatAmount(price),
                                         QStringLiteral("$"), QStringLiteral("0,00"));
        });
        report(EntryPoint::IniciaCierreCupon, [&] {
            return printer.IniciaCierreCupon(QStringLiteral("D"), QStringLiteral("$"),
                                             formatAmount(0));
        });
        report(EntryPoint::EfectuaFormaPago,
               [&] { return printer.EfectuaFormaPago(QStringLiteral("Efectivo"), total); });
        report(EntryPoint::FinalizarCierreCupon, [&] {
            return printer.FinalizarCierreCupon(QStringLiteral("Forma de pago:Efectivo\rMonto: ") +
                                                total);
        });
        QString coupon(6, QLatin1Char(' '));
        report(EntryPoint::NumeroCupon, [&] { return printer.NumeroCupon(coupon); });
        if (unusable.isEmpty())
            out << "Cupón: " << coupon << Qt::endl;
    }
    const PrinterReply status =
        report(EntryPoint::RetornoImpresora, [&] { return printer.RetornoImpresora(); });
    if (!unusable.isEmpty()) {
        err << unusable << Qt::endl;
        return exitStatus(ExitCode::NotDone);
    }
    const PrinterStatus words = status.status.value_or(PrinterStatus{});
    out << "Estado de la impresora: " << words.ack << ',' << words.st1 << ',' << words.st2
        << Qt::endl;
    allOk = allOk && status.clean();
    return exitStatus(allOk ? ExitCode::Done : ExitCode::NotDone);
}
