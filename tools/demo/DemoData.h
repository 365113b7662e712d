#pragma once

#include "core/Result.h"

#include <QString>

namespace robot {

// Writes ImpresorFiscal.inf for fiscal machine `caja`, its data directory being `data` (which
// ends with '/'), and the marker file there.
Result<void> writeStationFiles(const QString &data, int caja);

// Creates a ready demo data directory: configuration file, marker file and a document
// database with a configuration row and a handful of pending documents for fiscal machine 1.
Result<void> createDemoDirectory(const QString &directory);

// The RIF an empty data directory gets when none is given: obviously not a company's, for the
// technician to replace.
inline const char *const kPlaceholderRif = "J000000000";

// The data directory of a station set up by hand, without a back office: the marker file and
// an empty document database (the station's schema, no document) with the company record for
// `rif`, whole quantities printed. Never over an existing database.
Result<void> createEmptyDataDirectory(const QString &directory, const QString &rif);

// The demo on a server: the schema and the demo documents in the database that the libpq
// connection string names, and a data directory in `directory` whose robot-fiscal.ini points
// at it.
Result<void> createServerDemo(const QString &directory, const QString &connectionString);

} // namespace robot
