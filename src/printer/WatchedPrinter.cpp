#include "printer/WatchedPrinter.h"

namespace robot {

PrinterReply WatchedPrinter::call(robot::fiscal::RawCall &call) {
    const PrinterReply reply = printer->call(call);
    PrinterObservation seen{reply.answered()};
    // A status that came back, whatever it says, carries the paper sensor.
    if (seen.answered && call.entryPoint == robot::fiscal::EntryPoint::RetornoImpresora) {
        PrinterReply read = reply;
        read.status = PrinterStatus{call.ack, call.st1, call.st2};
        seen.statusRead = !read.notExecuted();
        seen.paperLow = seen.statusRead && read.paperLow();
        seen.paperOut = seen.statusRead && read.paperOut();
    }
    observer(seen);
    return reply;
}

} // namespace robot
