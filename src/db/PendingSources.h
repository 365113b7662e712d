#pragma once

#include "core/Result.h"
#include "db/ServerSession.h"
#include "db/Statements.h"

#include <QList>
#include <QObject>
#include <QString>

namespace robot {

// One line of a pending list: the document's key and the text the operator sees.
struct PendingDocument {
    qint64 codigo = 0;
    bool codigoValid = true; // false: Código is not a whole number (codigoText says what it is)
    QString codigoText;
    QString vistaEspecial; // a NULL display text shows as an empty line
};

// The data sources of the document database that live for the whole run: pending invoices
// (Data5) and pending credit notes (Data6), read through the station's session.
class PendingSources : public QObject {
    Q_OBJECT
public:
    PendingSources(const QString &rutaBaseDatos, qint32 caja, QObject *parent = nullptr);
    ~PendingSources() override;

    // Re-runs both pending queries. On failure both sources are left empty, so nothing that
    // reads them can print, and lastError() says why.
    bool RefrescaListas();
    bool refreshInvoices();
    bool refreshCreditNotes();
    // Both lists read again now, and how many documents they hold: for a question that must
    // not rest on lists read a second ago.
    Result<qsizetype> pendingNow();

    const QList<PendingDocument> &invoices() const { return data5; }
    const QList<PendingDocument> &creditNotes() const { return data6; }
    QString lastError() const { return error; }

    QString databasePath() const { return path; }
    qint32 caja() const { return machine; }

    // The connection the lists are read through: on a server, the advisory lock and the notices.
    ServerSession &session() { return serverSession; }

signals:
    void listsChanged();

private:
    bool ensureOpen();
    bool runInto(QString (Statements::*statement)(qint32) const, QList<PendingDocument> &rows);
    bool fail(const QString &why);

    QString path;
    qint32 machine;
    ServerSession serverSession;
    QList<PendingDocument> data5;
    QList<PendingDocument> data6;
    QString error;
};

} // namespace robot
