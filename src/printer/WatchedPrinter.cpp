#include "printer/WatchedPrinter.h"

namespace robot {

namespace {
constexpr short kPaperOut = 128; // ST1
constexpr short kPaperLow = 64;
} // namespace

short WatchedPrinter::call(robot::fiscal::RawCall &call) {
    short result = 0;
    try {
        result = printer->call(call);
        lastFault = printer->lastFault;
    } catch (const PrinterUnavailable &) {
        observer({false});
        throw;
    }
    PrinterObservation seen{result != 0};
    // A status that came back, whatever it says, carries the paper sensor.
    if (seen.answered && call.entryPoint == robot::fiscal::EntryPoint::RetornoImpresora &&
        call.ack != 21) {
        seen.statusRead = true;
        seen.paperLow = (call.st1 & kPaperLow) != 0;
        seen.paperOut = (call.st1 & kPaperOut) != 0;
    }
    observer(seen);
    return result;
}

} // namespace robot
