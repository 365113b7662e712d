#pragma once

namespace robot {

namespace platform {

// Whether standard error is the system journal's stream (a systemd service), which takes one
// line per message with a "<N>" priority in front. Per platform (SystemJournal_unix.cpp /
// _win.cpp).
bool stderrIsJournal();

} // namespace platform

} // namespace robot
