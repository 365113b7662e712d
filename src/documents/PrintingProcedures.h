#pragma once

#include "db/PendingSources.h"
#include "documents/DocumentPrinting.h"
#include "documents/PrintingContext.h"
#include "documents/Reconciliation.h"

#include <optional>

// Prints pending documents: an invoice as a fiscal sale coupon, a credit note as a fiscal
// credit note, each then marked printed in the document database.
class PrintingProcedures : public DocumentPrinting {
public:
    explicit PrintingProcedures(const PrintingContext &context)
        : ctx(context), reconciler(context) {}

    bool ImprimirFactura() override;
    bool ImprimirNotaCredito() override;

    // Settles what the journal left unfinished; true when a new document may be started.
    bool reconcile() { return reconciler.reconcile(); }

private:
    // Quantity mode 0 would print zero quantities: whole quantities are printed instead.
    qint16 quantityMode();
    // Reads the printer's counters and records the document in the journal before its first
    // printer call; returns the entry, or 0 with the reason it must not be printed.
    qint64 startJournalEntry(PrintJournal::Kind kind, qint32 codigo, QString *error);
    // The first pending document the journal does not hold back.
    std::optional<qint32> firstPrintable(const QList<PendingDocument> &pending,
                                         PrintJournal::Kind kind) const;
    // A document stopped at `stage`: the operator's message, the robot left stopped, the log.
    void reportStageFailure(const QString &document, double stage, const QString &reason);
    // A document on paper whose record could not be marked: tell the operator it WAS printed.
    void reportPrintedUnmarked(const QString &document, const QString &printed,
                               const QString &error);

    PrintingContext ctx;
    Reconciler reconciler;
    bool modeZeroLogged = false;
};
