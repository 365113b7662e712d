#include "core/Ansi.h"

#include "core/Cp1252.h"

namespace robot {

namespace Ansi {

QByteArray encode(const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    const std::string bytes = robot::cp1252::fromUtf8({utf8.constData(), size_t(utf8.size())});
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QString decode(const QByteArray &bytes) {
    const std::string utf8 = robot::cp1252::toUtf8({bytes.constData(), size_t(bytes.size())});
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

} // namespace Ansi

} // namespace robot
