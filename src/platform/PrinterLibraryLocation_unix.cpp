#include "platform/PrinterLibraryLocation.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace robot {

namespace platform {

namespace {

const QString kVirtualPrinter = QStringLiteral("libvirtual-fiscal-printer.so");

} // namespace

QStringList helperDirectories() {
    return {QCoreApplication::applicationDirPath(), QStringLiteral(ROBOT_HELPER_DIR)};
}

// The virtual printer built next to the executables, else the one its package installs.
QString defaultPrinterLibrary() {
    const QStringList directories = helperDirectories();
    for (const QString &directory : directories)
        if (QFileInfo::exists(directory + u'/' + kVirtualPrinter))
            return directory + u'/' + kVirtualPrinter;
    return directories.last() + u'/' + kVirtualPrinter;
}

// The library loads in process unless FISCAL_PRINTER_BRIDGE asks for the bridge.
QStringList defaultPrinterBridge() {
    return {};
}

void prepareBridgeProcess(QProcess &) {}

} // namespace platform

} // namespace robot
