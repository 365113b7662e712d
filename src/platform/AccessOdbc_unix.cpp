#include "platform/AccessOdbc.h"

std::optional<QString> accessConnectionString(const QString &) {
    return std::nullopt;
}
