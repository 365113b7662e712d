#include "documents/PrintingProcedures.h"

#include "core/Clock.h"
#include "core/OperatorMessages.h"
#include "documents/DocumentPreparation.h"
#include "documents/TextFormat.h"
#include "printer/AnalizaRetorno.h"
#include "printer/EntryPoints.h"
#include "printer/FiscalPrinter.h"

#include <array>

namespace robot {

namespace {

QString refusal(robot::fiscal::EntryPoint entryPoint, short code) {
    return QStringLiteral("La impresora no aceptó %1 (código %2).")
        .arg(QLatin1String(robot::fiscal::symbolOf(entryPoint)))
        .arg(code);
}

} // namespace

// A credit note as a fiscal credit note: opened with the customer's data and today's date, its
// line records (or lump sums when it has none), the closing discount and a short closing. The
// printer's answer is shown after each line record and after the closing; a refusal of the
// opening, a line or the closing stops the document.
class CreditNoteJob final : public DocumentJob {
public:
    explicit CreditNoteJob(PrintingContext &ctx) : ctx(ctx) {}

    DocumentKind kind() const override { return DocumentKind::NotaCredito; }
    QString title() const override { return QStringLiteral("Nota de crédito"); }
    double openingStage() const override { return 2.4; }

    std::optional<StageFailure> prepare(const DocumentRows &rows, qint16 quantityMode) override {
        return prepareCreditNote(rows, quantityMode, &note);
    }

    std::optional<StageFailure> print(double &stage) override {
        using robot::fiscal::EntryPoint;
        FiscalPrinter &printer = ctx.printer;
        stage = 2.4;
        const QDate today = ctx.clock.today();
        const std::array<QString, 10> opening = {note.nombre,
                                                 QString(),
                                                 note.rif,
                                                 zeroPad(today.day(), 2),
                                                 zeroPad(today.month(), 2),
                                                 zeroPad(today.year(), 4).right(2),
                                                 QStringLiteral("12"),
                                                 QStringLiteral("01"),
                                                 QStringLiteral("01"),
                                                 note.factura};
        const short opened = printer.AbreNotaDeCredito(opening);
        if (opened != 1)
            return StageFailure{stage, refusal(EntryPoint::AbreNotaDeCredito, opened), opened};

        stage = 3;
        for (const PreparedLine &line : note.lines) {
            // A refused piece is told once, by the stage's message.
            auto analyse = [&] {
                if (line.analysed && printer.CodigoRetorno == 1)
                    AnalizaRetorno(printer, ctx.messages, {}, {}, printer.CodigoRetorno,
                                   QStringLiteral("Poniendo detalle"));
            };
            if (line.analysed)
                stage = 4;
            const short sent = sendItemLine(printer, line.item, line.pieces,
                                            QStringLiteral("Continua Item Anterior"), analyse);
            if (sent != 1)
                return StageFailure{stage, refusal(EntryPoint::VendeArticulo, sent), sent};
        }

        printer.CodigoRetorno = printer.IniciaCierreCupon(QStringLiteral("D"), QStringLiteral("$"),
                                                          formatAmount(note.discount));
        stage = 7; // passing through 6: the closing call and its analysis
        printer.CodigoRetorno = printer.CierraCuponReducido(
            QStringLiteral("Tícket"), QStringLiteral("Gracias, vuelva siempre !!!"));
        if (printer.CodigoRetorno != 1)
            return StageFailure{stage,
                                refusal(EntryPoint::CierraCuponReducido, printer.CodigoRetorno),
                                printer.CodigoRetorno};
        AnalizaRetorno(printer, ctx.messages, {}, {}, printer.CodigoRetorno,
                       QStringLiteral("Emisión de Cupón Fiscal"));
        return std::nullopt;
    }

private:
    PrintingContext &ctx;
    PreparedCreditNote note;
};

bool PrintingProcedures::ImprimirNotaCredito() {
    CreditNoteJob job(ctx);
    return run(job);
}

} // namespace robot
