#pragma once

#include "commands/Action.h"

#include <span>

namespace robot {

// Every action of robot-fiscal, in the order --help shows them. Adding an action is adding its
// row here.
std::span<const Action> programActions();

} // namespace robot
