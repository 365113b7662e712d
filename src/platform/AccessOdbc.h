#pragma once

#include <QString>

namespace robot {

// The Access ODBC drivers this computer has (per platform: none but on Windows).
struct AccessDrivers {
    // «Microsoft Access Driver (*.mdb, *.accdb)» of the station's own width, loaded in process
    // (the 64-bit Access Database Engine redistributable).
    bool aceInProcess = false;
    // «Microsoft Access Driver (*.mdb)», the 32-bit Jet 4 driver every Windows has, reached
    // through the 32-bit bridge.
    bool jet32 = false;
};
AccessDrivers installedAccessDrivers();

inline const QString kAceDriver = QStringLiteral("Microsoft Access Driver (*.mdb, *.accdb)");
inline const QString kJetDriver = QStringLiteral("Microsoft Access Driver (*.mdb)");

// The ODBC connection string of the Access file at `nativePath` through `driver`.
inline QString accessConnectionString(const QString &driver, const QString &nativePath) {
    // Braces keep a path with ';' or '=' in one piece; a '}' inside is written twice.
    QString quoted = nativePath;
    quoted.replace(u'}', QStringLiteral("}}"));
    return QStringLiteral("DRIVER={%1};DBQ={%2};").arg(driver, quoted);
}

} // namespace robot
