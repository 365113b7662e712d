#pragma once

#include <QString>

namespace robot {

namespace platform {

// Asked before the window's application object exists, which would abort the program where
// there is no display: empty when a window can be shown, else why not (Spanish, for the
// technician). Per platform (WindowSystem_unix.cpp / _win.cpp).
QString missingDisplay();

} // namespace platform

} // namespace robot
