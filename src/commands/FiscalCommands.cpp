#include "commands/FiscalCommands.h"

#include "core/OperatorMessages.h"
#include "db/PrintJournal.h"
#include "printer/AnalizaRetorno.h"
#include "printer/FiscalPrinter.h"

namespace robot {

FiscalCommands::FiscalCommands(FiscalPrinter &printer, OperatorMessages &messages,
                               HabilitaControles habilitaControles)
    : printer(printer), messages(messages), habilitaControles(std::move(habilitaControles)) {}

CommandOutcome FiscalCommands::run(const QString &titulo, Analysis analysis,
                                   const std::function<short()> &call) {
    CommandOutcome outcome;
    if (habilitaControles)
        habilitaControles(false);
    try {
        printer.CodigoRetorno = call();
        outcome.called = true;
        outcome.code = printer.CodigoRetorno;
        // Shown while the robot is still held: after a refused cancellation the coupon may
        // still be open, and the operator must read that before anything else prints. The
        // drawer and the cancellation stay silent only when the printer's status is clean.
        if (analysis == Analysis::Always || outcome.code != 1 || !printerStatusClean(printer))
            outcome.accepted = AnalizaRetorno(printer, messages, QString(), QString(),
                                              printer.CodigoRetorno, titulo);
        else
            outcome.accepted = true;
    } catch (const PrinterUnavailable &e) {
        // The message names the library or the entry point; the command then ends as usual.
        messages.show(e.text, MessageIcon::Critical, titulo);
    }
    if (habilitaControles)
        habilitaControles(true);
    return outcome;
}

CommandOutcome FiscalCommands::CierreZ() {
    return run(tituloReduccionZ(), Analysis::Always,
               [this] { return printer.ReduccionZ(QString(), QString()); });
}

CommandOutcome FiscalCommands::CierreX() {
    return run(tituloLecturaX(), Analysis::Always, [this] { return printer.LecturaX(); });
}

CommandOutcome FiscalCommands::AbrirGaveta() {
    return run(tituloGaveta(), Analysis::OnRefusal, [this] { return printer.AccionaGaveta(); });
}

CommandOutcome FiscalCommands::AnulaCupon() {
    // "Listo." only when the printer cancelled: after a refusal it would make a coupon still
    // open look cancelled, so the printer's own words are shown instead.
    // A journal that cannot be written does not keep the operator from cancelling: the
    // document is then settled from the printer's counters, or held back for the operator.
    std::optional<QList<PrintJournal::Entry>> cancelled;
    const CommandOutcome outcome = run(tituloAnulaCupon(), Analysis::OnRefusal, [&] {
        if (journal)
            cancelled = journal->cancelOpen(nullptr);
        return printer.AnulaCupon();
    });
    if (cancelled && !outcome.succeeded())
        journal->restore(*cancelled, nullptr);
    if (outcome.succeeded())
        messages.show(QStringLiteral("Listo."));
    return outcome;
}

} // namespace robot
