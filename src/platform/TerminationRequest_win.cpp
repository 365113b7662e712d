#include "platform/TerminationRequest.h"

#include <QMetaObject>
#include <QPointer>
#include <windows.h>

namespace robot {

namespace platform {

namespace {

QPointer<QObject> target;
std::function<void()> onRequest;

// Runs on a thread of the system's own: the request is passed to the event loop.
BOOL WINAPI noteRequest(DWORD) {
    if (QObject *context = target.data())
        QMetaObject::invokeMethod(
            context, [] { onRequest(); }, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

void onTerminationRequest(QObject *context, std::function<void()> handler) {
    if (onRequest)
        return;
    target = context;
    onRequest = std::move(handler);
    SetConsoleCtrlHandler(noteRequest, TRUE);
}

} // namespace platform

} // namespace robot
