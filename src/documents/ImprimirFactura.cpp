#include "documents/PrintingProcedures.h"

#include "documents/DocumentPreparation.h"
#include "documents/TextFormat.h"
#include "journal/RobotControl.h"
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

    Result<void, StageFailure> prepare(const DocumentRows &rows, qint16 quantityMode) override {
        return keepPrepared(prepareInvoice(rows, quantityMode), invoice);
    }

    Result<void, StageFailure> print(double &stage) override {
        FiscalPrinter &printer = ctx.printer;
        const auto refused = [&](const PrinterReply &reply) {
            return StageFailure{stage, {}, describeRefusal(printer, reply)};
        };
        stage = 2;
        const PrinterReply opened =
            printer.AbreComprobanteDeVentaEx(invoice.rif, invoice.nombre, invoice.direccion);
        // A refusal is told once, by the stage's message; what an accepted opening's status
        // still shows (paper running low) is told here, and the coupon goes on.
        if (!opened.ok())
            return refused(opened);
        ctx.robot.tell(AnalizaRetorno(printer, {}, {}, opened,
                                      QStringLiteral("Emisión de Comprobante Fiscal")));

        stage = 3;
        for (const PreparedLine &line : invoice.lines) {
            stage = 4;
            if (const PrinterReply sent = sendItemLine(printer, line.item, line.pieces,
                                                       QStringLiteral("Continua item anterior"));
                !sent.ok())
                return refused(sent);
        }

        stage = 5;
        if (const PrinterReply closing = printer.IniciaCierreCupon(
                QStringLiteral("D"), QStringLiteral("$"), formatAmount(invoice.discount));
            !closing.ok())
            return refused(closing);
        const QString montoPago = formatAmount(invoice.total - invoice.discount);

        // A payment or closing text the printer refused leaves the coupon incomplete.
        stage = 6;
        if (const PrinterReply paid = printer.EfectuaFormaPago(invoice.formaPago, montoPago);
            !paid.ok())
            return refused(paid);
        stage = 7;
        if (const PrinterReply closed =
                printer.FinalizarCierreCupon(QStringLiteral("Forma de pago:") + invoice.formaPago +
                                             u'\r' + QStringLiteral("Monto: ") + montoPago);
            !closed.ok())
            return refused(closed);
        return {};
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
