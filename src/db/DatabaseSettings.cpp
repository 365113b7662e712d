#include "db/DatabaseSettings.h"

#include "core/StationFiles.h"
#include "db/OdbcSource.h"
#include "db/StationIni.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <algorithm>

namespace robot {

namespace {

const QString kFileName = StationFiles::serverSettingsName();
const QString kGroup = QStringLiteral("BaseDeDatos");
const QStringList kServerKeys = {QStringLiteral("Servidor"), QStringLiteral("Puerto"),
                                 QStringLiteral("Base"), QStringLiteral("Usuario"),
                                 QStringLiteral("Clave")};
const QStringList kOdbcKeys = {QStringLiteral("Cadena"), QStringLiteral("Puente"),
                               QStringLiteral("Dialecto")};
const QStringList kKeys = QStringList{QStringLiteral("Motor")} + kServerKeys + kOdbcKeys;
// Sections robot-fiscal.ini may hold for other settings of the station.
const QStringList kOtherSections = {QStringLiteral("Avisos"), QStringLiteral("ReporteZ")};

// A file that is there but says nothing usable must not fall back to the data directory's
// database: that may be another database altogether.
QString unusable(const QString &shown, const QString &problem) {
    return QStringLiteral("No se puede usar %1: %2. Corríjalo, o quite el archivo para usar la "
                          "base de datos del directorio de datos.")
        .arg(shown, problem);
}

// The [BaseDeDatos] section; nothing when the file only holds the station's other sections (the
// database stays the file in the data directory); else why the file gives none.
Result<std::optional<IniSection>> databaseSection(const QString &path) {
    const Result<QList<IniSection>> sections = readIniFile(path);
    if (!sections.ok())
        return Failure{sections.error()};
    const Result<std::optional<IniSection>> section = findSection(sections.value(), kGroup);
    if (!section.ok() || section.value())
        return section;
    const bool otherSectionsOnly =
        std::all_of(sections.value().begin(), sections.value().end(),
                    [](const IniSection &s) { return kOtherSections.contains(s.name); });
    if (otherSectionsOnly && !sections.value().isEmpty())
        return std::optional<IniSection>();
    return Failure{sections.value().isEmpty()
                       ? QStringLiteral("el archivo está vacío")
                       : QStringLiteral("no tiene la sección [%1]").arg(kGroup)};
}

// Motor=odbc: the connection string as written, through the bridge unless Puente=no, with the
// Access statements unless Dialecto=sqlite. Never the string in a message: it may hold a
// password.
Result<QString> odbcLocation(const QMap<QString, QString> &values, const QString &shown) {
    OdbcSource source;
    source.connection = values.value(QStringLiteral("Cadena"));
    if (source.connection.trimmed().isEmpty())
        return Failure{unusable(shown, QStringLiteral("con Motor=odbc, la clave «Cadena» debe dar "
                                                      "la cadena de conexión ODBC o DSN=nombre"))};
    const QString puente = values.value(QStringLiteral("Puente"), QStringLiteral("sí"));
    if (puente.compare(QStringLiteral("sí"), Qt::CaseInsensitive) == 0 ||
        puente.compare(QStringLiteral("si"), Qt::CaseInsensitive) == 0)
        source.throughBridge = true;
    else if (puente.compare(QStringLiteral("no"), Qt::CaseInsensitive) == 0)
        source.throughBridge = false;
    else
        return Failure{unusable(
            shown, QStringLiteral("la clave «Puente» vale «%1»: escriba Puente=sí (por el puente "
                                  "ODBC) o Puente=no (el controlador ODBC dentro del programa)")
                       .arg(puente))};
    const QString dialecto = values.value(QStringLiteral("Dialecto"), QStringLiteral("access"));
    if (dialecto.compare(QStringLiteral("access"), Qt::CaseInsensitive) == 0)
        source.dialect = OdbcSource::Dialect::Access;
    else if (dialecto.compare(QStringLiteral("sqlite"), Qt::CaseInsensitive) == 0)
        source.dialect = OdbcSource::Dialect::Sqlite;
    else
        return Failure{unusable(shown, QStringLiteral("la clave «Dialecto» vale «%1»: escriba "
                                                      "Dialecto=access o Dialecto=sqlite")
                                           .arg(dialecto))};
    return source.remember();
}

} // namespace

Result<QString> documentDatabaseLocation(const QString &directory, const QString &fileDatabase) {
    const QString path = QDir(directory).filePath(kFileName);
    if (!QFileInfo::exists(path))
        return fileDatabase;
    const QString shown = QDir::toNativeSeparators(path);
    const Result<std::optional<IniSection>> section = databaseSection(path);
    if (!section.ok())
        return Failure{unusable(shown, section.error())};
    if (!section.value())
        return fileDatabase;
    QMap<QString, QString> values;
    for (const auto &[key, value] : section.value()->values) {
        const auto known = std::find_if(kKeys.begin(), kKeys.end(), [&key](const QString &k) {
            return k.compare(key, Qt::CaseInsensitive) == 0;
        });
        if (known == kKeys.end() || *known != key || values.contains(key)) {
            const QString why =
                known == kKeys.end()
                    ? QStringLiteral("la clave «%1» de [%2] no se conoce (las claves son %3)")
                          .arg(key, kGroup, kKeys.join(QStringLiteral(", ")))
                : *known != key ? QStringLiteral("la clave «%1» se escribe «%2»").arg(key, *known)
                                : QStringLiteral("la clave «%1» aparece dos veces").arg(key);
            return Failure{unusable(shown, why)};
        }
        values.insert(key, value);
    }
    const QString motor = values.value(QStringLiteral("Motor"));
    const bool odbc = motor.compare(QStringLiteral("odbc"), Qt::CaseInsensitive) == 0;
    if (!odbc && motor.compare(QStringLiteral("postgresql"), Qt::CaseInsensitive) != 0) {
        return Failure{
            QStringLiteral("El motor de base de datos «%1» de %2 no es válido: escriba "
                           "Motor=postgresql o Motor=odbc en la sección [%3], o quite el archivo "
                           "para usar la base de datos del directorio de datos.")
                .arg(motor, shown, kGroup)};
    }
    // A key of the other engine is a mistake: it would be silently ignored.
    for (const QString &key : odbc ? kServerKeys : kOdbcKeys) {
        if (values.contains(key))
            return Failure{unusable(shown, QStringLiteral("la clave «%1» no se usa con Motor=%2")
                                               .arg(key, odbc ? QStringLiteral("odbc")
                                                              : QStringLiteral("postgresql")))};
    }
    if (odbc)
        return odbcLocation(values, shown);
    ServerAddress address{
        values.value(QStringLiteral("Servidor")), values.value(QStringLiteral("Puerto")),
        values.value(QStringLiteral("Base")), values.value(QStringLiteral("Usuario"))};
    if (!address.port.isEmpty()) {
        bool number = false;
        const int port = address.port.toInt(&number);
        if (!number || port < 1 || port > 65535) {
            return Failure{QStringLiteral("El puerto «%1» de %2 no es válido: debe ser un número "
                                          "entre 1 y 65535.")
                               .arg(address.port, shown)};
        }
    }
    const QString text = address.text();
    rememberPassword(text, values.value(QStringLiteral("Clave")));
    return text;
}

Result<void> writeServerSettings(const QString &directory, const ServerAddress &address,
                                 const QString &password) {
    IniSection section{kGroup,
                       {{QStringLiteral("Motor"), QStringLiteral("postgresql")},
                        {QStringLiteral("Servidor"), address.host},
                        {QStringLiteral("Puerto"), address.port},
                        {QStringLiteral("Base"), address.database},
                        {QStringLiteral("Usuario"), address.user}}};
    if (!password.isEmpty())
        section.values.append({QStringLiteral("Clave"), password});
    QSaveFile file(QDir(directory).filePath(kFileName));
    const std::optional<QByteArray> text = iniText(section);
    if (!text || !file.open(QIODevice::WriteOnly) || file.write(*text) != text->size() ||
        !file.commit())
        return Failure{text ? QStringLiteral("No se pudo escribir %1.")
                                  .arg(QDir::toNativeSeparators(file.fileName()))
                            : QStringLiteral("Un valor de la conexión tiene un salto de línea: no "
                                             "puede guardarse en %1.")
                                  .arg(kFileName)};
    return {};
}

} // namespace robot
