#include "db/ZReportSettings.h"

#include "core/StationFiles.h"
#include "db/StationIni.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace robot {

namespace {

const QString kGroup = QStringLiteral("ReporteZ");
const QString kKey = QStringLiteral("Hora");

ZReportSchedule refused(const QString &path, const QString &problem) {
    return {{},
            QStringLiteral("No se puede usar la sección [%1] de %2: %3. La reducción Z "
                           "automática queda desactivada hasta que se corrija.")
                .arg(kGroup, QDir::toNativeSeparators(path), problem)};
}

} // namespace

ZReportSchedule scheduledZReport(const QString &directory) {
    const QString path = StationFiles(directory).serverSettings();
    if (!QFileInfo::exists(path))
        return {};
    const Result<QList<IniSection>> sections = readIniFile(path);
    if (!sections.ok())
        return refused(path, sections.error());
    const Result<std::optional<IniSection>> found = findSection(sections.value(), kGroup);
    if (!found.ok())
        return refused(path, found.error());
    if (!found.value())
        return {};
    const IniSection &section = *found.value();
    if (section.values.size() != 1 || section.values.first().first != kKey)
        return refused(path, QStringLiteral("debe tener una sola clave, %1 (por ejemplo "
                                            "%1=23:30)")
                                 .arg(kKey));
    static const QRegularExpression hhmm(QStringLiteral("^([01]?[0-9]|2[0-3]):([0-5][0-9])$"));
    const QString value = section.values.first().second;
    const QRegularExpressionMatch match = hhmm.match(value);
    if (!match.hasMatch())
        return refused(path, QStringLiteral("la hora «%1» no es válida: escríbala como HH:MM "
                                            "en 24 horas, por ejemplo %2=23:30")
                                 .arg(value, kKey));
    return {QTime(match.captured(1).toInt(), match.captured(2).toInt()), {}};
}

} // namespace robot
