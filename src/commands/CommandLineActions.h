#pragma once

#include "commands/CommandLine.h"
#include "commands/FiscalCommands.h"
#include "core/ExitCode.h"

class QTextStream;

namespace robot {

class Clock;
class FiscalPrinter;
class OperatorMessages;
class PrintJournal;
class StationLog;

// The support technicians' one-shot printer actions: one printer command or information query,
// its outcome on standard output, and the program ends. No window and no robot cycle run; the
// document database is only read to count what a Z report would leave behind.
class CommandLineActions {
public:
    // Runs `line`'s printer action. Operator messages (the printer's analysis, "Listo.", an
    // unusable library) go to `messages`; the outcome or the query's answer to `out`. Done when
    // the printer did what it was asked (its status checked, not only the return code), else
    // NotDone. A cancellation is recorded in `journal` first
    // (FiscalCommands::recordCancellationsIn). A Z report that may have printed although its
    // call failed is Unknown. Each report, cancellation and drawer leaves a line in `log`. With
    // a `clock`, each X and Z report is recorded in `journal` for `caja`
    // (FiscalCommands::recordReportsIn). With `pendingNow`, a Z report with documents still to
    // print (or a coupon open) is asked about first (FiscalCommands::CierreZPreguntando).
    static robot::ExitCode run(const robot::CommandLine &line, FiscalPrinter &printer,
                               OperatorMessages &messages, QTextStream &out,
                               PrintJournal *journal = nullptr, StationLog *log = nullptr,
                               qint32 caja = 0, const Clock *clock = nullptr,
                               const FiscalCommands::PendingCount &pendingNow = {});
};

} // namespace robot
