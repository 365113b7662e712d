#include "db/Row.h"

#include <cmath>

namespace robot {

std::optional<bool> Row::yesNo(const QString &field) const {
    const QVariant v = value(field);
    if (v.isNull())
        return std::nullopt;
    bool isNumber = false;
    const double asNumber = v.toDouble(&isNumber);
    if (isNumber)
        return asNumber != 0.0;
    return v.toString().compare(u"true", Qt::CaseInsensitive) == 0;
}

Row::Number Row::number(const QString &field) const {
    if (!has(field))
        return {Number::Kind::Absent, 0};
    const QVariant v = value(field);
    if (v.isNull())
        return {Number::Kind::Null, 0};
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        break;
    default:
        return {Number::Kind::NotANumber, 0};
    }
    const double d = v.toDouble();
    if (!std::isfinite(d))
        return {Number::Kind::NotANumber, 0};
    return {Number::Kind::Valid, d};
}

} // namespace robot
