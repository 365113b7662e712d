#pragma once

#include "commands/Action.h"
#include "commands/FiscalCommands.h"
#include "core/ExitCode.h"

namespace robot {

class Clock;
class FiscalPrinter;
class OperatorMessages;
class PrintJournal;
class StationLog;

// What a printer action works with. Operator messages (the printer's analysis, "Listo.", an
// unusable library) go to `messages`. A cancellation is recorded in `journal` first
// (FiscalCommands::recordCancellationsIn). Each report, cancellation and drawer leaves a line in
// `log`. With a `clock`, each X and Z report is recorded in `journal` for `caja`
// (FiscalCommands::recordReportsIn). With `pendingNow`, a Z report with documents still to
// print (or a coupon open) is asked about first (FiscalCommands::CierreZPreguntando).
struct PrinterSession {
    FiscalPrinter &printer;
    OperatorMessages &messages;
    PrintJournal *journal = nullptr;
    StationLog *log = nullptr;
    qint32 caja = 0;
    const Clock *clock = nullptr;
    FiscalCommands::PendingCount pendingNow;
};

// The support technicians' one-shot printer actions: one printer command or information query,
// its outcome on standard output, and the program ends. No window and no robot cycle run; the
// document database is only read to count what a Z report would leave behind. Each runs on
// `run.printer`, writes the outcome or the query's answer to `run.out`, and is Done when the
// printer did what it was asked (its status checked, not only the return code), else NotDone.
class CommandLineActions {
public:
    // The query numbered by the action's value.
    static ExitCode query(const ActionRun &run);
    static ExitCode reportX(const ActionRun &run);
    // A Z report that may have printed although its call failed is Unknown.
    static ExitCode reportZ(const ActionRun &run);
    static ExitCode cancelCoupon(const ActionRun &run);
    static ExitCode openDrawer(const ActionRun &run);
};

} // namespace robot
