#include "app/StderrMessages.h"

#include "app/Preparation.h"

#include <cstdio>

namespace robot {

void StderrMessages::show(const QString &text, MessageIcon, const QString &caption) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QString title = caption.isEmpty() ? designTitle() : caption;
    std::fprintf(stderr, "[%s]\n%s\n", title.toLocal8Bit().constData(),
                 shown.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace robot
