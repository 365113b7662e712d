#pragma once

#include "db/DocumentDatabase.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

class QSqlQuery;

namespace robot {

class ServerDeadline;

// The connection the pending lists are read through, for the whole run. On a file it is opened
// again whenever it was closed (the share may have gone and come back). Through ODBC it is
// connected again after a loss, further apart each time. On a database server it is the
// station's session: connected again after a cut, further apart each time; holding the
// advisory lock that claims this station's fiscal machine; subscribed to the server's notices.
class ServerSession : public QObject {
    Q_OBJECT
public:
    ServerSession(const QString &rutaBaseDatos, qint32 caja, QObject *parent = nullptr);
    ~ServerSession() override;

    // The connection, opened when needed; why not, when it cannot be used now: it is then
    // closed, and the next call opens it again.
    Result<void> open();
    void close() { connection.close(); }
    DocumentConnection &documents() { return connection; }
    // On a server and connected now: the station's status row rides on this connection (one
    // connection per station). False on a file or while disconnected.
    bool connectedToServer() const;
    // What a failed statement means, a statement left unanswered or cut with the connection
    // told as the connection lost.
    QString failureOf(const QSqlQuery &query, const ServerDeadline &deadline) const;

    // On a database server, claims this station's fiscal machine for the whole run: an advisory
    // lock keyed by the Caja, held by this connection and taken again after every reconnection
    // before anything is listed. The operator's refusal only when another station holds it
    // now; a server that does not answer yet is claimed as soon as it does. On a file it does
    // nothing (the station's lock file does that job).
    Result<void> claimFiscalMachine();
    // The last connection failed because another station holds this Caja on the server.
    bool fiscalMachineTakenElsewhere() const { return claimedElsewhere; }

signals:
    // The server announced that a document of this fiscal machine became pending.
    void documentsAnnounced();

private:
    Result<void> usable();
    Result<void> connectToServer();
    Result<void> attachToServer();
    QString connectionLost() const;

    QString path;
    qint32 machine;
    DocumentConnection connection;
    bool onServer = false;
    bool reconnects = false; // a server or an ODBC source: connected again on a schedule
    bool claimWanted = false;
    bool claimedElsewhere = false;
    bool announcing = false;
    int connectFailures = 0;
    Failure lastConnectFailure;
    QDeadlineTimer nextConnect;
};

} // namespace robot
