#include "tray.h"

#include "form1.h"

#include <QAction>
#include <QIcon>
#include <QTimer>
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

// The main window's side of the tray: the steps that send it there and the
// way back. The connections of the tray, always-on-top and the pop-up
// catcher are made here as well.

namespace {
const QString kBlankPage = QStringLiteral("about:blank");
}

void Form1::connectTrayOnTopAndPopups()
{
    m_tray = new Tray(this);
    connect(m_tray, &Tray::notification, this, &Form1::Form_MouseMove);
    connect(chuangkou, &QAction::triggered, this, &Form1::chuangkou_Click);
    connect(WebBrowser1, &WebView::NewWindow2, this, &Form1::WebBrowser1_NewWindow2);
    connect(WebBrowser3, &WebView::DocumentComplete, this, &Form1::WebBrowser3_DocumentComplete);
    connect(Timer4, &QTimer::timeout, this, &Form1::Timer4_Timer);
}

void Form1::traySteps()
{
    if (ListMode == 1) {
        // A second run while the window is away (a layout after a late login
        // answer) would save the blank page; the first run's channel resumes.
        if (!m_trayResumePending) {
            ResumeUrl = WebBrowser1->LocationURL();
            m_trayResumePending = true;
        }
        WebBrowser1->Navigate(kBlankPage);
    }
    // Without a notification area the window stays minimised in the task bar:
    // hidden, it could not be reached again.
    if (m_tray->available())
        hide();
    TrayIconData = mainWindowTrayRecord(Tray::handleOf(this), Tray::handleOf(windowIcon()));
    m_tray->notify(Tray::Add, TrayIconData);
}

void Form1::resumeAfterTaskBar()
{
    // A window in the tray is hidden; some window systems report it as no
    // longer minimised then, which must not start the channel out of sight.
    if (!m_trayResumePending || !isVisible())
        return;
    m_trayResumePending = false;
    if (ListMode == 1)
        WebBrowser1->Navigate(ResumeUrl);
}

void Form1::Form_MouseMove(int mouseMessage)
{
    if (!restoresFromTray(mouseMessage))
        return;
    // Only a channel the tray steps stopped is resumed: a click on the icon
    // while the window is open (or the second release of a double click)
    // leaves the player alone.
    if (ListMode == 1 && m_trayResumePending)
        WebBrowser1->Navigate(ResumeUrl);
    m_trayResumePending = false;
    setWindowState(Qt::WindowNoState);
    show();
}

void Form1::removeTrayIcon() { m_tray->notify(Tray::Delete, TrayIconData); }
