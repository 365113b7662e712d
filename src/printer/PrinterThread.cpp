#include "printer/PrinterThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <exception>

namespace robot {

PrinterThread::PrinterThread() {
    thread.setObjectName(QStringLiteral("impresora"));
}

PrinterThread::~PrinterThread() {
    if (!worker)
        return;
    thread.quit();
    thread.wait();
    delete worker;
}

void PrinterThread::run(const std::function<void()> &work) {
    const QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    if (!worker) {
        worker = new QObject;
        worker->moveToThread(&thread);
        thread.start();
    }
    bool done = false;
    std::exception_ptr thrown;
    QObject waiter; // on the caller's thread: the end of the call is noted there
    QMetaObject::invokeMethod(
        worker,
        [&] {
            try {
                work();
            } catch (...) {
                thrown = std::current_exception();
            }
            QMetaObject::invokeMethod(
                &waiter, [&done] { done = true; }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    // Not a QEventLoop: a program asked to quit meanwhile ends every event loop, and the call
    // must still be waited for, since it writes into the caller's buffers.
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (thrown)
        std::rethrow_exception(thrown);
}

} // namespace robot
