#pragma once

#include <QString>

namespace robot {

enum class MessageIcon { None, Information, Critical, Warning };

// Every message for the operator goes through here: a message box in the window, standard
// error when headless, a recorder in tests. show() returns once the message is acknowledged.
class OperatorMessages {
public:
    virtual ~OperatorMessages() = default;
    // An empty caption means the program's own title.
    virtual void show(const QString &text, MessageIcon icon = MessageIcon::None,
                      const QString &caption = QString()) = 0;
    // A yes/no question; true when the operator answers yes. Where nobody can answer (no
    // window), the answer is no.
    virtual bool ask(const QString &question, const QString &caption) {
        show(question, MessageIcon::Warning, caption);
        return false;
    }
};

} // namespace robot
