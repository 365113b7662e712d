#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <optional>

namespace robot {

// One record as the database returned it, by field name. A field the query did not return is
// absent, which is not the same as NULL.
class Row {
public:
    void set(const QString &field, const QVariant &value) { fields.insert(field, value); }
    bool has(const QString &field) const { return fields.contains(field); }
    bool isNull(const QString &field) const { return fields.value(field).isNull(); }
    QVariant value(const QString &field) const { return fields.value(field); }
    QString text(const QString &field) const { return fields.value(field).toString(); }

    // A yes/no field: any non-zero value is true; NULL or absent is neither.
    std::optional<bool> yesNo(const QString &field) const;

    // A numeric field as the engine stored it. Only a number the engine holds as a number
    // counts: text such as "1.234,50" in a numeric column (SQLite keeps it) is not read as 0.
    struct Number {
        enum class Kind { Valid, Null, Absent, NotANumber } kind = Kind::Absent;
        double value = 0;
    };
    Number number(const QString &field) const;

private:
    QHash<QString, QVariant> fields;
};

} // namespace robot
