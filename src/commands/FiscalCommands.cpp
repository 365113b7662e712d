#include "commands/FiscalCommands.h"

#include "core/Clock.h"
#include "core/OperatorMessages.h"
#include "core/StationLog.h"
#include "db/PrintJournal.h"
#include "journal/PrinterCounters.h"
#include "printer/AnalizaRetorno.h"
#include "printer/FiscalPrinter.h"

#include <QRegularExpression>

namespace robot {

FiscalCommands::FiscalCommands(FiscalPrinter &printer, OperatorMessages &messages,
                               HabilitaControles habilitaControles)
    : printer(printer), messages(messages), habilitaControles(std::move(habilitaControles)) {}

CommandOutcome FiscalCommands::run(const QString &titulo, Analysis analysis,
                                   const std::function<PrinterReply()> &call,
                                   const std::function<bool(CommandOutcome &)> &settle) {
    CommandOutcome outcome;
    QStringList told;
    const auto tell = [&](const ReplyAnalysis &found) {
        if (found.text.isEmpty())
            return;
        told << found.text;
        messages.show(found.text, found.icon, found.caption);
    };
    if (habilitaControles)
        habilitaControles(false);
    const PrinterReply reply = call();
    if (reply.unavailable()) {
        // The message names the library or the entry point; the command then ends as usual.
        tell(AnalizaRetorno(printer, QString(), QString(), reply, titulo));
    } else {
        outcome.called = true;
        outcome.code = reply.code;
        // Shown while the robot is still held: after a refused cancellation the coupon may
        // still be open, and the operator must read that before anything else prints. The
        // drawer and the cancellation stay silent only when the printer's status is clean.
        if (outcome.code == 0 && settle && settle(outcome))
            ; // settled from what the printer shows after the failed call
        else if (analysis == Analysis::Always || outcome.code != 1 ||
                 !printer.RetornoImpresora().clean()) {
            const ReplyAnalysis found =
                AnalizaRetorno(printer, QString(), QString(), reply, titulo);
            outcome.accepted = found.accepted;
            tell(found);
        } else
            outcome.accepted = true;
        if (outcome.code != 0 && outcome.accepted && settle)
            settle(outcome);
    }
    if (habilitaControles)
        habilitaControles(true);
    // On one line: the log has one line per event.
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n]+"));
    record(titulo, outcome,
           told.join(u' ').split(breaks, Qt::SkipEmptyParts).join(QStringLiteral("; ")));
    return outcome;
}

void FiscalCommands::record(const QString &titulo, CommandOutcome &outcome, const QString &told) {
    LogLevel level = LogLevel::Aviso;
    if (!outcome.called) {
        outcome.summary = titulo + QStringLiteral(": no se pudo usar la librería de la impresora.");
        level = LogLevel::Error;
    } else if (outcome.unknown) {
        outcome.summary = titulo + QStringLiteral(": no se sabe si se hizo; revise el papel.");
        level = LogLevel::Error;
    } else if (outcome.succeeded()) {
        outcome.summary =
            titulo + (outcome.reduction > 0
                          ? QStringLiteral(": hecha, número %1.").arg(outcome.reduction)
                          : QStringLiteral(": hecho."));
        level = LogLevel::Info;
    } else if (outcome.code == 1) {
        outcome.summary = titulo + QStringLiteral(": no realizado (la impresora no lo hizo).");
    } else {
        outcome.summary =
            titulo + QStringLiteral(": no realizado (código de retorno %1).").arg(outcome.code);
    }
    if (log)
        log->add(level, told.isEmpty() || outcome.succeeded() ? outcome.summary
                                                              : outcome.summary + u' ' + told);
}

std::optional<qint64> FiscalCommands::reductionCounter() {
    QString reply(6, u' ');
    if (!printer.NumeroReducciones(reply).ok())
        return std::nullopt;
    return documentCounter(reply);
}

void FiscalCommands::recordReportsIn(PrintJournal *printJournal, qint32 caja,
                                     const Clock &reportClock) {
    reportJournal = printJournal;
    reportCaja = caja;
    clock = &reportClock;
}

std::optional<qint64> FiscalCommands::couponWhileRecording() {
    if (!reportJournal)
        return std::nullopt;
    QString reply(6, u' ');
    if (!printer.NumeroCupon(reply).ok())
        return std::nullopt;
    return documentCounter(reply);
}

void FiscalCommands::keepReport(JournalReport::Kind kind, const CommandOutcome &outcome,
                                std::optional<qint64> couponBefore,
                                std::optional<qint64> couponAfter) {
    if (!reportJournal || !outcome.succeeded())
        return;
    const JournalReport report{kind,        reportCaja,        couponBefore,
                               couponAfter, outcome.reduction, clock->currentDateTime()};
    if (const Result<void> kept = recordReport(*reportJournal, report); !kept.ok() && log)
        log->error(kept.error());
}

