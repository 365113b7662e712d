#pragma once

#include "core/DocumentKind.h"
#include "core/Result.h"

#include <QDateTime>
#include <QList>
#include <QString>

class QSqlQuery;

namespace robot {

// A small local record of every fiscal document the station starts, kept beside the
// configuration because the document database may be on a share that goes away. Each step is
// committed to disk before the printer call that depends on it, so after a crash or a power
// cut the printer's own counters can tell what happened to a document.
class PrintJournal {
public:
    enum class State {
        Printing,  // counters read, the document is being sent
        Printed,   // completed on paper; the database may not know yet
        Done,      // marked printed in the database
        Void,      // nothing was issued: the document may be printed again
        Open,      // a document is still open on the printer
        Unknown,   // the counters cannot tell: never reprinted automatically
        Cancelled, // cancelled on the printer through the station: may be printed again
        // Seen open with the coupon counter already moved: this printer numbers a document
        // when it opens it, so a later "moved by one, nothing open" may be a cancellation.
        OpenNumbered
    };

    struct Entry {
        qint64 id = 0;
        DocumentKind kind = DocumentKind::Factura;
        qint64 codigo = 0;
        qint32 caja = 0;
        qint64 couponBefore = 0;
        qint64 reductionsBefore = 0;
        State state = State::Printing;
        QString coupon;
        qint64 numeroZ = 0;
        QDateTime started;
    };

    PrintJournal() = default;
    PrintJournal(const PrintJournal &) = delete;
    PrintJournal &operator=(const PrintJournal &) = delete;
    ~PrintJournal();

    // Opens the journal at `path`, creating it on the station's first run; fails as well when
    // it cannot be written. May be called again after a failure. A journal that
    // existed once and is gone is not created again: without it a document half printed
    // before a crash could be printed twice, so a technician must confirm (startAfresh).
    Result<void> open(const QString &path);
    QString path() const { return file; }
    // The file's connection, for the reports kept beside the documents (ReportJournal).
    QString connection() const { return connectionName; }
    // The technician's confirmation that a lost journal may be started empty.
    static Result<void> startAfresh(const QString &path);
    // Whether a journal was ever created at `path`: one missing now was then lost.
    static bool everCreated(const QString &path);
    // Opens an existing journal only to read it: nothing is created or changed (the
    // technician's check).
    Result<void> openReadOnly(const QString &path);

    // Records a document about to be printed; returns its id.
    Result<qint64> begin(DocumentKind kind, qint64 codigo, qint32 caja, qint64 couponBefore,
                         qint64 reductionsBefore);
    Result<void> setState(qint64 id, State state, const QString &coupon = {}, qint64 numeroZ = 0);

    // Before the operator cancels the document open on the printer: every entry that may be
    // that document (being printed, or seen open) is recorded as cancelled, so it may be
    // printed again. Returns those entries as they were, for restore() when the printer
    // refused the cancellation; why not, when the journal cannot be written.
    Result<QList<Entry>> cancelOpen();
    Result<void> restore(const QList<Entry> &entries);

    // The operator's decision on a document the counters could not explain: print it again.
    // Returns how many held-back entries were released.
    Result<int> allowReprint(DocumentKind kind, qint64 codigo);

    // Entries not finished (neither Done, Void nor Cancelled), oldest first; why not, when the
    // journal cannot be read (locked, gone): then nothing may be printed.
    Result<QList<Entry>> unfinished() const;
    // Every entry, oldest first (the reconciliation report).
    Result<QList<Entry>> history() const;

    static QString describe(const Entry &entry) {
        return describeDocument(entry.kind, entry.codigo);
    }

private:
    void close();
    Failure failure(const QString &what, const QSqlQuery &query) const;
    Result<QList<Entry>> select(const QString &where) const;
    QString connectionName;
    QString file;
};

} // namespace robot
