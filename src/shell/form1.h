#pragma once

#include "account/frmlogin.h"
#include "account/servicehosts.h"
#include "platform/datafolder.h"
#include "shell/layoutgeometry.h"
#include "shell/tray.h"
#include "shell/trayrecord.h"
#include "webview/webview.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class ChannelDirectory;
class ChannelDownload;
class AnnouncementMenu;
class ImageBox;
class Login;
class ListBox;
class QAction;
class QLineEdit;
class MultiLineTextBox;
class QPushButton;
class QTimer;
class SkinLibrary;
class StartupSchedule;
class QuickSelect;

// The main window: owns the controls, the long-lived state and one object per
// subsystem, and wires the events to their handlers.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr const char *DesignCaption = "澄屿高清网络电视 V2.7";

    // paths: the folder of the program (skin library) and the one its files
    // are kept in (a single folder in the portable use).
    // makeWebView: how the three browser views are made.
    // makePlayerView: how the player view WebBrowser1 is made instead (the
    // program's plays pages and streams); makeWebView's view when not given.
    Form1(const AppPaths &paths, const ServiceHosts &hosts, const WebViewFactory &makeWebView,
          const WebViewFactory &makePlayerView = {}, QWidget *parent = nullptr);
    ~Form1() override;

    // State.
    QString AppDir;
    qint16 ListMode = 0;
    qint16 OnTop = 0;
    QStringList NoticeFields;
    QString SavedUser;
    QString SavedPassword;
    QString ResumeUrl;
    TrayIconRecord TrayIconData;

    // The directory tables: working URL and entry line per row of the list
    // box, master URL and entry line per entry.
    QStringList TvUrl() const;
    QStringList TvLine() const;
    QStringList TvUrlAll() const;
    QStringList TvLineAll() const;
    QStringList RadioUrl() const;
    QStringList RadioLine() const;
    QStringList RadioUrlAll() const;
    QStringList RadioLineAll() const;

    // Controls, in creation order.
    QTimer *Timer4;
    QTimer *Timer3;
    QTimer *Timer2;
    QLineEdit *Text3;
    QTimer *Timer1;
    QLineEdit *Text1;
    MultiLineTextBox *Text2;
    ListBox *List2;
    WebView *WebBrowser2;
    WebView *WebBrowser1;
    ListBox *List1;
    QPushButton *Command3;
    QPushButton *Command2;
    QLineEdit *Text4;
    QLineEdit *Text5;
    WebView *WebBrowser3;
    ImageBox *Image1;

    // Menu bar.
    QAction *jiemu;
    QAction *jiemian;
    QAction *denglu;
    QAction *qugg;
    QAction *chuangkou;
    QAction *n[6];

    const ServiceHosts &hosts() const { return m_hosts; }
    QString programFile(const QString &name) const;
    // A file the program keeps (lists, saved account); empty when nothing is kept.
    QString dataFile(const QString &name) const { return m_paths.dataFile(name); }

    // The login dialog, created (hidden) on first use; null once the window
    // has been unloaded.
    frmLogin *loginDialog();
    // The login dialog if it exists, without creating it.
    frmLogin *existingLoginDialog() const { return m_loginDialog; }

    // Handlers.
    void Form_Load();
    void Form_Unload();
    void Form_Resize();
    void jiemu_Click();
    void jiemian_Click();
    void Image1_Click();
    void List1_Click();
    void List2_Click();
    void Command2_Click();
    void Command3_Click();
    // The automatic login from the saved account.
    void MailDenglu();

    StartupSchedule *startupSchedule() const { return m_schedule; }
    AnnouncementMenu *announcementMenu() const { return m_announcements; }

    // Tray, always on top and pop-up catcher (tray.cpp, ontop.cpp,
    // popupcatcher.cpp). Form_MouseMove receives the tray icon's
    // notifications, each carrying the mouse message that occurred over it.
    void Form_MouseMove(int mouseMessage);
    void chuangkou_Click();
    void Timer4_Timer();
    void WebBrowser1_NewWindow2(WebView **ppDisp, bool *Cancel);
    void WebBrowser3_DocumentComplete(const QString &URL);
    Tray *tray() const { return m_tray; }

    // The placement the layout last applied.
    const LayoutState &layoutState() const { return m_layout; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls(const WebViewFactory &makeWebView, const WebViewFactory &makePlayerView);
    void createMenu();
    void stackInCreationOrder();
    void connectHandlers();
    void applyLayout(const LayoutState &state);
    void attachSkinFile();
    void loadSavedCredentials();
    void createSubsystems();

    // Tray, always on top and pop-up catcher.
    void connectTrayOnTopAndPopups();
    void traySteps();
    void resumeAfterTaskBar();
    void removeTrayIcon();
    Tray *m_tray = nullptr;
    bool m_trayResumePending = false;
    bool m_catcherBlanking = false;

    void play(const QString &url);
    void setListMode(qint16 mode);

    AppPaths m_paths;
    ServiceHosts m_hosts;
    ChannelDirectory *m_tv;
    ChannelDirectory *m_radio;
    QWidget *m_client;
    std::unique_ptr<SkinLibrary> m_skin;
    QPointer<frmLogin> m_loginDialog;
    Login *m_account = nullptr;
    ChannelDownload *m_tvDownload = nullptr;
    ChannelDownload *m_radioDownload = nullptr;
    // Start-up schedule (Timer1) and announcement menu (n1 to n6).
    StartupSchedule *m_schedule = nullptr;
    AnnouncementMenu *m_announcements = nullptr;
    QuickSelect *m_quickSelect = nullptr;
    LayoutState m_layout;
    bool m_timersStarted = false;
    bool m_unloaded = false;
};
