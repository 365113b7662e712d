#pragma once

#include <QString>

namespace robot {

// Writes ImpresorFiscal.inf for fiscal machine `caja`, its data directory being `data` (which
// ends with '/'), and the marker file there.
bool writeStationFiles(const QString &data, int caja, QString *error);

// Creates a ready demo data directory: configuration file, marker file and a document
// database with a configuration row and a handful of pending documents for fiscal machine 1.
bool createDemoDirectory(const QString &directory, QString *error);

// The demo on a server: the schema and the demo documents in the database that the libpq
// connection string names, and a data directory in `directory` whose robot-fiscal.ini points
// at it.
bool createServerDemo(const QString &directory, const QString &connectionString, QString *error);

} // namespace robot
