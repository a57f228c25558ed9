#pragma once

#include "shell/trayrecord.h"

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class QIcon;
class QWidget;

// The mouse message a toolkit activation stands for. A double click arrives
// as Trigger for the first left-button release and DoubleClick for the
// second, so both are left-button releases; Context is the right button's
// release; a middle click is the middle button's; anything else is none.
int trayMouseMessage(QSystemTrayIcon::ActivationReason reason);
// The window's icon in the desktop's notification area, driven by a
// TrayIconRecord the way the platform's icon service is. It holds at most
// one icon, for the window it was made for.
class Tray : public QObject
{
    Q_OBJECT
public:
    enum Message { Add = 0, Delete = 2 };

    explicit Tray(QWidget *window);
    ~Tray() override;

    // Whether the desktop has a notification area. Tests replace the check.
    bool available() const;
    void setAvailabilityCheck(std::function<bool()> check);

    // Adds or deletes the icon the record describes; true when done. An add
    // fails without a notification area, for a record that is not this
    // window's or not of the record size, and while an icon is shown (a later
    // add changes nothing). A delete fails unless the record names the icon
    // that is shown.
    bool notify(Message message, const TrayIconRecord &record);

    // The icon while it is shown, else null.
    QSystemTrayIcon *icon() const { return m_icon; }

    static quint32 handleOf(QWidget *window);
    static quint32 handleOf(const QIcon &icon);

Q_SIGNALS:
    // A mouse message that occurred over the icon (see TrayMouse).
    void notification(int mouseMessage);

private:
    bool add(const TrayIconRecord &record);
    bool remove(const TrayIconRecord &record);

    QWidget *m_window;
    std::function<bool()> m_available;
    QSystemTrayIcon *m_icon = nullptr;
    quint32 m_shownWindow = 0;
    quint32 m_shownId = 0;
};
