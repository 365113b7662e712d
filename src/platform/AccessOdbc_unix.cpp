#include "platform/AccessOdbc.h"

namespace robot {

std::optional<QString> accessConnectionString(const QString &) {
    return std::nullopt;
}

} // namespace robot
