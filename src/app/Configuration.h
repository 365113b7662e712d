#pragma once

#include "db/AlertSettings.h"

#include <QString>
#include <QtGlobal>

namespace robot {

// Settings read once from ImpresorFiscal.inf (and the alerts from robot-fiscal.ini).
struct Settings {
    QString RutaAplicacion;
    QString RutaDatos;
    QString RutaBaseDatos;
    QString TipoImpresora;
    QString Puerto;
    bool Columnas80 = false;
    QString SerialImpresora;
    qint32 Caja = 0;
    AlertSettings alerts; // robot-fiscal.ini's [Avisos]
};

struct ConfigurationReading {
    enum class Outcome { Ok, Unreadable, WrongPrinterType, BadCaja };
    Outcome outcome = Outcome::Ok;
    QString message; // the operator message when not Ok
    Settings settings;
    QString cajaText; // the value after "Caja:" as written, trimmed
};

// Reads the configuration file at `path` (Windows-1252 text).
ConfigurationReading LeeConfiguracion(const QString &path);

// True when an ordinary, non-hidden file exists at the path; false on absence or any error.
bool ChequeoExistenciaArchivo(const QString &TheFile);

// On systems whose separator is '/', a backslash written in the configuration acts as one.
QString nativeDataPath(const QString &configured);

// The marker file in the data directory whose presence shows that the directory is reachable.
QString markerFilePath(const Settings &settings);
// What the operator reads when the marker file cannot be found.
QString maintenanceMessage();

} // namespace robot
