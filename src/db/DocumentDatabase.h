#pragma once

#include "core/Result.h"

#include <QString>

// Qt SQL stays inside this layer; the tools and tests that fill a database through database()
// include it themselves.
class QSqlDatabase;

namespace robot {

class Statements;
struct ServerAddress;

// One named connection to the document database, closed and removed when it goes out of
// scope. The engine is chosen from the file itself: SQLite through Qt's SQLite driver, an
// Access (Jet/ACE) file through ODBC on Windows (in process or through the bridge: AccessRoute); a
// server's address (robot::ServerAddress) opens PostgreSQL through Qt's QPSQL driver, an ODBC
// source's text (robot::OdbcSource) its connection string.
class DocumentConnection {
public:
    DocumentConnection() = default;
    DocumentConnection(const DocumentConnection &) = delete;
    DocumentConnection &operator=(const DocumentConnection &) = delete;
    ~DocumentConnection();

    // Opens `path` under a connection name of its own (`purpose` shows in it); why not, in
    // Spanish, when it cannot.
    Result<void> open(const QString &path, const QString &purpose);
    // Opens an ODBC connection string whose data speak `statements`' dialect, in process with
    // Qt's QODBC or through the bridge program (OdbcBridgeDriver); `shown` names it in a
    // failure (never the string itself, which may hold a password).
    enum class OdbcRoute { InProcess, Bridge };
    Result<void> openOdbc(const QString &connectionString, const Statements &statements,
                          const QString &purpose, OdbcRoute route = OdbcRoute::InProcess,
                          const QString &shown = {});
    void close();

    bool isOpen() const { return !name.isEmpty(); }
    QSqlDatabase database() const;
    const Statements &statements() const { return *dialect; }

private:
    Result<void> finishOpen(QSqlDatabase db, const QString &what);
    Result<void> openServer(const robot::ServerAddress &server, const QString &password,
                            const QString &name);
    QString name;
    const Statements *dialect = nullptr;
};

// A Qt SQL connection name no other connection of this process uses.
QString uniqueConnectionName(const QString &purpose);

enum class DatabaseEngine { Missing, Sqlite, Access, Unknown };
DatabaseEngine detectEngine(const QString &path);

} // namespace robot
