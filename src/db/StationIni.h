#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "core/Result.h"
#include <optional>
#include <utility>

namespace robot {

// robot-fiscal.ini as technicians write it, read by the station itself: QSettings would turn a
// backslash in a password into an escape and cannot read the UTF-16 that Notepad's "Unicode"
// saves. Text is UTF-8 with or without a byte-order mark, or UTF-16 with one. A line is
// "[Sección]", "Clave=valor" (blanks around the value dropped, and one pair of double quotes
// around it, which keep its blanks) or a comment starting with ';' or '#'. Everything else in a
// value is read as written.
struct IniSection {
    QString name;
    QList<std::pair<QString, QString>> values; // in the file's order
};

// The sections of `bytes`; on text that cannot be read, why (Spanish, lower case).
Result<QList<IniSection>> parseIni(const QByteArray &bytes);

// The sections of the file at `path`; why it cannot be read or parsed (Spanish, lower case).
Result<QList<IniSection>> readIniFile(const QString &path);

// The section called `name`; nothing when there is none; why, when it is written with other
// capitals (it would otherwise be silently ignored).
Result<std::optional<IniSection>> findSection(const QList<IniSection> &sections,
                                              const QString &name);

// The file for one section, UTF-8; nothing when a value cannot be written on one line.
std::optional<QByteArray> iniText(const IniSection &section);

} // namespace robot
