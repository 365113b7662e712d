#pragma once

#include <QByteArray>
#include <QString>

namespace robot {

// Windows-1252, the ANSI code page of the printer library and of the configuration file.
namespace Ansi {
// A character that Windows-1252 cannot hold becomes '?'.
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);
} // namespace Ansi

} // namespace robot
