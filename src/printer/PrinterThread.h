#pragma once

#include <QThread>
#include <functional>

namespace robot {

// A thread of its own for the printer library's calls, so a slow printer never freezes the
// window: the caller's thread goes on handling its events (repaints, clicks, timers) until the
// call is done. Calls run one at a time, in the order they were made. Whoever lets events
// through here must keep a second document or command from starting meanwhile (the robot and
// the window do).
class PrinterThread {
public:
    PrinterThread();
    ~PrinterThread();
    PrinterThread(const PrinterThread &) = delete;
    PrinterThread &operator=(const PrinterThread &) = delete;

    // Runs `work` on the thread and returns once it is done; an exception it throws is thrown
    // here. Without an event loop to keep going (no application, or another thread) it runs
    // `work` directly.
    void run(const std::function<void()> &work);

private:
    QThread thread;
    QObject *worker = nullptr; // lives in `thread`
};

} // namespace robot
