#pragma once

#include "core/OperatorMessages.h"

#include <QList>
#include <QStringList>

namespace robot {

// Records every operator message instead of showing it.
class RecordingMessages : public OperatorMessages {
public:
    struct Message {
        QString text;
        MessageIcon icon;
        QString caption;
    };
    void show(const QString &text, MessageIcon icon, const QString &caption) override {
        messages.append({text, icon, caption});
        if (alsoInto)
            *alsoInto << QStringLiteral("message[%1] %2").arg(caption, text);
    }
    // Recorded as a message with the question icon; answered from `answers`, then "no".
    bool ask(const QString &question, const QString &caption) override {
        messages.append({question, MessageIcon::Warning, caption});
        if (alsoInto)
            *alsoInto << QStringLiteral("ask[%1] %2").arg(caption, question);
        return !answers.isEmpty() && answers.takeFirst();
    }
    // When set, every message and question is also written there: with a printer's call record,
    // one list shows the order of calls and messages.
    QStringList *alsoInto = nullptr;
    QList<bool> answers;
    QStringList texts() const {
        QStringList out;
        for (const auto &m : messages)
            out << m.text;
        return out;
    }
    QList<Message> messages;
};

} // namespace robot
