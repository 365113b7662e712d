#pragma once

#include <string>

// Which of the faults asked for in the state directory's "faults" file hit one call.
struct FaultDecision {
    bool offline = false;
    bool paperOut = false;
    bool paperLow = false;
    int delayMs = 0;
    bool refuse = false;
    bool nak = false;
    bool crash = false;
};

// Reads the faults file and counts this call of the entry point. Counts are kept on disk
// with a hash of the file and start again when its content changes, so a rule aimed at the
// N-th call fires once even across a restart of the station.
FaultDecision faultsForCall(const std::string &dir, const std::string &entryPoint);
