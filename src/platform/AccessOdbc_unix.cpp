#include "platform/AccessOdbc.h"

namespace robot {

AccessDrivers installedAccessDrivers() {
    return {};
}

} // namespace robot
