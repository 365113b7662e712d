#include "WindowFrontEnd.h"

#include "frmImprimirFacturaROBOT.h"

#include "app/Station.h"

#include <QApplication>
#include <QTimer>

namespace robot {

WindowParts windowParts(Station &station, OperatorMessages &messages, const Clock &clock,
                        StationLog &log) {
    return {station.settings(),
            station.robot(),
            station.sources(),
            station.zReport(),
            station.alerts(),
            station.printer(),
            station.journal(),
            messages,
            clock,
            log,
            [&station](std::function<void(const Preparation &)> whenPrepared) {
                station.whenPrepared = std::move(whenPrepared);
                station.prepare();
            }};
}

int runWindowedStation(Station &station, OperatorMessages &messages, const Clock &clock,
                       StationLog &log) {
    // The window spends its life hidden; closing a message box meanwhile must not end the
    // program. Only the window's own close does.
    QApplication::setQuitOnLastWindowClosed(false);

    station.endOnTerminationRequest();
    frmImprimirFacturaROBOT window(windowParts(station, messages, clock, log));
    QApplication::setWindowIcon(window.windowIcon());
    // ROBOT_FISCAL_NO_MINIMIZE=1 keeps the window in view after the first activation, for
    // screenshots on a display without a notification area.
    window.setMinimizeAtFirstActivation(qEnvironmentVariableIntValue("ROBOT_FISCAL_NO_MINIMIZE") ==
                                        0);
    QObject::connect(&window, &frmImprimirFacturaROBOT::programEnds, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    // Not every platform activates a new window (offscreen, a display without a window
    // manager); the first activation runs anyway once the event loop starts.
    QTimer::singleShot(0, &window, &frmImprimirFacturaROBOT::firstActivation);
    return QApplication::exec();
}

} // namespace robot
