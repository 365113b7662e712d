#include "printer/PaperWatch.h"

namespace robot {

namespace {

// Status word ST1.
constexpr short kPaperOut = 128;
constexpr short kPaperLow = 64;

} // namespace

short PaperWatch::call(robot::fiscal::RawCall &call) {
    const short code = inner->call(call);
    // ACK 21: the printer refused the command, and its status words say nothing of the paper.
    if (call.entryPoint != robot::fiscal::EntryPoint::RetornoImpresora || code != 1 ||
        call.ack == 21)
        return code;
    const QString seen = (call.st1 & kPaperOut)   ? QStringLiteral("sin papel")
                         : (call.st1 & kPaperLow) ? QStringLiteral("poco papel")
                                                  : QStringLiteral("normal");
    if (seen != state) {
        state = seen;
        if (paperChanged)
            paperChanged();
    }
    return code;
}

} // namespace robot
