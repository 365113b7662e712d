#include "platform/PrinterLibraryLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <windows.h>

namespace robot {

namespace platform {

namespace {

QString systemDirectory(UINT(WINAPI *query)(LPWSTR, UINT)) {
    wchar_t directory[MAX_PATH];
    const UINT length = query(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return QDir::fromNativeSeparators(QString::fromWCharArray(directory, int(length)));
}

} // namespace

QStringList helperDirectories() {
    return {QCoreApplication::applicationDirPath()};
}

// Only the program's own directory and the system directory: a DLL planted in the current
// directory or on PATH must never be the one that prints fiscal documents. The library is
// 32-bit, so a 64-bit station finds the system's copy in SysWOW64.
QString defaultPrinterLibrary() {
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/BEMAFI32.DLL");
    if (QFileInfo::exists(beside))
        return beside;
    for (const QString &directory :
         {systemDirectory(GetSystemWow64DirectoryW), systemDirectory(GetSystemDirectoryW)}) {
        const QString candidate = directory + QStringLiteral("/BEMAFI32.DLL");
        if (!directory.isEmpty() && QFileInfo::exists(candidate))
            return candidate;
    }
    return beside;
}

// The 32-bit library cannot load into the 64-bit station: the bridge next to the executable
// loads it.
QStringList defaultPrinterBridge() {
    return {QCoreApplication::applicationDirPath() +
            QStringLiteral("/robot-fiscal-printer-bridge.exe")};
}

} // namespace platform

namespace platform {

// The bridge is a console program: started from the window it would open a console of its own.
void prepareBridgeProcess(QProcess &process) {
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments *arguments) { arguments->flags |= CREATE_NO_WINDOW; });
}

} // namespace platform

} // namespace robot
