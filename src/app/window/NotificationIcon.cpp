#include "NotificationIcon.h"

#include <QSystemTrayIcon>

namespace robot {

SystemNotificationIcon::SystemNotificationIcon(const QIcon &icon, QObject *parent)
    : NotificationIcon(parent), tray(new QSystemTrayIcon(icon, this)) {
    // Every kind of activation restores the window: the operator must never be left without
    // a way back to it.
    connect(tray, &QSystemTrayIcon::activated, this, &NotificationIcon::activated);
}

bool SystemNotificationIcon::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemNotificationIcon::setVisible(bool visible) {
    tray->setVisible(visible);
}

bool SystemNotificationIcon::isVisible() const {
    return tray->isVisible();
}

void SystemNotificationIcon::setToolTip(const QString &tip) {
    tray->setToolTip(tip);
}

QString SystemNotificationIcon::toolTip() const {
    return tray->toolTip();
}

void SystemNotificationIcon::showMessage(const QString &title, const QString &text) {
    tray->showMessage(title, text, QSystemTrayIcon::Warning);
}

} // namespace robot
