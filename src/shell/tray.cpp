#include "tray.h"

#include <QIcon>
#include <QWidget>

int trayMouseMessage(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        return TrayMouse::LeftButtonUp;
    case QSystemTrayIcon::Context:
        return TrayMouse::RightButtonUp;
    case QSystemTrayIcon::MiddleClick:
        return TrayMouse::MiddleButtonUp;
    default:
        return TrayMouse::None;
    }
}

Tray::Tray(QWidget *window)
    : QObject(window)
    , m_window(window)
    , m_available([] { return QSystemTrayIcon::isSystemTrayAvailable(); })
{
}

Tray::~Tray() = default;

bool Tray::available() const { return m_available && m_available(); }

void Tray::setAvailabilityCheck(std::function<bool()> check) { m_available = std::move(check); }

quint32 Tray::handleOf(QWidget *window)
{
    return window ? quint32(window->winId()) : 0;
}

quint32 Tray::handleOf(const QIcon &icon)
{
    return quint32(icon.cacheKey());
}

bool Tray::notify(Message message, const TrayIconRecord &record)
{
    switch (message) {
    case Add:
        return add(record);
    case Delete:
        return remove(record);
    }
    return false;
}

bool Tray::add(const TrayIconRecord &record)
{
    if (m_icon || !available() || record.cbSize != TrayIconRecord::RecordSize || record.hWnd != handleOf(m_window))
        return false;
    m_icon = new QSystemTrayIcon(this);
    m_shownWindow = record.hWnd;
    m_shownId = record.uID;
    // The only icon handle this tray knows is its window's own.
    const QIcon windowIcon = m_window->windowIcon();
    if ((record.uFlags & TrayIconRecord::IconValid) && record.hIcon == handleOf(windowIcon))
        m_icon->setIcon(windowIcon);
    if (record.uFlags & TrayIconRecord::TipValid)
        m_icon->setToolTip(trayTipText(record.szTip));
    if (record.uFlags & TrayIconRecord::MessageValid) {
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            const int mouseMessage = trayMouseMessage(reason);
            if (mouseMessage != TrayMouse::None)
                Q_EMIT notification(mouseMessage);
        });
    }
    m_icon->show();
    return true;
}

bool Tray::remove(const TrayIconRecord &record)
{
    if (!m_icon || record.hWnd != m_shownWindow || record.uID != m_shownId)
        return false;
    m_icon->hide();
    delete m_icon;
    m_icon = nullptr;
    return true;
}
