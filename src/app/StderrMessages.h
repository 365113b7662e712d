#pragma once

#include "core/OperatorMessages.h"

namespace robot {

// Headless operator messages: caption, then text, on standard error; counted as acknowledged.
// A question is answered at the terminal ("s" or "n"); with nobody there the answer is no.
class StderrMessages : public OperatorMessages {
public:
    void show(const QString &text, MessageIcon icon, const QString &caption) override;
    bool ask(const QString &question, const QString &caption) override;
};

} // namespace robot
