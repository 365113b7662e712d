#pragma once

#include "core/Result.h"

#include <QMap>
#include <QString>
#include <optional>

namespace robot {

// A document database on a PostgreSQL server. The station carries it in place of the file's
// path (RutaBaseDatos) as the text "postgresql: host=… port=… dbname=… user=…", which never
// holds the password, so it may be logged and shown. Empty parts are left to libpq's own
// defaults (PGHOST, PGPORT, PGDATABASE, PGUSER, a service file).
struct ServerAddress {
    QString host;
    QString port;
    QString database;
    QString user;

    QString text() const;
    // "usuario@servidor:puerto/base", for messages.
    QString shown() const;
};

// The server address that RutaBaseDatos names; nothing when it names a file.
std::optional<ServerAddress> serverAddress(const QString &rutaBaseDatos);

// A libpq connection string, keyword=value pairs (a value in single quotes may hold blanks, \'
// and \\) or a postgresql:// URI. On a malformed string, why.
Result<QMap<QString, QString>> parseConnectionString(const QString &text);

// The password given in the station's own settings for the address `addressText`. It stays in
// this process's memory, out of every text that is logged or shown.
void rememberPassword(const QString &addressText, const QString &password);
QString rememberedPassword(const QString &addressText);

} // namespace robot
