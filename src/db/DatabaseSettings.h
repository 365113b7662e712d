#pragma once

#include "db/ServerAddress.h"

#include <QString>

namespace robot {

// Where the document database is: the file in the data directory, unless robot-fiscal.ini
// beside ImpresorFiscal.inf names a server ([BaseDeDatos] Motor=postgresql, Servidor, Puerto,
// Base, Usuario, Clave).
struct DatabaseLocation {
    bool ok = true;
    QString rutaBaseDatos; // the file's path, or the server's address text (ServerAddress)
    QString message;       // why the settings were refused, for the operator
};

DatabaseLocation documentDatabaseLocation(const QString &directory, const QString &fileDatabase);

// Writes robot-fiscal.ini in `directory` for `address`; the password only when one is given.
bool writeServerSettings(const QString &directory, const ServerAddress &address,
                         const QString &password, QString *error);

} // namespace robot
