#pragma once

#include "core/Result.h"

namespace robot {

namespace platform {

// Asked before the window's application object exists, which would abort the program where
// there is no display: why not, when no window can be shown (Spanish, for the technician).
// Per platform (WindowSystem_unix.cpp / _win.cpp).
Result<void> displayAvailable();

} // namespace platform

} // namespace robot
