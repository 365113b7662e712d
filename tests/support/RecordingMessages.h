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
    }
    // Recorded as a message with the question icon; answered from `answers`, then "no".
    bool ask(const QString &question, const QString &caption) override {
        messages.append({question, MessageIcon::Warning, caption});
        return !answers.isEmpty() && answers.takeFirst();
    }
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
