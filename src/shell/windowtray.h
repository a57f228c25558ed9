#pragma once

#include "directory/viewmode.h"
#include "shell/trayrecord.h"

#include <QObject>
#include <QString>

class QWidget;
class Tray;
class WebView;

// The main window's trips to the notification area. Minimised, the window
// goes there (it stays in the task bar where the desktop has no notification
// area) and in the TV view the channel stops; a left or right click on the
// icon, or restoring it from the task bar, brings it back and starts the TV
// channel again. Holds the resume address (ResumeUrl) and the icon's record
// (TrayIconData).
class WindowTray : public QObject
{
    Q_OBJECT
public:
    WindowTray(QWidget &window, WebView &player, QObject *parent = nullptr);

    void setViewMode(ViewMode mode) { m_mode = mode; }
    // The layout ran; the window is minimised or not.
    void windowLaidOut(bool minimised);
    // The icon's notification, carrying the mouse message over it.
    void Form_MouseMove(int mouseMessage);
    // Shutdown: the icon goes.
    void removeIcon();

    QString ResumeUrl() const { return m_resumeUrl; }
    const TrayIconRecord &TrayIconData() const { return m_record; }

private:
    void toTray();
    void resumeAfterTaskBar();

    QWidget &m_window;
    WebView &m_player;
    Tray *m_tray;
    ViewMode m_mode = ViewMode::Tv;
    QString m_resumeUrl;
    TrayIconRecord m_record;
    bool m_resumePending = false;
};
