#pragma once

#include "db/DocumentDatabase.h"
#include "db/Row.h"

#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

class QSqlQuery;

namespace robot {

class ServerDeadline;

// One line of a pending list: the document's key and the text the operator sees.
struct PendingDocument {
    qint64 codigo = 0;
    bool codigoValid = true; // false: Código is not a whole number (codigoText says what it is)
    QString codigoText;
    QString vistaEspecial; // a NULL display text shows as an empty line
};

// The company configuration record as read: a database that cannot be read yet (locked, a
// share not back) is not the same as a record that is missing.
struct ConfigurationRead {
    enum class Outcome { Read, NoRecord, Failed } outcome = Outcome::Failed;
    Row row;
    QString error;
};

// The data sources of the document database that live for the whole run: pending invoices
// (Data5), pending credit notes (Data6) and the company configuration (Data3).
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

    const QList<PendingDocument> &invoices() const { return data5; }
    const QList<PendingDocument> &creditNotes() const { return data6; }
    QString lastError() const { return error; }

    // First record of "Select * from [Configuración];".
    ConfigurationRead configurationRecord();

    QString databasePath() const { return path; }
    // On a server, the connection the lists are read through (the station's status row rides
    // on it: one connection per station); closed on a file or while disconnected.
    QSqlDatabase serverConnection() const {
        return onServer && connection.isOpen() ? connection.database() : QSqlDatabase();
    }
    qint32 caja() const { return machine; }

    // On a database server, claims this station's fiscal machine for the whole run: an advisory
    // lock keyed by the Caja, held by the connection the lists are read through and taken again
    // after every reconnection before anything is listed. False, with the operator's message,
    // only when another station holds it now; a server that does not answer yet is claimed as
    // soon as it does. On a file it does nothing (the station's lock file does that job).
    bool claimFiscalMachine(QString *refusal);
    // The last refresh failed because another station holds this Caja on the server.
    bool fiscalMachineTakenElsewhere() const { return claimedElsewhere; }

signals:
    void listsChanged();
    // The server announced that a document of this fiscal machine became pending.
    void documentsAnnounced();

private:
    bool ensureOpen();
    bool connectToServer();
    QString connectionLost() const;
    QString failureOf(const QSqlQuery &query, const ServerDeadline &deadline) const;
    bool attachToServer(QString *why);
    bool runInto(QString (Statements::*statement)(qint32) const, QList<PendingDocument> &rows);
    bool fail(const QString &why);

    QString path;
    qint32 machine;
    DocumentConnection connection;
    bool onServer = false;
    bool claimWanted = false;
    bool claimedElsewhere = false;
    bool announcing = false;
    int connectFailures = 0;
    QDeadlineTimer nextConnect;
    QList<PendingDocument> data5;
    QList<PendingDocument> data6;
    QString error;
};

} // namespace robot
