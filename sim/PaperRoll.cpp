#include "PaperRoll.h"

#include <QFile>
#include <QRegularExpression>

void PaperRoll::printText(const QString &text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    for (const QString &line : text.split(breaks))
        print(line);
}

bool PaperRoll::flushTo(const QDir &dir) {
    if (lines.isEmpty())
        return true;
    QFile file(dir.filePath(QStringLiteral("paper.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    lines.clear();
    return written;
}
