#pragma once

#include "core/ExitCode.h"
#include "core/Result.h"

#include <QString>

class QTextStream;

namespace robot {

struct CommandLine;
struct PrinterSession;

// How much of the station an action needs before it runs; main prepares that much and no more.
enum class ActionNeeds {
    // Nothing: answered before any Qt application object exists.
    Nothing,
    // The station's directory (its files, database, journal); no lock, no printer of its own.
    Directory,
    // The printer, which the action only asks: the printer's lock, no robot, no database.
    Printer,
    // The printer, whose contents the action changes: also the station's lock, so that it never
    // meets a station printing on this fiscal machine.
    PrinterChange,
};

// What an action's run is given: as much as its row's needs.
struct ActionRun {
    const CommandLine &line;
    QTextStream &out;
    // From ActionNeeds::Directory on: the station's directory, already the working directory.
    QString directory = {};
    // ActionNeeds::Printer and PrinterChange only.
    PrinterSession *printer = nullptr;
};

// One action of the program, one run that does one thing and ends. Its row in the program's
// table (app/ProgramActions.cpp) is the only place it is declared: the parsing, --help and
// main's preparation all read the row.
struct Action {
    const char *name;
    // Null: the option takes no value.
    const char *valueName;
    const char *help;
    // What the exit status tells after this action.
    const char *statuses;
    ActionNeeds needs;
    // Checks the option's value (the failure says why it cannot be used); may turn it into the
    // form the run reads. Null: any value does.
    Result<void> (*take)(QString &value);
    ExitCode (*run)(const ActionRun &run);

    bool usesPrinter() const { return needs >= ActionNeeds::Printer; }
    bool changesPrinter() const { return needs == ActionNeeds::PrinterChange; }
};

} // namespace robot
