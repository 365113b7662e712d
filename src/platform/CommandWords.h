#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace robot {

namespace platform {

// A command line as technicians write it in a variable or a settings file: the program and its
// arguments, split on blanks, with no shell and no quoting. Empty for a blank text.
inline QStringList commandWords(const QString &command) {
    const QString trimmed = command.trimmed();
    if (trimmed.isEmpty())
        return {};
    return trimmed.split(QRegularExpression(QStringLiteral("\\s+")));
}

} // namespace platform

} // namespace robot
