#include "documents/PrintingProcedures.h"

#include "core/OperatorMessages.h"
#include "documents/DocumentPreparation.h"
#include "documents/TextFormat.h"
#include "printer/AnalizaRetorno.h"
#include "printer/FiscalPrinter.h"

namespace robot {

// An invoice as a fiscal sale coupon: opened with the customer's data, one item line per sale
// line, the closing started with the discount, the payment, the closing text. The printer's
// answer is checked after the opening, every item line and the start of the closing.
class InvoiceJob final : public DocumentJob {
public:
    explicit InvoiceJob(PrintingContext &ctx) : ctx(ctx) {}

    DocumentKind kind() const override { return DocumentKind::Factura; }
    QString title() const override { return QStringLiteral("Factura"); }
    double openingStage() const override { return 2; }

    std::optional<StageFailure> prepare(const DocumentRows &rows, qint16 quantityMode) override {
        return prepareInvoice(rows, quantityMode, &invoice);
    }

    std::optional<StageFailure> print(double &stage) override {
        FiscalPrinter &printer = ctx.printer;
        stage = 2;
        printer.CodigoRetorno =
            printer.AbreComprobanteDeVentaEx(invoice.rif, invoice.nombre, invoice.direccion);
        // A refusal is told once, by the stage's message; what an accepted opening's status
        // still shows (paper running low) is told here, and the coupon goes on.
        if (printer.CodigoRetorno != 1)
            return StageFailure{stage, {}, printer.CodigoRetorno};
        AnalizaRetorno(printer, ctx.messages, {}, {}, printer.CodigoRetorno,
                       QStringLiteral("Emisión de Comprobante Fiscal"));

        stage = 3;
        for (const PreparedLine &line : invoice.lines) {
            stage = 4;
            if (sendItemLine(printer, line.item, line.pieces,
                             QStringLiteral("Continua item anterior")) != 1)
                return StageFailure{stage, {}, printer.CodigoRetorno};
        }

        stage = 5;
        printer.CodigoRetorno = printer.IniciaCierreCupon(QStringLiteral("D"), QStringLiteral("$"),
                                                          formatAmount(invoice.discount));
        if (printer.CodigoRetorno != 1)
            return StageFailure{stage, {}, printer.CodigoRetorno};
        const QString montoPago = formatAmount(invoice.total - invoice.discount);

        // A payment or closing text the printer refused leaves the coupon incomplete.
        stage = 6;
        printer.CodigoRetorno = printer.EfectuaFormaPago(invoice.formaPago, montoPago);
        if (printer.CodigoRetorno != 1)
            return StageFailure{stage, {}, printer.CodigoRetorno};
        stage = 7;
        printer.CodigoRetorno =
            printer.FinalizarCierreCupon(QStringLiteral("Forma de pago:") + invoice.formaPago +
                                         u'\r' + QStringLiteral("Monto: ") + montoPago);
        if (printer.CodigoRetorno != 1)
            return StageFailure{stage, {}, printer.CodigoRetorno};
        return std::nullopt;
    }

private:
    PrintingContext &ctx;
    PreparedInvoice invoice;
};

bool PrintingProcedures::ImprimirFactura() {
    InvoiceJob job(ctx);
    return run(job);
}

} // namespace robot
