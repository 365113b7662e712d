#include "platform/WindowSystem.h"

namespace robot::platform {

// A Windows session always has its desktop.
QString missingDisplay() {
    return {};
}

} // namespace robot::platform
