#pragma once

#include "core/Result.h"

#include <QtGlobal>

namespace robot {

class DocumentConnection;

// What the technician's check asks the document database beyond what the station reads, on a
// connection already open. Neither changes a record.

// Whether the station could mark its documents: an update that changes nothing, rolled back.
// A role without the right to write, or a file the station cannot write, is refused here as it
// would be after printing; the failure is the database's reason.
Result<void> documentsWritable(DocumentConnection &connection);

// Whether the database holds any invoice or credit note of fiscal machine `caja`, printed or
// not: a Caja with none at all is likely mistyped.
Result<bool> anyDocumentOfCaja(DocumentConnection &connection, qint32 caja);

} // namespace robot
