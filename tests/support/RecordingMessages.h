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
    QStringList texts() const {
        QStringList out;
        for (const auto &m : messages)
            out << m.text;
        return out;
    }
    QList<Message> messages;
};

} // namespace robot
