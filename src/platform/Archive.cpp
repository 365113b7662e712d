#include "platform/Archive.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace robot {

namespace platform {

Result<void> packDirectory(const QString &directory, const QString &archive) {
    const QString tar = QStandardPaths::findExecutable(QStringLiteral("tar"));
    if (tar.isEmpty())
        return Failure{QStringLiteral("no se encontró el programa tar, que arma el paquete.")};
    QStringList arguments = archive.endsWith(QStringLiteral(".zip"))
                                ? QStringList{QStringLiteral("--format"), QStringLiteral("zip")}
                                : QStringList{QStringLiteral("-z")};
    arguments << QStringLiteral("-cf") << QDir::toNativeSeparators(archive) << QStringLiteral("-C")
              << QDir::toNativeSeparators(directory)
              << QDir(directory).entryList(QDir::Files, QDir::Name);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tar, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return Failure{QStringLiteral("tar no pudo armar el paquete: %1")
                           .arg(QString::fromLocal8Bit(process.readAll()).trimmed())};
    return {};
}

} // namespace platform

} // namespace robot
