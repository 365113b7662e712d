#include "documents/PrintingProcedures.h"

#include "core/Clock.h"
#include "documents/DocumentPreparation.h"
#include "documents/TextFormat.h"
#include "journal/RobotControl.h"
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

    Result<void, StageFailure> prepare(const DocumentRows &rows, qint16 quantityMode) override {
        return keepPrepared(prepareCreditNote(rows, quantityMode), note);
    }

    Result<void, StageFailure> print(double &stage) override {
        using robot::fiscal::EntryPoint;
        FiscalPrinter &printer = ctx.printer;
        const auto refused = [&](EntryPoint entryPoint, const PrinterReply &reply) {
            return StageFailure{stage, refusal(entryPoint, reply.code),
                                describeRefusal(printer, reply)};
        };
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
        if (const PrinterReply opened = printer.AbreNotaDeCredito(opening); !opened.ok())
            return refused(EntryPoint::AbreNotaDeCredito, opened);

        stage = 3;
        for (const PreparedLine &line : note.lines) {
            // A refused piece is told once, by the stage's message.
            auto analyse = [&](const PrinterReply &sent) {
                if (line.analysed && sent.ok())
                    ctx.robot.tell(
                        AnalizaRetorno(printer, {}, {}, sent, QStringLiteral("Poniendo detalle")));
            };
            if (line.analysed)
                stage = 4;
            if (const PrinterReply sent =
                    sendItemLine(printer, line.item, line.pieces,
                                 QStringLiteral("Continua Item Anterior"), analyse);
                !sent.ok())
                return refused(EntryPoint::VendeArticulo, sent);
        }

        // Passing through 6: the closing's start is not checked, the closing call is.
        printer.IniciaCierreCupon(QStringLiteral("D"), QStringLiteral("$"),
                                  formatAmount(note.discount));
        stage = 7;
        const PrinterReply closed = printer.CierraCuponReducido(
            QStringLiteral("Tícket"), QStringLiteral("Gracias, vuelva siempre !!!"));
        if (!closed.ok())
            return refused(EntryPoint::CierraCuponReducido, closed);
        ctx.robot.tell(
            AnalizaRetorno(printer, {}, {}, closed, QStringLiteral("Emisión de Cupón Fiscal")));
        return {};
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
