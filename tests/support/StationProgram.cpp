#include "support/StationProgram.h"

#include "demo/DemoData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace robot {

QString readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

StationProgram::StationProgram(const QString &dataDir, const QString &printerDir)
    : dataDir(dataDir), printerDir(printerDir),
      environment(QProcessEnvironment::systemEnvironment()) {
    environment.insert(QStringLiteral("VIRTUAL_PRINTER_DIR"), printerDir);
    // The printer's lock lies in the temporary folder: one virtual printer, one computer.
    environment.insert(QStringLiteral("TMPDIR"), printerDir);
    environment.remove(QStringLiteral("FISCAL_PRINTER_LIBRARY"));
    // A platform that does not exist: a run that built a QApplication would abort.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
}

StationProgram::StationProgram() : StationProgram(QString(), QString()) {
    owned = std::make_shared<QTemporaryDir>();
    dataDir = owned->filePath(QStringLiteral("datos"));
    printerDir = owned->filePath(QStringLiteral("impresora"));
    environment.insert(QStringLiteral("VIRTUAL_PRINTER_DIR"), printerDir);
    environment.insert(QStringLiteral("TMPDIR"), printerDir);
    if (!QDir().mkpath(printerDir) || !QDir().mkpath(dataDir))
        qFatal("demo directory: %s", qPrintable(dataDir));
    if (const Result<void> created = createDemoDirectory(dataDir); !created.ok())
        qFatal("demo directory: %s", qPrintable(created.error()));
}

QString virtualPrinterPath() {
    if (!qEnvironmentVariableIsEmpty("FISCAL_PRINTER_LIBRARY"))
        return qEnvironmentVariable("FISCAL_PRINTER_LIBRARY");
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libvirtual-fiscal-printer.so");
}

void writeFaults(const QString &printerDir, const QString &rules) {
    QDir().mkpath(printerDir);
    writeFile(printerDir + QStringLiteral("/faults"), rules.toUtf8());
}

QStringList StationProgram::untilIdle() {
    return {QStringLiteral("--headless"), QStringLiteral("--exit-when-idle")};
}

std::unique_ptr<QProcess> StationProgram::start(const QStringList &args,
                                                QProcess::ProcessChannelMode channels) const {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(channels);
    if (!errorFile.isEmpty())
        process->setStandardErrorFile(errorFile);
    process->start(QCoreApplication::applicationDirPath() + QStringLiteral("/robot-fiscal"),
                   QStringList{QStringLiteral("--dir"), dataDir} + args);
    return process;
}

ProgramRun StationProgram::run(const QStringList &args) const {
    const auto process = start(args, QProcess::SeparateChannels);
    ProgramRun result;
    if (!process->waitForFinished(60000)) {
        process->kill();
        process->waitForFinished();
        result.err = QStringLiteral("did not finish: ") + process->errorString();
        return result;
    }
    result.crashed = process->exitStatus() == QProcess::CrashExit;
    result.exitCode = result.crashed ? -2 : process->exitCode();
    result.out = QString::fromUtf8(process->readAllStandardOutput());
    result.err = errorFile.isEmpty() ? QString::fromUtf8(process->readAllStandardError())
                                     : readAll(errorFile);
    return result;
}

} // namespace robot
