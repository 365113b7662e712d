#include "MessageBoxMessages.h"

#include "app/Preparation.h"

#include <QMessageBox>

namespace robot {

void MessageBoxMessages::show(const QString &text, MessageIcon icon, const QString &caption) {
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::None:
        break;
    case MessageIcon::Information:
        boxIcon = QMessageBox::Information;
        break;
    case MessageIcon::Critical:
        boxIcon = QMessageBox::Critical;
        break;
    }
    // No parent: the main window is usually hidden in the notification area, and the message
    // must still appear on its own.
    QMessageBox box(boxIcon, caption.isEmpty() ? designTitle() : caption, text, QMessageBox::Ok);
    box.exec();
}

} // namespace robot
