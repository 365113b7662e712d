#include "core/SystemErrors.h"

#include "core/StationLog.h"

namespace robot {

namespace {

struct Known {
    const char *found; // lower case, searched in the lower-cased original
    const char *spanish;
};

// The server's refusals come first: "permission denied for table" is not a file's permission.
const Known kKnown[] = {
    {"password authentication failed",
     "El servidor de la base de datos rechazó el usuario o la clave: compruebe Usuario= y Clave= "
     "en robot-fiscal.ini."},
    {"no password supplied",
     "El servidor de la base de datos pide una clave: póngala en Clave= de robot-fiscal.ini o en "
     "~/.pgpass."},
    {"permission denied for",
     "El usuario del servidor de la base de datos no tiene permiso sobre esas tablas: pida al "
     "administrador del servidor que se lo dé."},
    {"does not exist",
     "Lo que se busca no existe en el servidor de la base de datos: compruebe Base= y Usuario= "
     "en robot-fiscal.ini."},
    {"connection refused",
     "El servidor de la base de datos no acepta conexiones: compruebe que esté encendido, que "
     "PostgreSQL funcione en él y Servidor= y Puerto= en robot-fiscal.ini."},
    {"could not translate host name",
     "No se encuentra el servidor de la base de datos por su nombre: compruebe Servidor= en "
     "robot-fiscal.ini y la red."},
    {"timeout expired",
     "El servidor de la base de datos no contestó a tiempo: compruebe la red y que el servidor "
     "esté encendido."},
    {"timed out",
     "El servidor no contestó a tiempo: compruebe la red y que el servidor esté encendido."},
    {"no route to host", "No hay red hasta el servidor: compruebe el cable o la conexión."},
    {"network is unreachable", "No hay red hasta el servidor: compruebe el cable o la conexión."},
    {"no such file or directory",
     "El archivo o la carpeta no existe: compruebe la ruta y que la carpeta compartida esté "
     "conectada."},
    {"read-only file system",
     "El disco o la carpeta compartida es de solo lectura: pida al técnico que lo revise."},
    {"permission denied",
     "Este usuario no tiene permiso para abrirlo: pida al técnico que revise los permisos."},
    {"no space left on device", "El disco está lleno: libere espacio o llame al técnico."},
};

} // namespace

QString explainError(const QString &original) {
    const QString lower = original.toLower();
    for (const Known &known : kKnown) {
        if (lower.contains(QLatin1String(known.found))) {
            StationLog::detail(QStringLiteral("Texto original del error: ") + original.trimmed());
            return QString::fromUtf8(known.spanish);
        }
    }
    return original;
}

} // namespace robot
