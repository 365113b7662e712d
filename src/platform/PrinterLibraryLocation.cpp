#include "platform/PrinterLibraryLocation.h"

#include "platform/CommandWords.h"

#include <QDir>
#include <QStandardPaths>
#include <filesystem>

namespace robot {

namespace platform {

namespace {

// Taken before main() runs, so before the program changes to its --dir.
const std::filesystem::path startedIn = [] {
    std::error_code error;
    return std::filesystem::current_path(error);
}();

QString fromStartup(const QString &path) {
    return QDir(startupDirectory()).absoluteFilePath(path);
}

// A path is the user's, from where they started; a bare name is the station's own bridge or a
// program on PATH (wine).
QStringList locatedCommand(QStringList words) {
    if (words.first().contains(u'/') || words.first().contains(u'\\'))
        words.first() = fromStartup(words.first());
    else if (const QString helper =
                 QStandardPaths::findExecutable(words.first(), helperDirectories());
             !helper.isEmpty())
        words.first() = helper;
    return words;
}

} // namespace

QString startupDirectory() {
    return startedIn.empty()
               ? QDir::currentPath()
               : QDir::fromNativeSeparators(QString::fromStdU16String(startedIn.u16string()));
}

QString printerLibraryPath() {
    if (!qEnvironmentVariableIsEmpty("FISCAL_PRINTER_LIBRARY"))
        return fromStartup(qEnvironmentVariable("FISCAL_PRINTER_LIBRARY"));
    return defaultPrinterLibrary();
}

QStringList printerBridgeCommand() {
    const QStringList words = commandWords(qEnvironmentVariable("FISCAL_PRINTER_BRIDGE"));
    return words.isEmpty() ? defaultPrinterBridge() : locatedCommand(words);
}

QStringList databaseBridgeCommand() {
    QStringList words = commandWords(qEnvironmentVariable("ROBOT_FISCAL_ODBC_BRIDGE"));
    if (words.isEmpty())
        words = {QStringLiteral("robot-fiscal-printer-bridge")};
    return locatedCommand(words) << QStringLiteral("--odbc");
}

} // namespace platform

} // namespace robot
