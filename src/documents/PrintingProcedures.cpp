#include "documents/PrintingProcedures.h"

#include "core/Clock.h"
#include "core/StationLog.h"
#include "documents/ItemLines.h"
#include "documents/TextFormat.h"
#include "journal/PrinterCounters.h"
#include "journal/RobotControl.h"
#include "printer/AnalizaRetorno.h"
#include "printer/FiscalPrinter.h"

#include <algorithm>

namespace robot {

namespace {
// How many times the first write-back is tried, a second apart, before it is left to the
// journal's own retries.
constexpr int kWriteBackAttempts = 4;
} // namespace

qint16 PrintingProcedures::quantityMode() {
    if (ModoCantidad != 0)
        return ModoCantidad;
    if (!modeZeroLogged) {
        ctx.log.warning(QStringLiteral("La configuración no indica qué cantidad imprimir "
                                       "(VerCantidad, VerCantidadDecimal): se imprimen las "
                                       "cantidades enteras."));
        modeZeroLogged = true;
    }
    return 1;
}

std::optional<qint64> PrintingProcedures::choose(DocumentKind kind,
                                                 const QList<PrintJournal::Entry> &held) {
    const QList<PendingDocument> &pending =
        kind == DocumentKind::Factura ? ctx.sources.invoices() : ctx.sources.creditNotes();
    for (const PendingDocument &document : pending) {
        // A code that is not a whole number, or 0 (the value the guard starts with), cannot
        // be told apart from another record: it is skipped, and said once.
        if (!document.codigoValid || document.codigo == 0) {
            const QString described = kind == DocumentKind::Factura
                                          ? QStringLiteral("La factura «%1»")
                                          : QStringLiteral("La nota de crédito «%1»");
            const QString said = described.arg(document.codigoText);
            if (!refusedCodesSaid.contains(said)) {
                refusedCodesSaid.insert(said);
                const QString text =
                    said + QStringLiteral(" no se imprimirá: su código no es un número entero "
                                          "distinto de 0. Corríjalo en la administración.");
                ctx.log.warning(text);
                ctx.robot.tellOperator(text, MessageIcon::Critical, {});
            }
            continue;
        }
        const bool isHeld = std::any_of(held.begin(), held.end(), [&](const auto &entry) {
            return entry.kind == kind && entry.codigo == document.codigo;
        });
        if (!isHeld)
            return document.codigo;
    }
    return std::nullopt;
}

namespace {

// The operator's next step, in one sentence. `refusal` is the printer's answer when the printer
// stopped the document.
QString nextStep(PrintingProcedures::FailedOn where, bool couponMayBeOpen,
                 const PrinterRefusal &refusal) {
    using FailedOn = PrintingProcedures::FailedOn;
    switch (where) {
    case FailedOn::Database:
        return QStringLiteral("Revise la red y el servidor de la base de datos y pulse «Iniciar».");
    case FailedOn::Document:
        return QStringLiteral("Corrija el documento en la administración y pulse «Iniciar».");
    case FailedOn::PrinterLibrary:
        return QStringLiteral("Llame al técnico: la estación no puede usar el programa de la "
                              "impresora.");
    case FailedOn::OpenDocument:
        return QStringLiteral("Anúlelo con «Anula Cupon»; el robot sigue después.");
    case FailedOn::Journal:
        return QStringLiteral("Pulse «Iniciar» para intentarlo de nuevo; si se repite, llame al "
                              "técnico.");
    case FailedOn::Numbers:
        return {}; // nothing to do: the reason says so
    case FailedOn::Printer:
        break;
    }
    const QString mend =
        refusal.paperOut   ? QStringLiteral("Coloque un rollo de papel nuevo y cierre la tapa")
        : refusal.noAnswer ? QStringLiteral("Revise que la impresora esté encendida y conectada "
                                            "a la computadora")
                           : QString();
    const QString then =
        couponMayBeOpen
            ? QStringLiteral("pulse «Anula Cupon» si el cupón quedó abierto (el robot imprimirá el "
                             "documento de nuevo); si no, pulse «Iniciar»")
        : mend.isEmpty() ? QStringLiteral("pulse «Iniciar» para intentarlo de nuevo; si se repite, "
                                          "llame al técnico")
                         : QStringLiteral("pulse «Iniciar»");
    if (mend.isEmpty())
        return then.at(0).toUpper() + then.mid(1) + u'.';
    return mend + QStringLiteral("; luego ") + then + u'.';
}

} // namespace

void PrintingProcedures::reportStageFailure(const DocumentJob &job, const QString &document,
                                            const StageFailure &failure, FailedOn where) {
    // The stage in the workstation's number format: 2.4 reads "2,4" where the comma is usual.
    const QString shownStage = formatPlainNumber(failure.stage);
    const bool byPrinter = where == FailedOn::Printer;
    const PrinterRefusal refusal =
        byPrinter ? failure.refusal.value_or(PrinterRefusal{}) : PrinterRefusal{};
    // The cause on one line for the status line and the log.
    QStringList causes;
    for (const QString &part : {failure.reason, refusal.words})
        if (!part.isEmpty())
            causes << part;
    const QString cause = causes.join(u' ');
    const QString because = cause.isEmpty() ? QString() : QStringLiteral(": ") + cause;
    QString logged =
        QStringLiteral("%1 no impresa: etapa %2%3")
            .arg(document, shownStage, cause.isEmpty() ? QStringLiteral(".") : because);
    if (failure.refusal)
        logged += u' ' + failure.refusal->answer;
    ctx.log.error(logged);
    ctx.robot.noteStoppedAfterFailure(
        QStringLiteral("%1, etapa %2%3").arg(document.toLower(), shownStage, because));
    // One box: its own sentence, then the cause and what to do, each on a line of its own.
    const bool couponMayBeOpen = failure.stage > job.openingStage() && failure.stage < 8;
    QString text = stageMessage(shownStage, failure.reason);
    for (const QString &line : {refusal.words, nextStep(where, couponMayBeOpen, refusal)})
        if (!line.isEmpty())
            text += u'\r' + line;
    ctx.robot.tellOperator(text, MessageIcon::None, {});
}

bool PrintingProcedures::run(DocumentJob &job) {
    const DocumentKind kind = job.kind();
    // Settled first: a document it marks printed must not be taken from an older list.
    QList<PrintJournal::Entry> held;
    if (!reconciler.reconcile(&held))
        return false; // the printer or the journal must first tell what became of a document
    const bool refreshed = kind == DocumentKind::Factura ? ctx.sources.refreshInvoices()
                                                         : ctx.sources.refreshCreditNotes();
    if (!refreshed)
        return false; // a source that cannot be read never leads to printing
    const std::optional<qint64> taken = choose(kind, held);
    if (!taken || *taken == UltimoCodigo)
        return false;
    const qint64 codigo = *taken;

    UltimoCodigo = codigo;
    const QString document = QStringLiteral("%1 %2").arg(job.title()).arg(codigo);
    ctx.log.write(QStringLiteral("%1 tomada para impresión.").arg(document));
    ctx.robot.noteDocumentTaken(document);
    auto fail = [&](const StageFailure &failure, FailedOn where) {
        reportStageFailure(job, document, failure, where);
        return true;
    };

    const Result<DocumentRows, ReadFailure> read = store.read(kind, codigo);
    if (!read.ok()) {
        switch (read.why().code) {
        case ReadFailure::Code::HeaderFailed:
            return fail({0, read.error()}, FailedOn::Database);
        case ReadFailure::Code::LinesFailed:
            return fail({3, read.error()}, FailedOn::Database);
        case ReadFailure::Code::NotFound:
            ctx.log.warning(QStringLiteral("%1: no se encontró su registro.").arg(document));
            return true;
        }
    }
    const DocumentRows &rows = read.value();
    if (const Result<void, StageFailure> prepared = job.prepare(rows, quantityMode());
        !prepared.ok())
        return fail(prepared.why(), FailedOn::Document);
    // A record that cannot be written would be printed and never marked.
    if (const Result<void> writable = store.canWrite(kind, codigo); !writable.ok())
        return fail(
            {job.openingStage(),
             QStringLiteral("No se puede escribir en la base de datos: %1").arg(writable.error())},
            FailedOn::Database);

    double stage = job.openingStage();
    // The counters before its first call, for the journal: what a failure leaves on paper is
    // settled from them.
    const PrinterCounters counters = readCounters(ctx.printer);
    if (!counters.answered && counters.failed.unavailable())
        return fail({stage, counters.failed.faultText}, FailedOn::PrinterLibrary);
    if (!counters.answered) // what kept the counters back is the cause, whatever the code
        return fail({stage,
                     {},
                     describeRefusal(ctx.printer, PrinterReply::failed(counters.failed.fault,
                                                                       counters.failed.faultText))},
                    FailedOn::Printer);
    if (counters.documentOpen)
        return fail({stage, QStringLiteral("Hay un documento abierto en la impresora.")},
                    FailedOn::OpenDocument);
    const Result<qint64> entry =
        ctx.journal.begin(kind, codigo, ctx.Caja, counters.coupon, counters.reductions);
    if (!entry.ok())
        return fail({stage, entry.error()}, FailedOn::Journal);
    if (const Result<void, StageFailure> printed = job.print(stage); !printed.ok()) {
        const StageFailure &failure = printed.why();
        // A library that cannot be used stops the document where it began, as at its first
        // call.
        if (failure.refusal && failure.refusal->unavailable)
            return fail({job.openingStage(), failure.refusal->words}, FailedOn::PrinterLibrary);
        return fail(failure, FailedOn::Printer);
    }
    if (const Result<void, StageFailure> finished = finish(job, codigo, entry.value());
        !finished.ok())
        return fail(finished.why(), FailedOn::Numbers);
    if (job.isInvoice())
        ctx.clock.DelayMili(10); // the invoice's pause after opening the drawer
    return true;
}

Result<void, StageFailure> PrintingProcedures::finish(DocumentJob &job, qint64 codigo,
                                                      qint64 entry) {
    QString reducciones(6, u' ');
    const short reduccionesRead = ctx.printer.NumeroReducciones(reducciones).code;
    short failedRead = reduccionesRead;
    QString number = QString::number(codigo);
    if (job.isInvoice()) {
        QString cupon(6, u' ');
        const short cuponRead = ctx.printer.NumeroCupon(cupon).code;
        if (reduccionesRead == 1)
            failedRead = cuponRead;
        // No printed coupon has number 0: such a reply is as wrong as one that is not digits.
        if (failedRead == 1 && documentCounter(cupon).value_or(0) == 0) {
            ctx.log.warning(QStringLiteral("La impresora devolvió un número de cupón no válido "
                                           "(«%1»): no se escribe en la base de datos.")
                                .arg(cupon));
            failedRead = 0;
        }
        number = counterText(cupon);
    }
    // Without its numbers the document cannot be marked; the journal settles it later.
    if (failedRead != 1)
        return StageFailure{8, numbersMissing(failedRead)};
    const qint64 numeroZ = reductionCount(reducciones) + 1;
    if (const Result<void> set =
            ctx.journal.setState(entry, PrintJournal::State::Printed, number, numeroZ);
        !set.ok())
        ctx.log.error(set.error());

    const QString document = describeDocument(job.kind(), codigo);
    const QString printed =
        job.isInvoice()
            ? QStringLiteral("La %1 SÍ fue impresa con el cupón %2 y el "
                             "número Z %3")
                  .arg(document, number)
                  .arg(numeroZ)
            : QStringLiteral("La %1 SÍ fue impresa con el número Z %2").arg(document).arg(numeroZ);
    if (const Result<void> marked =
            store.markPrinted(job.kind(), codigo, number, numeroZ, ctx.clock, kWriteBackAttempts);
        !marked.ok()) {
        const QString error = marked.error();
        // On paper and in the journal: never printed again. The journal keeps trying to mark
        // it while the robot goes on with the next documents.
        ctx.robot.tellOperator(
            printed +
                QStringLiteral(", pero no se pudo marcar como impresa en la base "
                               "de datos:\r") +
                error +
                QStringLiteral("\rNo se imprimirá de nuevo: el robot la marcará "
                               "cuando la base de datos responda."),
            MessageIcon::Critical, {});
        ctx.log.warning(printed + QStringLiteral(", pero aún no quedó marcada: ") + error);
        return {};
    }
    ctx.log.write(job.isInvoice() ? QStringLiteral("%1 %2 impresa: cupón %3, número Z %4.")
                                        .arg(job.title())
                                        .arg(codigo)
                                        .arg(number)
                                        .arg(numeroZ)
                                  : QStringLiteral("%1 %2 impresa: número Z %3.")
                                        .arg(job.title())
                                        .arg(codigo)
                                        .arg(numeroZ));
    if (job.isInvoice())
        ctx.printer.AccionaGaveta(); // a drawer that stays shut is no reason to stop
    // Done only now: should the station die at the drawer, the journal still knows the
    // coupon and writing it back again is harmless.
    if (const Result<void> set = ctx.journal.setState(entry, PrintJournal::State::Done); !set.ok())
        ctx.log.error(set.error());
    return {};
}

} // namespace robot
