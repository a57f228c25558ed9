#pragma once

#include "account/credentialsfile.h"
#include "account/login.h"
#include "account/servicehosts.h"
#include "directory/announcementmenu.h"
#include "directory/channeldirectory.h"
#include "platform/datafolder.h"
#include "platform/skinlibrary.h"
#include "shell/channelfeatures.h"
#include "shell/layoutgeometry.h"
#include "shell/ontop.h"
#include "shell/windowtray.h"
#include "webview/webview.h"

#include <QDir>
#include <QMainWindow>

#include <memory>

class ChannelDownload;
class ImageBox;
class ListBox;
class MultiLineTextBox;
class PopupCatcher;
class QLineEdit;
class QPushButton;
class QuickSelect;
class StartupSchedule;

// The main window: owns the controls, the long-lived state and one object per
// subsystem, and wires their events together. Its controls carry their names
// as object names; its state is read through the accessors named after it.
class Form1 final : public QMainWindow
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

    QString AppDir() const { return QDir::toNativeSeparators(QDir(m_paths.programDir).absolutePath() + u'/'); }
    ViewMode ListMode() const { return m_listMode; }
    qint16 OnTop() const { return m_onTop->OnTop(); }
    QString SavedUser() const { return m_saved.user; }
    QString SavedPassword() const { return m_saved.password; }
    QString ResumeUrl() const { return m_tray->ResumeUrl(); }
    TrayIconRecord TrayIconData() const { return m_tray->TrayIconData(); }
    QStringList NoticeFields() const { return m_announcements->NoticeFields(); }
    // The directory tables: working URL and entry line per row of the list
    // box, master URL and entry line per entry.
    QStringList TvUrl() const { return m_tv->Url(); }
    QStringList TvLine() const { return m_tv->Line(); }
    QStringList TvUrlAll() const { return m_tv->UrlAll(); }
    QStringList TvLineAll() const { return m_tv->LineAll(); }
    QStringList RadioUrl() const { return m_radio->Url(); }
    QStringList RadioLine() const { return m_radio->Line(); }
    QStringList RadioUrlAll() const { return m_radio->UrlAll(); }
    QStringList RadioLineAll() const { return m_radio->LineAll(); }
    // The placement the layout last applied.
    const LayoutState &layoutState() const { return m_layout; }

    // The login dialog, created (hidden) on first use; null once the window
    // has been unloaded.
    frmLogin *loginDialog() { return m_login->dialog(); }
    frmLogin *existingLoginDialog() const { return m_login->existingDialog(); }

    // The automatic login from the saved account.
    void MailDenglu() { m_login->MailDenglu(); }
    // The playlist given on the command line, a file or an address.
    void importPlaylist(const QString &fileOrUrl) { m_features->importAtStart(fileOrUrl); }
    // Lays the window out for its size, view mode and title.
    void Form_Resize();

protected:
    // The first show, resizes, state changes and the close.
    bool event(QEvent *event) override;

private:
    // Every file of the program is found through these two.
    QString programFile(const char *name) const { return QDir(m_paths.programDir).filePath(QLatin1String(name)); }
    QString dataFile(const char *name) const { return m_paths.dataFile(QLatin1String(name)); }
    void createControls(const WebViewFactory &makeWebView, const WebViewFactory &makePlayerView);
    void createSubsystems();
    void createMenu();
    void connectHandlers();
    void Form_Load();
    void applyLayout(const LayoutState &state);
    void setListMode(ViewMode mode, bool layOut = true);
    void play(const QString &url);

    AppPaths m_paths;
    ServiceHosts m_hosts;
    ViewMode m_listMode = ViewMode::PlayerOnly;
    SavedCredentials m_saved;
    LayoutState m_layout;
    bool m_shown = false;

    QWidget *m_client = nullptr;
    QLineEdit *Text3 = nullptr, *Text5 = nullptr;
    MultiLineTextBox *Text2 = nullptr;
    ListBox *List1 = nullptr, *List2 = nullptr;
    WebView *WebBrowser1 = nullptr, *WebBrowser2 = nullptr, *WebBrowser3 = nullptr;
    QPushButton *Command2 = nullptr, *Command3 = nullptr;
    ImageBox *Image1 = nullptr;

    ChannelDirectory *m_tv = nullptr, *m_radio = nullptr;
    std::unique_ptr<SkinLibrary> m_skin;
    QuickSelect *m_quickSelect = nullptr;
    Login *m_login = nullptr;
    ChannelDownload *m_tvDownload = nullptr, *m_radioDownload = nullptr;
    StartupSchedule *m_schedule = nullptr;
    ChannelFeatures *m_features = nullptr;
    AnnouncementMenu *m_announcements = nullptr;
    WindowTray *m_tray = nullptr;
    AlwaysOnTop *m_onTop = nullptr;
    PopupCatcher *m_catcher = nullptr;
};
