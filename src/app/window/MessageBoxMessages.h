#pragma once

#include "core/OperatorMessages.h"

namespace robot {

// Operator messages of the windowed station: a modal message box with only an OK button.
class MessageBoxMessages : public OperatorMessages {
public:
    void show(const QString &text, MessageIcon icon = MessageIcon::None,
              const QString &caption = QString()) override;
};

} // namespace robot
