#pragma once

#include <QObject>
#include <functional>

namespace robot {

namespace platform {

// Calls `handler` from the event loop of `context`'s thread when the system asks the program
// to end: SIGTERM (systemctl stop, a shutdown) or SIGINT on Unix, a console's close or Ctrl+C
// on Windows. The program then decides when to end. Per platform (TerminationRequest_unix.cpp /
// _win.cpp); installed once per program.
void onTerminationRequest(QObject *context, std::function<void()> handler);

} // namespace platform

} // namespace robot
