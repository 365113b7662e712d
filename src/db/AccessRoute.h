#pragma once

#include "core/Result.h"
#include "platform/AccessOdbc.h"

#include <QString>

namespace robot {

// How an Access file is opened on this computer, decided once per run at its first opening: the
// 64-bit Access driver in process where it is installed, else «Microsoft Access Driver (*.mdb)»
// (32-bit, on every Windows) through the 32-bit bridge. A .accdb needs the 64-bit one.
struct AccessRoute {
    QString driver;
    bool throughBridge = false;
    // "el controlador «…» en el programa" or "… por el puente de 32 bits", for the log and
    // --check.
    QString described() const;
};

// The choice for the file at `nativePath` (`aceFormat`: an Access 2007 or later file) with
// `drivers`; why none will do, with what to install.
Result<AccessRoute> chooseAccessRoute(const QString &nativePath, bool aceFormat,
                                      const AccessDrivers &drivers);

// chooseAccessRoute with this computer's drivers, once per path and run.
Result<AccessRoute> accessRouteOf(const QString &nativePath, bool aceFormat);

// The file at `path` is in the Access 2007 or later format (ACE), not Jet 4.
bool isAceFile(const QString &path);

// RutaBaseDatos is reached through a bridge (an ODBC source with Puente=sí, an Access file
// through the 32-bit driver): its connections are worth keeping.
bool opensThroughBridge(const QString &rutaBaseDatos);

// The engine behind RutaBaseDatos and how the station reaches it, for the log and --check:
// "SQLite", "Access, el controlador «…» por el puente de 32 bits", "PostgreSQL, según
// robot-fiscal.ini", "ODBC según robot-fiscal.ini, …"; an Access file that cannot be opened
// here says why and what to install.
QString databaseEngineDescription(const QString &rutaBaseDatos);

} // namespace robot