CommandOutcome FiscalCommands::CierreZ() {
    const QString titulo = tituloReduccionZ();
    std::optional<qint64> before, couponBefore, couponAfter;
    QString done;
    const CommandOutcome outcome = run(
        titulo, Analysis::Always,
        [&] {
            before = reductionCounter();
            couponBefore = couponWhileRecording();
            return printer.ReduccionZ(QString(), QString());
        },
        [&](CommandOutcome &result) {
            const std::optional<qint64> after = reductionCounter();
            couponAfter = couponWhileRecording();
            if (result.code != 0) {
                result.reduction = after.value_or(0);
                return true;
            }
            if (before && after && *after == *before)
                return false; // not made: the analysis says why
            if (before && after) {
                result.accepted = true;
                result.reduction = *after;
                done = QStringLiteral("La impresora no contestó a tiempo, pero su contador muestra "
                                      "la reducción Z número %1 hecha.")
                           .arg(*after);
            } else {
                result.unknown = true;
                messages.show(QStringLiteral("No se sabe si la reducción Z se hizo: la impresora "
                                             "no contestó y su contador no se pudo leer. Revise "
                                             "el papel: si la reducción salió, no pida otra."),
                              MessageIcon::Warning, titulo);
            }
            return true;
        });
    keepReport(JournalReport::Kind::Z, outcome, couponBefore, couponAfter);
    // Told once the robot may run again, as "Listo." is.
    if (outcome.succeeded())
        messages.show(!done.isEmpty() ? done
                      : outcome.reduction > 0
                          ? QStringLiteral("Reducción Z número %1 hecha.").arg(outcome.reduction)
                          : QStringLiteral("Reducción Z hecha."),
                      MessageIcon::Information, titulo);
    return outcome;
}

CommandOutcome FiscalCommands::CierreX() {
    std::optional<qint64> couponBefore, couponAfter;
    const CommandOutcome outcome = run(
        tituloLecturaX(), Analysis::Always,
        [&] {
            couponBefore = couponWhileRecording();
            return printer.LecturaX();
        },
        [&](CommandOutcome &) {
            couponAfter = couponWhileRecording();
            return false; // the analysis settles the outcome
        });
    keepReport(JournalReport::Kind::X, outcome, couponBefore, couponAfter);
    // Said, as the Z is: a report the operator waited for without a word gets asked for again.
    if (outcome.succeeded())
        messages.show(QStringLiteral("Reporte X hecho."), MessageIcon::Information,
                      tituloLecturaX());
    return outcome;
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
        if (journal) {
            if (const auto recorded = journal->cancelOpen(); recorded.ok())
                cancelled = recorded.value();
        }
        return printer.AnulaCupon();
    });
    if (cancelled && !outcome.succeeded())
        (void)journal->restore(*cancelled);
    if (outcome.succeeded())
        messages.show(QStringLiteral("Listo."));
    return outcome;
}

std::optional<CommandOutcome> FiscalCommands::CierreZPreguntando(const PendingCount &pendingNow) {
    if (habilitaControles)
        habilitaControles(false);
    const Result<qsizetype> counted = pendingNow();
    const qsizetype pending = counted.ok() ? counted.value() : 0;
    // Asked as the journal asks: the status after a query shows a coupon left open. A library
    // that cannot be used is told by the report itself.
    const bool couponOpen = readCounters(printer).documentOpen;
    QString found;
    if (!counted.ok())
        found = QStringLiteral("No se pudo saber si hay documentos pendientes de impresión (%1)")
                    .arg(counted.error());
    else if (pending > 0)
        found = pending == 1
                    ? QStringLiteral("Hay 1 documento pendiente de impresión")
                    : QStringLiteral("Hay %1 documentos pendientes de impresión").arg(pending);
    if (couponOpen)
        found += found.isEmpty() ? QStringLiteral("Hay un cupón abierto en la impresora")
                                 : QStringLiteral(" y un cupón abierto en la impresora");
    const QString question = found + QStringLiteral(". ¿Emitir la reducción Z de todos modos?");
    if (!found.isEmpty() && !messages.ask(question, tituloReduccionZ())) {
        if (log)
            log->write(QStringLiteral("Reducción Z no emitida: %1 El operador respondió que no.")
                           .arg(question));
        if (habilitaControles)
            habilitaControles(true);
        return std::nullopt;
    }
    return CierreZ();
}

} // namespace robot
