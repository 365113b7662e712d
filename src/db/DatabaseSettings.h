#pragma once

#include "core/Result.h"
#include "db/ServerAddress.h"

#include <QString>

namespace robot {

// Where the document database is: the file in the data directory, unless robot-fiscal.ini
// beside ImpresorFiscal.inf names a server ([BaseDeDatos] Motor=postgresql, Servidor, Puerto,
// Base, Usuario, Clave) or an ODBC source (Motor=odbc, Cadena, Puente, Dialecto). The file's
// path, the server's address text (ServerAddress) or the source's (OdbcSource); why the
// settings were refused, for the operator.
Result<QString> documentDatabaseLocation(const QString &directory, const QString &fileDatabase);

// Writes robot-fiscal.ini in `directory` for `address`; the password only when one is given.
Result<void> writeServerSettings(const QString &directory, const ServerAddress &address,
                                 const QString &password);

} // namespace robot
