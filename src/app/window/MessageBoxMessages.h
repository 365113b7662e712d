#pragma once

#include "core/OperatorMessages.h"

namespace robot {

// Operator messages of the windowed station: a modal message box with only an OK button, or
// "Sí" and "No" for a question.
class MessageBoxMessages : public OperatorMessages {
public:
    void show(const QString &text, MessageIcon icon = MessageIcon::None,
              const QString &caption = QString()) override;
    bool ask(const QString &question, const QString &caption) override;

    // Qt's own texts in Spanish, so the standard buttons read «Aceptar», «Sí», «No»,
    // «Cancelar». False when the translation is not installed (the buttons stay in English).
    static bool loadQtSpanish();
};

} // namespace robot
