#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QSystemTrayIcon;

namespace robot {

// The icon in the notification area through which the hidden window comes back. The window
// only sees this small interface, so tests can say whether a notification area exists and
// "click" the icon without a desktop.
class NotificationIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // False where the platform has no notification area: the window must then never hide.
    virtual bool available() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    virtual void setToolTip(const QString &tip) = 0;
    virtual QString toolTip() const = 0;
    // A balloon by the icon: something at the station needs a person.
    virtual void showMessage(const QString &title, const QString &text) = 0;

signals:
    // Any click, double click or menu request on the icon.
    void activated();
};

// The platform's notification area, through QSystemTrayIcon.
class SystemNotificationIcon : public NotificationIcon {
    Q_OBJECT
public:
    explicit SystemNotificationIcon(const QIcon &icon, QObject *parent = nullptr);

    bool available() const override;
    void setVisible(bool visible) override;
    bool isVisible() const override;
    void setToolTip(const QString &tip) override;
    QString toolTip() const override;
    void showMessage(const QString &title, const QString &text) override;

private:
    QSystemTrayIcon *tray;
};

} // namespace robot
