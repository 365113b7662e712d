#pragma once

#include "db/PrintJournal.h"
#include "journal/PrintingContext.h"

#include <QHash>
#include <QSet>
#include <QString>

namespace robot {

class DocumentStore;

// Settles every journal entry that did not finish, from the printer's own counters:
// completed documents are written back, documents never issued may be printed again, and a
// document still open or that the counters cannot explain is kept out of automatic printing
// and shown to the operator.
class Reconciler {
public:
    Reconciler(const PrintingContext &context, const DocumentStore &store)
        : ctx(context), store(store), journal(context.journal) {}

    // True when nothing waits on the printer or the journal, so a new document may be started.
    // `held` receives the documents the journal holds back (never to be started now).
    bool reconcile(QList<PrintJournal::Entry> *held = nullptr);

    // A document printed whose record could not be marked yet: written back now, or later
    // with growing pauses, while the station goes on printing other documents.
    bool writeBack(const PrintJournal::Entry &entry);

private:
    void settleOnPrinter(const PrintJournal::Entry &entry, bool &mayPrint, QStringList &notices);
    void markDone(const PrintJournal::Entry &entry, const QString &event);
    // Unattended: cancels the document `document` left open on the printer, through the
    // journal as the operator's "Anula Cupon" does; false when it stays open.
    bool cancelInterrupted(const QString &document);

    struct Retry {
        int failures = 0;
        qint64 nextAttemptMs = 0;
    };

    PrintingContext ctx;
    const DocumentStore &store;
    PrintJournal &journal;
    QHash<qint64, Retry> writeBackRetries; // by journal entry
    QString journalProblem;                // said once while the journal cannot be read
    QSet<qint64> cancelTried;              // entries the station tried to cancel, once each
    QSet<qint64> cancelledHere;            // entries cancelled in this reconciliation
};

} // namespace robot
