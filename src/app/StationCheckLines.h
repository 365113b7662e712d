#pragma once

// The checks of StationCheck on the configuration, the document database and the print
// journal, each giving its line of the report (the printer and the lock are StationCheck.cpp's).

#include "app/StationCheck.h"

namespace robot {

class DocumentConnection;
class PendingSources;
struct ConfigurationReading;
struct Settings;

namespace check {

extern const QString kConfiguration;
extern const QString kDataDirectory;
extern const QString kDatabase;
extern const QString kPending;
extern const QString kCompany;
extern const QString kPrinter;
extern const QString kJournal;
extern const QString kLock;

CheckLine failed(const QString &name, const QString &detail, const QString &remedy = {});
CheckLine notRun(const QString &name, const QString &why);
QString shown(const QString &path);

// Caja: written as a plain whole number, the one the station uses.
bool cajaUsable(const ConfigurationReading &reading);
CheckLine configurationLine(const QString &file, const ConfigurationReading &reading);
CheckLine dataDirectoryLine(const Settings &settings);
// Opens `connection` on `path` and learns whether the station could write its records.
CheckLine databaseLine(const QString &path, DocumentConnection &connection);
// Through `connection`, already open, learns whether the Caja has any document at all.
CheckLine pendingLine(PendingSources &sources, DocumentConnection &connection);
// The company record, read as the station reads it at start-up.
CheckLine companyLine(const QString &databasePath);
// Opened read-only: what the print journal in `directory` holds back.
CheckLine journalLine(const QString &directory);

} // namespace check
} // namespace robot
