#pragma once

#include <QList>
#include <QSqlRecord>
#include <QString>
#include <optional>

class DocumentConnection;

// A document's header and its lines, read in full before anything goes to the printer.
struct DocumentRecords {
    std::optional<QSqlRecord> header; // empty when no header record exists
    QList<QSqlRecord> lines;
};

// Runs the header and line queries; on a database error returns false with its description.
bool readDocument(DocumentConnection &connection, const QString &headerSql, const QString &linesSql,
                  DocumentRecords *records, QString *error);

// A yes/no field: any non-zero value is true; NULL (or a missing field) is neither.
std::optional<bool> yesNo(const QSqlRecord &record, const QString &field);

// The first of `fields` that the record lacks or holds as NULL, or an empty text.
QString firstMissingOrNull(const QSqlRecord &record, const QStringList &fields);
