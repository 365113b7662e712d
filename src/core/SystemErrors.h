#pragma once

#include <QString>

namespace robot {

// The common errors that the operating system and the database server (libpq) report in
// English, as a Spanish sentence that says what to do. The original text goes to the station's
// log only. A text not recognised is given back unchanged.
QString explainError(const QString &original);

} // namespace robot
