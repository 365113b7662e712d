#pragma once

#include "core/OperatorMessages.h"

namespace robot {

// Headless operator messages: caption, then text, on standard error; counted as acknowledged.
class StderrMessages : public OperatorMessages {
public:
    void show(const QString &text, MessageIcon icon, const QString &caption) override;
};

} // namespace robot
