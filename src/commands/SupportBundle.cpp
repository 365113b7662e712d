#include "commands/SupportBundle.h"

#include "core/StationFiles.h"
#include "db/JournalCopy.h"
#include "platform/Archive.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace robot {

namespace {

bool writeText(const QString &path, const QString &text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

// Notepad may have saved it as UTF-16: its byte-order mark says so.
QString decoded(const QByteArray &data) {
    QStringDecoder decoder(
        QStringConverter::encodingForData(data).value_or(QStringConverter::Utf8));
    return decoder(data);
}

} // namespace

QString withoutPasswords(const QString &ini) {
    QStringList kept;
    for (const QString &line : ini.split(u'\n')) {
        const QString key = line.section(u'=', 0, 0).trimmed();
        if (line.contains(u'=') && key.compare(QStringLiteral("Clave"), Qt::CaseInsensitive) == 0)
            continue;
        kept << line;
    }
    return kept.join(u'\n');
}

Result<void> writeSupportBundle(const QString &stationDirectory, const SupportReports &reports,
                                const QString &archive) {
    QTemporaryDir staging;
    if (!staging.isValid())
        return Failure{
            QStringLiteral("no se pudo crear una carpeta temporal: %1").arg(staging.errorString())};
    const QDir station(stationDirectory);
    const QDir into(staging.path());
    for (const QString &name : station.entryList(
             {StationFiles::logName() + u'*', StationFiles::configurationName()}, QDir::Files)) {
        if (!QFile::copy(station.filePath(name), into.filePath(name)))
            return Failure{QStringLiteral("no se pudo copiar %1.").arg(name)};
    }
    if (QFile ini(station.filePath(StationFiles::serverSettingsName()));
        ini.exists() && !(ini.open(QIODevice::ReadOnly) &&
                          writeText(into.filePath(StationFiles::serverSettingsName()),
                                    withoutPasswords(decoded(ini.readAll()))))) {
        return Failure{QStringLiteral("no se pudo copiar robot-fiscal.ini.")};
    }
    const QString journal = station.filePath(StationFiles::journalName());
    if (QFile::exists(journal)) {
        if (Result<void> copied = copyJournal(journal, into.filePath(StationFiles::journalName()));
            !copied.ok())
            return copied;
    }
    if (!writeText(into.filePath(QStringLiteral("diagnostico.txt")), reports.check) ||
        !writeText(into.filePath(QStringLiteral("conciliacion.txt")), reports.reconciliation) ||
        !writeText(into.filePath(QStringLiteral("version.txt")), reports.version))
        return Failure{QStringLiteral("no se pudieron escribir los informes en %1.")
                           .arg(QDir::toNativeSeparators(staging.path()))};
    QFile::remove(archive);
    return platform::packDirectory(staging.path(), archive);
}

} // namespace robot
