#pragma once

#include "core/Result.h"

#include <QString>

namespace robot {

// Copies the print journal at `journal` to `copy` (which must not exist) consistently, even
// while a station writes it: SQLite copies it in one read transaction. For the support bundle.
Result<void> copyJournal(const QString &journal, const QString &copy);

} // namespace robot
