#pragma once

#include <QString>

// Creates an SQLite document database with the station's schema at `path` (which must not
// exist yet). Used by the demo tool and the tests.
bool createDocumentDatabase(const QString &path, QString *error);

// Creates a ready demo data directory: configuration file, marker file and a document
// database with a configuration row and a handful of pending documents for fiscal machine 1.
bool createDemoDirectory(const QString &directory, QString *error);
