#include "documents/PrintingProcedures.h"

#include "documents/ItemLines.h"
#include "documents/RobotControl.h"
#include "documents/StationLog.h"
#include "documents/TextFormat.h"
#include "printer/OperatorMessages.h"

#include <algorithm>

qint16 PrintingProcedures::quantityMode() {
    if (ctx.robot.ModoCantidad != 0)
        return ctx.robot.ModoCantidad;
    if (!modeZeroLogged) {
        ctx.log.write(QStringLiteral("La configuración no indica qué cantidad imprimir "
                                     "(VerCantidad, VerCantidadDecimal): se imprimen las "
                                     "cantidades enteras."));
        modeZeroLogged = true;
    }
    return 1;
}

std::optional<qint32> PrintingProcedures::firstPrintable(const QList<PendingDocument> &pending,
                                                         PrintJournal::Kind kind) const {
    const QList<PrintJournal::Entry> heldBack = ctx.journal.unfinished();
    for (const PendingDocument &document : pending) {
        const bool held = std::any_of(heldBack.begin(), heldBack.end(), [&](const auto &entry) {
            return entry.kind == kind && entry.codigo == document.codigo;
        });
        if (!held)
            return document.codigo;
    }
    return std::nullopt;
}

qint64 PrintingProcedures::startJournalEntry(PrintJournal::Kind kind, qint32 codigo,
                                             QString *error) {
    const PrinterCounters counters = readCounters(ctx.printer);
    if (!counters.answered) {
        *error = QStringLiteral("La impresora no responde: no se pudieron leer sus contadores.");
        return 0;
    }
    if (counters.documentOpen) {
        *error = QStringLiteral("Hay un documento abierto en la impresora: anúlelo con «Anula "
                                "Cupon» antes de continuar.");
        return 0;
    }
    return ctx.journal.begin(kind, codigo, ctx.Caja, counters.coupon, counters.reductions, error);
}

void PrintingProcedures::reportStageFailure(const QString &document, double stage,
                                            const QString &reason) {
    // The stage in the workstation's number format: 2.4 reads "2,4" where the comma is usual.
    const QString shownStage = formatPlainNumber(stage);
    ctx.messages.show(stageMessage(shownStage, reason));
    ctx.robot.noteStoppedAfterFailure(
        QStringLiteral("%1, etapa %2").arg(document.toLower(), shownStage));
    ctx.log.write(QStringLiteral("%1 no impresa: etapa %2. %3").arg(document, shownStage, reason));
}

void PrintingProcedures::reportPrintedUnmarked(const QString &document, const QString &printed,
                                               const QString &error) {
    ctx.messages.show(printed +
                          QStringLiteral(", pero no se pudo marcar como impresa en la base "
                                         "de datos:\r") +
                          error +
                          QStringLiteral("\rNo se imprimirá de nuevo: el robot la marcará cuando "
                                         "la base de datos responda."),
                      MessageIcon::Critical);
    ctx.robot.noteStoppedAfterFailure(document + QStringLiteral(" impresa sin marcar"));
    ctx.log.write(printed + QStringLiteral(", pero no quedó marcada: ") + error);
}
