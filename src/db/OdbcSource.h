#pragma once

#include <QString>
#include <optional>

namespace robot {

class Statements;

// A document database reached through any ODBC source, as robot-fiscal.ini names it
// ([BaseDeDatos] Motor=odbc, Cadena, Puente, Dialecto). The station carries it in place of the
// file's path (RutaBaseDatos) as its text "odbc: ..." with every password of the connection
// string masked, so the text may be logged and shown; the string itself stays in this
// process's memory.
struct OdbcSource {
    enum class Dialect { Access, Sqlite };
    QString connection; // the whole connection string, password included
    bool throughBridge = true;
    Dialect dialect = Dialect::Access;

    // Remembers the source and returns the text that stands for it.
    QString remember() const;
    const Statements &statements() const;
};

// The source that RutaBaseDatos names; nothing when it names a file or a server.
std::optional<OdbcSource> odbcSource(const QString &rutaBaseDatos);

// `connection` with the values of PWD and Password (any capitals) replaced by ***.
QString maskedConnectionString(const QString &connection);

} // namespace robot
