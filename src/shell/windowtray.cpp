#include "windowtray.h"

#include "shell/tray.h"
#include "webview/webview.h"

#include <QWidget>

namespace {
const QString kBlankPage = QStringLiteral("about:blank");
}

WindowTray::WindowTray(QWidget &window, WebView &player, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_player(player)
    , m_tray(new Tray(&window))
    , m_resumeUrl(kBlankPage)
{
    connect(m_tray, &Tray::notification, this, &WindowTray::Form_MouseMove);
}

void WindowTray::windowLaidOut(bool minimised)
{
    // Minimised: to the tray; restored: back from the task bar where the
    // desktop has no notification area.
    if (minimised)
        toTray();
    else
        resumeAfterTaskBar();
}

void WindowTray::toTray()
{
    if (m_mode == ViewMode::Tv) {
        // A second run while the window is away (a layout after a late login
        // answer) would save the blank page; the first run's channel resumes.
        if (!m_resumePending) {
            m_resumeUrl = m_player.LocationURL();
            m_resumePending = true;
        }
        m_player.Navigate(kBlankPage);
    }
    // Without a notification area the window stays minimised in the task bar:
    // hidden, it could not be reached again.
    if (m_tray->available())
        m_window.hide();
    m_record = mainWindowTrayRecord(Tray::handleOf(&m_window), Tray::handleOf(m_window.windowIcon()));
    m_tray->notify(Tray::Add, m_record);
}

void WindowTray::resumeAfterTaskBar()
{
    // A window in the tray is hidden; some window systems report it as no
    // longer minimised then, which must not start the channel out of sight.
    if (!m_resumePending || !m_window.isVisible())
        return;
    m_resumePending = false;
    if (m_mode == ViewMode::Tv)
        m_player.Navigate(m_resumeUrl);
}

void WindowTray::Form_MouseMove(int mouseMessage)
{
    if (!restoresFromTray(mouseMessage))
        return;
    // Only a channel the tray steps stopped is resumed: a click on the icon
    // while the window is open (or the second release of a double click)
    // leaves the player alone.
    if (m_mode == ViewMode::Tv && m_resumePending)
        m_player.Navigate(m_resumeUrl);
    m_resumePending = false;
    m_window.setWindowState(Qt::WindowNoState);
    m_window.show();
}

void WindowTray::removeIcon() { m_tray->notify(Tray::Delete, m_record); }
