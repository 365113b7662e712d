#include "db/StationIni.h"

#include <QFile>
#include <QStringDecoder>

namespace robot {

namespace {

Result<QString> decoded(const QByteArray &bytes) {
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        QStringDecoder utf16(bytes.startsWith("\xff\xfe") ? QStringConverter::Utf16LE
                                                          : QStringConverter::Utf16BE);
        const QString text = utf16.decode(bytes.mid(2));
        if (!utf16.hasError())
            return text;
    } else if (bytes.contains('\0')) {
        return Failure{QStringLiteral("parece guardado en UTF-16 sin marca de orden de bytes; "
                                      "guárdelo como UTF-8")};
    } else {
        const bool marked = bytes.startsWith("\xef\xbb\xbf");
        QStringDecoder utf8(QStringConverter::Utf8);
        const QString text = utf8.decode(marked ? bytes.mid(3) : bytes);
        if (!utf8.hasError())
            return text;
    }
    return Failure{QStringLiteral("su texto no es UTF-8 ni UTF-16 válido; guárdelo como UTF-8")};
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString trimmedBlanks(QString text) {
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    qsizetype start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    return text.mid(start);
}

} // namespace

Result<QList<IniSection>> parseIni(const QByteArray &bytes) {
    const Result<QString> text = decoded(bytes);
    if (!text.ok())
        return Failure{text.error()};
    QList<IniSection> sections;
    const QStringList lines = text.value().split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(u'\r'))
            line.chop(1);
        line = trimmedBlanks(line);
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            sections.append({trimmedBlanks(line.mid(1, line.size() - 2)), {}});
        } else if (equals > 0 && !sections.isEmpty()) {
            QString value = trimmedBlanks(line.mid(equals + 1));
            if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
                value = value.mid(1, value.size() - 2);
            sections.last().values.append({trimmedBlanks(line.left(equals)), value});
        } else {
            return Failure{QStringLiteral("la línea %1 no es una sección [Nombre] ni una línea "
                                          "Clave=valor de una sección")
                               .arg(n + 1)};
        }
    }
    return sections;
}

std::optional<QByteArray> iniText(const IniSection &section) {
    QString text = u'[' + section.name + QStringLiteral("]\r\n");
    for (const auto &[key, value] : section.values) {
        if (value.contains(u'\n') || value.contains(u'\r'))
            return std::nullopt;
        const bool kept =
            value != trimmedBlanks(value) || (value.startsWith(u'"') && value.endsWith(u'"'));
        text += key + u'=' + (kept ? u'"' + value + u'"' : value) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

Result<QList<IniSection>> readIniFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{QStringLiteral("no se puede leer (%1)").arg(file.errorString())};
    return parseIni(file.readAll());
}

Result<std::optional<IniSection>> findSection(const QList<IniSection> &sections,
                                              const QString &name) {
    for (const IniSection &section : sections) {
        if (section.name == name)
            return std::optional<IniSection>(section);
        if (section.name.compare(name, Qt::CaseInsensitive) == 0)
            return Failure{QStringLiteral("la sección se llama [%1]; escríbala [%2], con esas "
                                          "mayúsculas")
                               .arg(section.name, name)};
    }
    return std::optional<IniSection>();
}

} // namespace robot
