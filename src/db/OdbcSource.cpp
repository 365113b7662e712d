#include "db/OdbcSource.h"

#include "db/KeptByText.h"
#include "db/Statements.h"

namespace robot {

namespace {

const QString kPrefix = QStringLiteral("odbc:");

KeptByText<OdbcSource> &sources() {
    static KeptByText<OdbcSource> kept;
    return kept;
}

bool isPasswordKey(const QString &key) {
    const QString k = key.trimmed();
    return k.compare(QStringLiteral("PWD"), Qt::CaseInsensitive) == 0 ||
           k.compare(QStringLiteral("Password"), Qt::CaseInsensitive) == 0;
}

} // namespace

QString maskedConnectionString(const QString &connection) {
    // Attributes are KEY=value separated by ';'; a value in braces may hold ';' and '}}'.
    QString out;
    qsizetype i = 0;
    const qsizetype n = connection.size();
    while (i < n) {
        const qsizetype equals = connection.indexOf(u'=', i);
        const qsizetype semicolon = connection.indexOf(u';', i);
        if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
            const qsizetype end = semicolon < 0 ? n : semicolon + 1;
            out += connection.mid(i, end - i);
            i = end;
            continue;
        }
        const QString key = connection.mid(i, equals - i);
        qsizetype end = equals + 1;
        if (end < n && connection[end] == u'{') {
            for (++end; end < n; ++end) {
                if (connection[end] == u'}') {
                    if (end + 1 < n && connection[end + 1] == u'}')
                        ++end;
                    else
                        break;
                }
            }
            end = qMin(end + 1, n);
        }
        const qsizetype close = connection.indexOf(u';', end);
        end = close < 0 ? n : close;
        out += key + u'=' +
               (isPasswordKey(key) ? QStringLiteral("***")
                                   : connection.mid(equals + 1, end - equals - 1));
        if (end < n)
            out += u';';
        i = end + 1;
    }
    return out;
}

QString OdbcSource::remember() const {
    const QString text =
        QStringLiteral("%1 Dialecto=%2 Puente=%3 Cadena=%4")
            .arg(kPrefix,
                 dialect == Dialect::Access ? QStringLiteral("access") : QStringLiteral("sqlite"),
                 throughBridge ? QStringLiteral("sí") : QStringLiteral("no"),
                 maskedConnectionString(connection));
    sources().keep(text, *this);
    return text;
}

const Statements &OdbcSource::statements() const {
    return dialect == Dialect::Access ? jetStatements() : sqliteStatements();
}

std::optional<OdbcSource> odbcSource(const QString &rutaBaseDatos) {
    if (!rutaBaseDatos.startsWith(kPrefix))
        return std::nullopt;
    return sources().find(rutaBaseDatos);
}

} // namespace robot
