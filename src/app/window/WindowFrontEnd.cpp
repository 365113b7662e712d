#include "WindowFrontEnd.h"

#include "frmImprimirFacturaROBOT.h"

#include "app/Station.h"

#include <QApplication>
#include <QTimer>

namespace robot {

int runWindowedStation(Station &station) {
    // The window spends its life hidden; closing a message box meanwhile must not end the
    // program. Only the window's own close does.
    QApplication::setQuitOnLastWindowClosed(false);

    station.endOnTerminationRequest();
    frmImprimirFacturaROBOT window(station);
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
