#pragma once

#include <QString>
#include <QVariantList>

class DocumentConnection;
class Clock;

// Runs the update that marks a printed document, with bound values. The document is already
// on paper, so a failure is retried for a few seconds (a lock held by the back-office system,
// a share that blinks), reopening the connection between tries.
bool markPrinted(DocumentConnection &connection, const QString &databasePath,
                 const QString &statement, const QVariantList &values, Clock &clock,
                 QString *error);
