#pragma once

#include <QString>
#include <optional>

namespace robot {

// The ODBC connection string of an Access file at `nativePath`, or nothing where the Access
// ODBC driver does not exist (everywhere but Windows).
std::optional<QString> accessConnectionString(const QString &nativePath);

} // namespace robot
