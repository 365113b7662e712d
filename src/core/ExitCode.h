#pragma once

namespace robot {

// The program's exit statuses, the same for the station and every command-line action: service
// managers and support scripts decide on them.
enum class ExitCode : int {
    // The action was done; headless with --exit-when-idle: nothing is left to print.
    Done = 0,
    // Nothing ran: the command line cannot be used, the window has no display, or start-up was
    // refused (configuration, marker file, another station on the same fiscal machine).
    Refused = 2,
    // Headless with --exit-when-idle: a failure stopped the robot, or what is pending waits for
    // the operator.
    Stopped = 3,
    // The action ran but was not done: the printer did not answer 1, or the print journal could
    // not do what was asked.
    NotDone = 4,
    // The action may have been done, and the printer cannot tell: a Z report whose call failed
    // while its counter cannot be read. The paper says; repeating it blindly could print a
    // second one.
    Unknown = 5,
};

constexpr int exitStatus(ExitCode code) {
    return static_cast<int>(code);
}

} // namespace robot
