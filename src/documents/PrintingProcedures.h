#pragma once

#include "core/Result.h"
#include "db/DocumentStore.h"
#include "db/PendingSources.h"
#include "documents/DocumentJob.h"
#include "documents/DocumentPrinting.h"
#include "journal/PrintingContext.h"
#include "journal/Reconciliation.h"

#include <QSet>
#include <optional>

namespace robot {

// Prints pending documents: an invoice as a fiscal sale coupon, a credit note as a fiscal
// credit note, each then marked printed in the document database. Both kinds go through one
// sequence; each brings only its own printer steps.
class PrintingProcedures : public DocumentPrinting {
public:
    // What stopped a document, as far as the operator's next step goes.
    enum class FailedOn {
        Database,
        Document,
        Printer,
        PrinterLibrary,
        OpenDocument,
        Journal,
        Numbers
    };

    explicit PrintingProcedures(const PrintingContext &context)
        : ctx(context), store(context.RutaBaseDatos), reconciler(context, store) {}

    bool ImprimirFactura() override;
    bool ImprimirNotaCredito() override;
    void forgetLastTaken() override { UltimoCodigo = 0; }

    // Settles what the journal left unfinished; true when a new document may be started.
    bool reconcile() { return reconciler.reconcile(); }

    // Código of the last pending document taken, printed or not; 0 at start-up. It is not
    // taken again while it heads its list. Full width: a code cut to 32 bits would stand for
    // another document.
    qint64 UltimoCodigo = 0;
    // 1: whole quantities (Cantidad); 2 or 3: decimal quantities (CantDec); 0: neither.
    qint16 ModoCantidad = 0;

private:
    // Choose a document, read and check it, record it in the journal, print it, read its
    // numbers back, mark it printed. Returns whether a document was taken.
    bool run(DocumentJob &job);
    // Quantity mode 0 would print zero quantities: whole quantities are printed instead.
    qint16 quantityMode();
    // The first pending document of the job's kind that may be taken now.
    std::optional<qint64> choose(DocumentKind kind, const QList<PrintJournal::Entry> &held);
    // After the closing: the Z number and, for an invoice, the coupon number; marks the record.
    Result<void, StageFailure> finish(DocumentJob &job, qint64 codigo, qint64 entry);
    // A document stopped at `stage`: the log, the robot left stopped, and one message for the
    // operator with the stage, the cause (the printer's own words where it refused) and what to
    // do.
    void reportStageFailure(const DocumentJob &job, const QString &document,
                            const StageFailure &failure, FailedOn where);

    PrintingContext ctx;
    DocumentStore store;
    Reconciler reconciler;
    bool modeZeroLogged = false;
    QSet<QString> refusedCodesSaid; // pending documents that can never be taken, said once
    friend class InvoiceJob;
    friend class CreditNoteJob;
};

} // namespace robot
