#include "platform/AccessOdbc.h"

namespace robot {

std::optional<QString> accessConnectionString(const QString &nativePath) {
    // Braces keep a path with ';' or '=' in one piece; a '}' inside is written twice.
    QString quoted = nativePath;
    quoted.replace(u'}', QStringLiteral("}}"));
    return QStringLiteral("DRIVER={Microsoft Access Driver (*.mdb, *.accdb)};DBQ={%1};")
        .arg(quoted);
}

} // namespace robot
