#include "db/ServerAddress.h"

#include "db/KeptByText.h"
#include <QUrl>
#include <QUrlQuery>

namespace robot {

namespace {

const QString kPrefix = QStringLiteral("postgresql:");

// Every value quoted, whatever it holds: a tab or a no-break space left bare would end it and
// let the rest of it name another key (another host, to which the password would go).
QString quoted(const QString &value) {
    QString escaped = value;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + escaped + u'\'';
}

Result<QMap<QString, QString>> parseKeywords(const QString &text) {
    QMap<QString, QString> values;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && text[i].isSpace())
            ++i;
    };
    for (skipBlanks(); i < n; skipBlanks()) {
        const qsizetype keyStart = i;
        while (i < n && text[i] != u'=' && !text[i].isSpace())
            ++i;
        const QString key = text.mid(keyStart, i - keyStart);
        skipBlanks();
        if (key.isEmpty() || i >= n || text[i] != u'=')
            return Failure{QStringLiteral("falta «=» en la posición %1").arg(keyStart + 1)};
        ++i;
        skipBlanks();
        QString value;
        if (i < n && text[i] == u'\'') {
            bool closed = false;
            for (++i; i < n; ++i) {
                if (text[i] == u'\\' && i + 1 < n) {
                    value += text[++i];
                } else if (text[i] == u'\'') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    value += text[i];
                }
            }
            if (!closed)
                return Failure{QStringLiteral("falta la comilla de cierre del valor de la "
                                              "posición %1")
                                   .arg(keyStart + 1)};
        } else {
            while (i < n && !text[i].isSpace()) {
                if (text[i] == u'\\' && i + 1 < n)
                    ++i;
                value += text[i++];
            }
        }
        values.insert(key, value);
    }
    return values;
}

Result<QMap<QString, QString>> parseUri(const QString &text) {
    const QUrl url(text, QUrl::StrictMode);
    // Qt's reason quotes the whole address, password included.
    if (!url.isValid())
        return Failure{QStringLiteral("la dirección postgresql:// está mal escrita")};
    QMap<QString, QString> values;
    auto put = [&values](const char *key, const QString &value) {
        if (!value.isEmpty())
            values.insert(QString::fromLatin1(key), value);
    };
    put("host", url.host(QUrl::FullyDecoded));
    if (url.port() != -1)
        put("port", QString::number(url.port()));
    put("dbname", url.path(QUrl::FullyDecoded).mid(1));
    put("user", url.userName(QUrl::FullyDecoded));
    put("password", url.password(QUrl::FullyDecoded));
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
        values.insert(key, value);
    return values;
}

KeptByText<QString> &passwords() {
    static KeptByText<QString> kept;
    return kept;
}

} // namespace

QString ServerAddress::text() const {
    QString out = kPrefix;
    const std::pair<const char *, const QString *> parts[] = {
        {"host", &host}, {"port", &port}, {"dbname", &database}, {"user", &user}};
    for (const auto &[key, value] : parts) {
        if (!value->isEmpty())
            out += u' ' + QString::fromLatin1(key) + u'=' + quoted(*value);
    }
    return out;
}

QString ServerAddress::shown() const {
    QString out = user.isEmpty() ? QString() : user + u'@';
    out += host.isEmpty() ? QStringLiteral("localhost") : host;
    if (!port.isEmpty())
        out += u':' + port;
    return out + u'/' + database;
}

std::optional<ServerAddress> serverAddress(const QString &rutaBaseDatos) {
    if (!rutaBaseDatos.startsWith(kPrefix))
        return std::nullopt;
    const Result<QMap<QString, QString>> parsed = parseKeywords(rutaBaseDatos.mid(kPrefix.size()));
    if (!parsed.ok())
        return std::nullopt;
    const QMap<QString, QString> &values = parsed.value();
    return ServerAddress{values.value(QStringLiteral("host")), values.value(QStringLiteral("port")),
                         values.value(QStringLiteral("dbname")),
                         values.value(QStringLiteral("user"))};
}

Result<QMap<QString, QString>> parseConnectionString(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QStringLiteral("postgresql://")) ||
        trimmed.startsWith(QStringLiteral("postgres://")))
        return parseUri(trimmed);
    return parseKeywords(trimmed);
}

void rememberPassword(const QString &addressText, const QString &password) {
    if (password.isEmpty())
        passwords().forget(addressText);
    else
        passwords().keep(addressText, password);
}

QString rememberedPassword(const QString &addressText) {
    return passwords().find(addressText).value_or(QString());
}

} // namespace robot
