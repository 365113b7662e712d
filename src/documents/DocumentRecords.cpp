#include "documents/DocumentRecords.h"

#include "db/DocumentDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

bool readDocument(DocumentConnection &connection, const QString &headerSql, const QString &linesSql,
                  DocumentRecords *records, QString *error) {
    QSqlQuery query(connection.database());
    query.setForwardOnly(true);
    if (!query.exec(headerSql)) {
        *error = query.lastError().text();
        return false;
    }
    records->header.reset();
    records->lines.clear();
    if (!query.next())
        return true;
    records->header = query.record();
    query.finish();
    if (!query.exec(linesSql)) {
        *error = query.lastError().text();
        return false;
    }
    while (query.next())
        records->lines.append(query.record());
    if (query.lastError().isValid()) {
        *error = query.lastError().text();
        return false;
    }
    return true;
}

std::optional<bool> yesNo(const QSqlRecord &record, const QString &field) {
    const QVariant value = record.value(field);
    if (value.isNull())
        return std::nullopt;
    bool number = false;
    const double asNumber = value.toDouble(&number);
    if (number)
        return asNumber != 0.0;
    return value.toString().compare(u"true", Qt::CaseInsensitive) == 0;
}

QString firstMissingOrNull(const QSqlRecord &record, const QStringList &fields) {
    for (const QString &field : fields) {
        if (record.indexOf(field) < 0 || record.isNull(field))
            return field;
    }
    return {};
}
