#pragma once

#include "printer/FiscalPrinter.h"
#include "printer/PrinterThread.h"
#include "printer/RawCall.h"

#include <QLibrary>
#include <QString>

namespace robot {

// The fiscal printer library, loaded in process at run time from one absolute path. All entry
// points are resolved at construction, all or nothing; when that fails every call's reply is
// Unavailable with the reason, so the station reports it instead of crashing. Calls run on a
// thread of their own while the caller's events go on (PrinterThread).
class LibraryPrinter : public FiscalPrinter {
public:
    explicit LibraryPrinter(const QString &libraryPath = defaultLibraryPath());

    // FISCAL_PRINTER_LIBRARY when set, else the platform's default (see platform/).
    static QString defaultLibraryPath();

    QString libraryPath() const { return path; }

    PrinterReply call(robot::fiscal::RawCall &call) override;

private:
    void load();

    QString path;
    QLibrary library;
    robot::fiscal::FunctionTable table;
    bool loaded = false;
    QString error; // empty when loaded; otherwise the Spanish message of every reply
    PrinterThread calls;
};

} // namespace robot
