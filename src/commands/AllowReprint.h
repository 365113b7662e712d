#pragma once

#include "core/DocumentKind.h"
#include "core/ExitCode.h"

#include <QString>

class QTextStream;

namespace robot {

// The operator's decision on a document the print journal holds back because the printer's
// counters could not tell whether it was printed. Done when the document is released for
// printing, NotDone when nothing was held back for it or the journal cannot be written.
robot::ExitCode allowReprint(const QString &directory, DocumentKind kind, qint64 codigo,
                             QTextStream &out);

} // namespace robot
