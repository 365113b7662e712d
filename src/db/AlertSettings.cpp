#include "db/AlertSettings.h"

#include "core/StationFiles.h"
#include "db/StationIni.h"

#include <QDir>
#include <QFileInfo>

namespace robot {

namespace {

const QString kGroup = QStringLiteral("Avisos");

// A whole number from `low` to `high`, or nothing.
std::optional<int> wholeNumber(const QString &text, int low, int high) {
    bool number = false;
    const int value = text.toInt(&number);
    if (!number || value < low || value > high)
        return std::nullopt;
    return value;
}

// Why the section cannot be used, or empty; `settings` filled as it is read.
QString readSection(const IniSection &section, AlertSettings &settings) {
    QStringList seen;
    for (const auto &[key, value] : section.values) {
        if (seen.contains(key))
            return QStringLiteral("la clave «%1» de [%2] aparece dos veces").arg(key, kGroup);
        seen << key;
        if (key == QStringLiteral("Comando")) {
            settings.command = value;
        } else if (key == QStringLiteral("Minutos")) {
            const auto minutes = wholeNumber(value, 1, 1440);
            if (!minutes)
                return QStringLiteral("«Minutos=%1» de [%2] no es válido: escriba los minutos "
                                      "que los documentos pueden esperar, de 1 a 1440")
                    .arg(value, kGroup);
            settings.waitMinutes = *minutes;
        } else if (key == QStringLiteral("Limite")) {
            const auto seconds = wholeNumber(value, 1, 3600);
            if (!seconds)
                return QStringLiteral("«Limite=%1» de [%2] no es válido: escriba los segundos "
                                      "que puede durar el comando, de 1 a 3600")
                    .arg(value, kGroup);
            settings.limitSeconds = *seconds;
        } else {
            return QStringLiteral("la clave «%1» de [%2] no se conoce (las claves son Comando, "
                                  "Minutos y Limite, con esas mayúsculas)")
                .arg(key, kGroup);
        }
    }
    return {};
}

} // namespace

Result<AlertSettings> readAlertSettings(const QString &directory) {
    const QString path = StationFiles(directory).serverSettings();
    AlertSettings settings;
    if (!QFileInfo::exists(path))
        return settings;
    const Result<QList<IniSection>> sections = readIniFile(path);
    const Result<std::optional<IniSection>> section =
        sections.ok() ? findSection(sections.value(), kGroup) : Failure{sections.error()};
    const QString problem = !section.ok()     ? section.error()
                            : section.value() ? readSection(*section.value(), settings)
                                              : QString();
    if (problem.isEmpty())
        return settings;
    return Failure{QStringLiteral("No se pueden usar los avisos de %1: %2. Corríjalo y abra la "
                                  "estación de nuevo.")
                       .arg(QDir::toNativeSeparators(path), problem)};
}

} // namespace robot
