#pragma once

#include <QDir>
#include <QString>

namespace robot {

// Every file of a station directory, named in one place: its configuration, the server
// settings, the print journal and the log. (The lock of a Caja lives in the data directory:
// StationLock.)
class StationFiles {
public:
    explicit StationFiles(const QString &directory) : dir(directory) {}

    static QString configurationName() { return QStringLiteral("ImpresorFiscal.inf"); }
    static QString serverSettingsName() { return QStringLiteral("robot-fiscal.ini"); }
    static QString journalName() { return QStringLiteral("robot-fiscal-diario.db"); }
    static QString logName() { return QStringLiteral("robot-fiscal.log"); }

    QString configuration() const { return dir.filePath(configurationName()); }
    QString serverSettings() const { return dir.filePath(serverSettingsName()); }
    QString journal() const { return dir.filePath(journalName()); }
    QString log() const { return dir.filePath(logName()); }

private:
    QDir dir;
};

} // namespace robot
