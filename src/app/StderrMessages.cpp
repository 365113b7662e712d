#include "app/StderrMessages.h"

#include "app/Preparation.h"
#include "platform/Terminal.h"

#include <QTextStream>

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

bool StderrMessages::ask(const QString &question, const QString &caption) {
    show(question, MessageIcon::Warning, caption);
    if (!platform::standardInputIsTerminal())
        return false;
    QTextStream in(stdin);
    for (;;) {
        std::fprintf(stderr, "(s/n): ");
        std::fflush(stderr);
        const QString answer = in.readLine().trimmed().toLower();
        if (answer.isNull() || answer == u"n" || answer == u"no")
            return false;
        if (answer == u"s" || answer == u"si" || answer == QStringLiteral("sí"))
            return true;
    }
}

} // namespace robot
