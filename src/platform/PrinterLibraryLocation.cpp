#include "platform/PrinterLibraryLocation.h"

#include <QDir>
#include <QRegularExpression>
#include <filesystem>

namespace robot::platform {

namespace {

// Taken before main() runs, so before the program changes to its --dir.
const std::filesystem::path startedIn = [] {
    std::error_code error;
    return std::filesystem::current_path(error);
}();

QString fromStartup(const QString &path) {
    return QDir(startupDirectory()).absoluteFilePath(path);
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
    const QString command = qEnvironmentVariable("FISCAL_PRINTER_BRIDGE").trimmed();
    if (command.isEmpty())
        return defaultPrinterBridge();
    QStringList words = command.split(QRegularExpression(QStringLiteral("\\s+")));
    // A bare name is looked up on PATH (wine); a path is the user's, from where they started.
    if (words.first().contains(u'/') || words.first().contains(u'\\'))
        words.first() = fromStartup(words.first());
    return words;
}

} // namespace robot::platform
