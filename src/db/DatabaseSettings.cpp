#include "db/DatabaseSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace robot {

namespace {

const QString kFileName = QStringLiteral("robot-fiscal.ini");
const QString kGroup = QStringLiteral("BaseDeDatos");

// An INI value with a comma comes back as a list; the setting is the text as written.
QString setting(const QSettings &ini, const QString &key) {
    const QVariant value = ini.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

} // namespace

DatabaseLocation documentDatabaseLocation(const QString &directory, const QString &fileDatabase) {
    const QString path = QDir(directory).filePath(kFileName);
    if (!QFileInfo::exists(path))
        return {true, fileDatabase, {}};
    const QString shown = QDir::toNativeSeparators(path);
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) {
        return {false,
                {},
                QStringLiteral("No se pudo leer el archivo %1: no tiene el formato de un archivo "
                               ".ini.")
                    .arg(shown)};
    }
    ini.beginGroup(kGroup);
    if (ini.childKeys().isEmpty())
        return {true, fileDatabase, {}};
    const QString motor = setting(ini, QStringLiteral("Motor")).trimmed();
    if (motor.compare(QStringLiteral("postgresql"), Qt::CaseInsensitive) != 0) {
        return {false,
                {},
                QStringLiteral("El motor de base de datos «%1» de %2 no es válido: escriba "
                               "Motor=postgresql en la sección [%3], o quite el archivo para usar "
                               "la base de datos del directorio de datos.")
                    .arg(motor, shown, kGroup)};
    }
    ServerAddress address{setting(ini, QStringLiteral("Servidor")).trimmed(),
                          setting(ini, QStringLiteral("Puerto")).trimmed(),
                          setting(ini, QStringLiteral("Base")).trimmed(),
                          setting(ini, QStringLiteral("Usuario")).trimmed()};
    if (!address.port.isEmpty()) {
        bool number = false;
        const int port = address.port.toInt(&number);
        if (!number || port < 1 || port > 65535) {
            return {false,
                    {},
                    QStringLiteral("El puerto «%1» de %2 no es válido: debe ser un número entre 1 "
                                   "y 65535.")
                        .arg(address.port, shown)};
        }
    }
    const QString text = address.text();
    rememberPassword(text, setting(ini, QStringLiteral("Clave")));
    return {true, text, {}};
}

bool writeServerSettings(const QString &directory, const ServerAddress &address,
                         const QString &password, QString *error) {
    QSettings ini(QDir(directory).filePath(kFileName), QSettings::IniFormat);
    ini.beginGroup(kGroup);
    ini.setValue(QStringLiteral("Motor"), QStringLiteral("postgresql"));
    ini.setValue(QStringLiteral("Servidor"), address.host);
    ini.setValue(QStringLiteral("Puerto"), address.port);
    ini.setValue(QStringLiteral("Base"), address.database);
    ini.setValue(QStringLiteral("Usuario"), address.user);
    if (!password.isEmpty())
        ini.setValue(QStringLiteral("Clave"), password);
    ini.endGroup();
    ini.sync();
    if (ini.status() != QSettings::NoError) {
        if (error)
            *error = QStringLiteral("No se pudo escribir %1.")
                         .arg(QDir::toNativeSeparators(ini.fileName()));
        return false;
    }
    return true;
}

} // namespace robot
