#pragma once

#include <QString>
#include <QStringList>

class QProcess;

namespace robot {

// Where the printer library and the bridge program come from. The portable part reads the
// environment; one file per platform knows the default places.
namespace platform {

// FISCAL_PRINTER_LIBRARY when set (a relative path counts from the directory the program was
// started from), else the platform's default library.
QString printerLibraryPath();

// FISCAL_PRINTER_BRIDGE split on blanks when set (a relative program path counts from the
// start-up directory; a bare name is looked for among the program's helpers, then on PATH),
// else the platform's default bridge; empty: load the library in process.
QStringList printerBridgeCommand();

// The bridge program that carries the document database through ODBC, with its first
// arguments: ROBOT_FISCAL_ODBC_BRIDGE split on blanks when set (read as FISCAL_PRINTER_BRIDGE
// is), else the station's own robot-fiscal-printer-bridge among its helpers; --odbc follows.
QStringList databaseBridgeCommand();

// The working directory at start-up, before the program changes to its data directory.
QString startupDirectory();

// Per platform (PrinterLibraryLocation_win.cpp / _unix.cpp).
QString defaultPrinterLibrary();
// Where the programs and libraries that come with the station are: beside the executable in a
// build tree, and where the installed package puts them.
QStringList helperDirectories();
QStringList defaultPrinterBridge();
// Readies the bridge's process before it starts (on Windows: no console window of its own).
void prepareBridgeProcess(QProcess &process);

} // namespace platform

} // namespace robot
