#include "journal/Reconciliation.h"

#include "core/Clock.h"
#include "core/RetryDelay.h"
#include "core/StationLog.h"
#include "db/DocumentStore.h"
#include "journal/PrinterCounters.h"
#include "journal/RobotControl.h"
#include "printer/FiscalPrinter.h"

#include <QStringList>

namespace robot {

void Reconciler::markDone(const PrintJournal::Entry &entry, const QString &event) {
    if (const Result<void> set = journal.setState(entry.id, PrintJournal::State::Done); !set.ok())
        ctx.log.error(set.error());
    ctx.log.write(event.arg(PrintJournal::describe(entry)));
}

bool Reconciler::writeBack(const PrintJournal::Entry &entry) {
    Retry &retry = writeBackRetries[entry.id];
    const qint64 now = ctx.clock.elapsedMs();
    if (retry.failures > 0 && now < retry.nextAttemptMs)
        return false;
    const QString number =
        entry.kind == DocumentKind::Factura ? entry.coupon : QString::number(entry.codigo);
    const Result<void> marked =
        store.markPrinted(entry.kind, entry.codigo, number, entry.numeroZ, ctx.clock, 1);
    if (marked.ok()) {
        writeBackRetries.remove(entry.id);
        markDone(entry, QStringLiteral("La %1 quedó marcada como impresa."));
        return true;
    }
    if (retry.failures == 0)
        ctx.log.warning(QStringLiteral("La %1 se imprimió pero no se pudo marcar en la base de "
                                       "datos (%2); se reintentará sin detener el robot.")
                            .arg(PrintJournal::describe(entry), marked.error()));
    ++retry.failures;
    // One second, then twice as long each time, never more than a minute apart.
    retry.nextAttemptMs = now + RetryDelay{1000, 60000}.afterFailures(retry.failures);
    return false;
}

bool Reconciler::cancelInterrupted(const QString &document) {
    // Recorded before the printer is asked, as the operator's cancellation is.
    const Result<QList<PrintJournal::Entry>> cancelled = journal.cancelOpen();
    if (!cancelled.ok()) {
        ctx.log.error(cancelled.error());
        return false;
    }
    const PrinterReply cancel = ctx.printer.AnulaCupon();
    const PrinterCounters after = readCounters(ctx.printer);
    if (cancel.unavailable())
        ctx.log.error(cancel.faultText);
    if (!cancel.ok() || !after.answered || after.documentOpen) {
        (void)journal.restore(cancelled.value());
        ctx.log.error(QStringLiteral("La estación no pudo anular el documento que la %1 dejó "
                                     "abierto en la impresora (código %2).")
                          .arg(document)
                          .arg(cancel.code));
        return false;
    }
    for (const PrintJournal::Entry &entry : cancelled.value())
        cancelledHere.insert(entry.id);
    const QString text = QStringLiteral("La %1 quedó abierta en la impresora por una "
                                        "interrupción: la estación anuló el documento y la "
                                        "imprimirá de nuevo.")
                             .arg(document);
    ctx.log.warning(text);
    ctx.robot.tellOperator(text, MessageIcon::Information, {});
    return true;
}

void Reconciler::settleOnPrinter(const PrintJournal::Entry &entry, bool &mayPrint,
                                 QStringList &notices) {
    const QString document = PrintJournal::describe(entry);
    const PrinterCounters counters = readCounters(ctx.printer);
    if (counters.failed.unavailable())
        ctx.log.error(counters.failed.faultText);
    if (!counters.answered) {
        mayPrint = false;
        notices << QStringLiteral("La impresora no responde: aún no se sabe si la %1 se imprimió.")
                       .arg(document);
        return;
    }
    const qint64 moved = counters.coupon - entry.couponBefore;
    // A Z report since then may have moved the counter itself on printers that count reports
    // as documents: only an unchanged reduction count lets the counter speak for the document.
    const bool reductionSince = counters.reductions != entry.reductionsBefore;
    if (counters.documentOpen) {
        // Its own document: nothing moved the counters since it was begun, but for the number
        // a printer that numbers at the opening gave it.
        const bool own = !reductionSince && (moved == 0 || moved == 1);
        if (own && ctx.robot.unattended && !cancelTried.contains(entry.id)) {
            cancelTried.insert(entry.id);
            if (cancelInterrupted(document))
                return;
        }
        mayPrint = false;
        const QString text =
            own ? QStringLiteral("La %1 quedó abierta en la impresora: su impresión se "
                                 "interrumpió. «Anula Cupon» anula el documento abierto y el "
                                 "robot la imprimirá de nuevo; mientras tanto no imprime.")
                      .arg(document)
                : QStringLiteral("Hay un documento abierto en la impresora (%1). Anúlelo con "
                                 "«Anula Cupon» o termínelo; mientras tanto el robot no imprime.")
                      .arg(document);
        // Remembered, because once closed the counter can no longer tell a cancellation from
        // a completed document on a printer that numbered it when it opened.
        const PrintJournal::State seen =
            entry.state == PrintJournal::State::OpenNumbered || moved != 0
                ? PrintJournal::State::OpenNumbered
                : PrintJournal::State::Open;
        if (entry.state != seen) {
            const bool firstSeen = entry.state == PrintJournal::State::Printing;
            // Here and below, a state the journal could not take is settled again next time.
            (void)journal.setState(entry.id, seen);
            if (firstSeen) {
                ctx.log.error(text);
                ctx.robot.tellOperator(text, MessageIcon::Critical, {});
            }
        }
        notices << text;
        return;
    }
    if (entry.state == PrintJournal::State::OpenNumbered && moved == 1 && !reductionSince) {
        (void)journal.setState(entry.id, PrintJournal::State::Unknown);
        const QString text =
            QStringLiteral("La %1 quedó abierta en la impresora y se cerró fuera de la estación. "
                           "Esta impresora numera el documento al abrirlo, así que no se sabe si "
                           "se completó o se anuló. No se imprimirá automáticamente; revise el "
                           "papel y márquela a mano si salió, o permita imprimirla de nuevo si "
                           "se anuló.")
                .arg(document);
        ctx.log.error(text);
        ctx.robot.tellOperator(text, MessageIcon::Critical, {});
        return;
    }
    if (moved == 1 && !reductionSince) {
        PrintJournal::Entry printed = entry;
        printed.coupon = counters.couponText;
        printed.numeroZ = entry.reductionsBefore + 1;
        (void)journal.setState(entry.id, PrintJournal::State::Printed, printed.coupon,
                               printed.numeroZ);
        ctx.log.write(QStringLiteral("La %1 se imprimió (documento %2 de la impresora, número Z "
                                     "%3); no se imprimirá de nuevo.")
                          .arg(document, counters.couponText)
                          .arg(printed.numeroZ));
        if (!writeBack(printed))
            notices << QStringLiteral("La %1 se imprimió pero aún no está marcada en la base de "
                                      "datos.")
                           .arg(document);
    } else if (moved == 0) {
        (void)journal.setState(entry.id, PrintJournal::State::Void);
        ctx.log.write(
            QStringLiteral("La %1 no llegó a emitirse; puede imprimirse de nuevo.").arg(document));
    } else {
        (void)journal.setState(entry.id, PrintJournal::State::Unknown);
        const QString text =
            QStringLiteral("No se puede saber si la %1 se imprimió: el contador de documentos de "
                           "la impresora pasó de %2 a %3%4. No se imprimirá automáticamente; "
                           "revise el papel y márquela a mano si ya salió.")
                .arg(document)
                .arg(entry.couponBefore)
                .arg(counters.coupon)
                .arg(reductionSince ? QStringLiteral(" y hubo una reducción Z") : QString());
        ctx.log.error(text);
        ctx.robot.tellOperator(text, MessageIcon::Critical, {});
    }
}

bool Reconciler::reconcile(QList<PrintJournal::Entry> *held) {
    const Result<QList<PrintJournal::Entry>> entries = journal.unfinished();
    if (!entries.ok()) {
        // What the journal holds back is unknown: nothing may be printed until it reads again.
        const QString error = entries.error();
        if (journalProblem != error) {
            journalProblem = error;
            ctx.log.error(error);
        }
        ctx.robot.noteJournal(error, true);
        return false;
    }
    if (!journalProblem.isEmpty()) {
        journalProblem.clear();
        ctx.log.write(QStringLiteral("El diario de impresión se lee de nuevo."));
    }
    bool mayPrint = true;
    QStringList notices;
    cancelledHere.clear();
    for (const PrintJournal::Entry &entry : entries.value()) {
        if (cancelledHere.contains(entry.id))
            continue; // cancelled with the open document: printed again like it
        const QString document = PrintJournal::describe(entry);
        switch (entry.state) {
        case PrintJournal::State::Printed:
            if (!writeBack(entry))
                notices << QStringLiteral("La %1 se imprimió pero aún no está marcada en la base "
                                          "de datos.")
                               .arg(document);
            break;
        case PrintJournal::State::Unknown:
            if (store.isMarked(entry.kind, entry.codigo) == true)
                markDone(entry, QStringLiteral("La %1 fue marcada en la base de datos: el diario "
                                               "la da por resuelta."));
            else
                notices
                    << QStringLiteral("No se sabe si la %1 se imprimió: revísela.").arg(document);
            break;
        case PrintJournal::State::Printing:
        case PrintJournal::State::Open:
        case PrintJournal::State::OpenNumbered:
            settleOnPrinter(entry, mayPrint, notices);
            break;
        case PrintJournal::State::Done:
        case PrintJournal::State::Void:
        case PrintJournal::State::Cancelled:
            break;
        }
    }
    if (held) {
        // Read again: settling above finished some of them.
        const Result<QList<PrintJournal::Entry>> again = journal.unfinished();
        *held = again.ok() ? again.value() : entries.value();
    }
    ctx.robot.noteJournal(notices.join(u' '), !mayPrint);
    return mayPrint;
}

} // namespace robot
