#pragma once

namespace robot {

namespace platform {

// Whether standard input is a terminal with a person at it, who can answer a question; a
// service, a pipe or a scheduled task cannot. Per platform (Terminal_unix.cpp / _win.cpp).
bool standardInputIsTerminal();

} // namespace platform

} // namespace robot
