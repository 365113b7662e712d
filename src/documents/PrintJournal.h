#pragma once

#include <QList>
#include <QString>

// A small local record of every fiscal document the station starts, kept beside the
// configuration because the document database may be on a share that goes away. Each step is
// committed to disk before the printer call that depends on it, so after a crash or a power
// cut the printer's own counters can tell what happened to a document.
class PrintJournal {
public:
    enum class State {
        Printing, // counters read, the document is being sent
        Printed,  // completed on paper; the database may not know yet
        Done,     // marked printed in the database
        Void,     // nothing was issued: the document may be printed again
        Open,     // a document is still open on the printer
        Unknown   // the counters cannot tell: never reprinted automatically
    };
    enum class Kind { Factura, NotaCredito };

    struct Entry {
        qint64 id = 0;
        Kind kind = Kind::Factura;
        qint32 codigo = 0;
        qint32 caja = 0;
        qint64 couponBefore = 0;
        qint64 reductionsBefore = 0;
        State state = State::Printing;
        QString coupon;
        qint64 numeroZ = 0;
    };

    PrintJournal() = default;
    PrintJournal(const PrintJournal &) = delete;
    PrintJournal &operator=(const PrintJournal &) = delete;
    ~PrintJournal();

    bool open(const QString &path, QString *error);
    QString path() const { return file; }

    // Records a document about to be printed; returns its id, or 0 with `error` set.
    qint64 begin(Kind kind, qint32 codigo, qint32 caja, qint64 couponBefore,
                 qint64 reductionsBefore, QString *error);
    bool setState(qint64 id, State state, QString *error, const QString &coupon = {},
                  qint64 numeroZ = 0);

    // The operator's decision on a document the counters could not explain: print it again.
    // Returns how many held-back entries were released.
    int allowReprint(Kind kind, qint32 codigo, QString *error);

    // Entries not Done and not Void, oldest first.
    QList<Entry> unfinished() const;
    bool hasUnfinished() const;

    static QString describe(const Entry &entry); // "factura 12", "nota de crédito 7"

private:
    QString connectionName;
    QString file;
};
