#pragma once

#include "core/DocumentKind.h"
#include "core/ExitCode.h"

#include <QString>
#include <optional>

class QTextStream;

namespace robot {

// A document as the technician names it on the command line.
struct NamedDocument {
    DocumentKind kind;
    qint64 codigo;
};

// "factura:N" or "nota:N"; nothing when `text` is neither.
std::optional<NamedDocument> namedDocument(const QString &text);

// The operator's decision on a document the print journal holds back because the printer's
// counters could not tell whether it was printed. Done when the document is released for
// printing, NotDone when nothing was held back for it or the journal cannot be written.
robot::ExitCode allowReprint(const QString &directory, DocumentKind kind, qint64 codigo,
                             QTextStream &out);

} // namespace robot
