#include "form1.h"

#include "account/credentialsdialog.h"
#include "account/credentialsfile.h"
#include "account/frmlogin.h"
#include "account/login.h"
#include "directory/announcementmenu.h"
#include "directory/channeldirectory.h"
#include "directory/channeldownload.h"
#include "directory/channellist.h"
#include "directory/startupschedule.h"
#include "platform/artwork.h"
#include "platform/imagebox.h"
#include "platform/listbox.h"
#include "platform/multilinetextbox.h"
#include "platform/skinlibrary.h"
#include "platform/twips.h"
#include "quickselect/quickselect.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

// The layout's constants are for the outer size of a window (frame, title
// bar and menu bar included); these offsets turn the client area under the
// menu bar into that outer size so that the main view ends at the right edge
// and the notice strip at the bottom edge.
constexpr int kFrameExtraWidth = 60;
constexpr int kFrameExtraHeight = 1220;
// The outer size a minimised window reports.
constexpr int kMinimisedWidth = 2400;
constexpr int kMinimisedHeight = 465;

constexpr int kDesignClientWidth = 13752;
constexpr int kDesignClientHeight = 8700;

const QString kBlank = QStringLiteral("about:blank");

void place(QWidget *w, const TwipRect &r)
{
    w->setGeometry(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width), twipsToPixels(r.height));
}

void place(QWidget *w, int left, int top, int width, int height)
{
    place(w, TwipRect{left, top, width, height});
}

QLineEdit *hiddenTextBox(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    place(box, left, top, width, height);
    box->hide();
    return box;
}

QTimer *makeTimer(QObject *parent, const char *name, int interval)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    return timer;
}

} // namespace

Form1::Form1(const AppPaths &paths, const ServiceHosts &hosts, const WebViewFactory &makeWebView,
             const WebViewFactory &makePlayerView, QWidget *parent)
    : QMainWindow(parent)
    , m_paths(paths)
    , m_hosts(hosts)
    , m_tv(new ChannelDirectory(this))
    , m_radio(new ChannelDirectory(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(DesignCaption));
    setWindowIcon(artwork::gemIcon(artwork::PinkGem));
    createControls(makeWebView, makePlayerView ? makePlayerView : makeWebView);
    createMenu();
    createSubsystems();
    connectHandlers();
    resize(twipsToPixels(kDesignClientWidth), twipsToPixels(kDesignClientHeight) + menuBar()->sizeHint().height());
    Form_Load();
}

Form1::~Form1() = default;

QString Form1::programFile(const QString &name) const
{
    return QDir(m_paths.programDir).filePath(name);
}

void Form1::createControls(const WebViewFactory &makeWebView, const WebViewFactory &makePlayerView)
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);

    Timer4 = makeTimer(this, "Timer4", 500);
    Text3 = hiddenTextBox(m_client, "Text3", 2280, 240, 975, 375);
    Timer1 = makeTimer(this, "Timer1", 500);
    Text1 = hiddenTextBox(m_client, "Text1", 240, 7320, 1455, 375);

    Text2 = new MultiLineTextBox(m_client);
    Text2->setObjectName(QStringLiteral("Text2"));
    place(Text2, 2280, 1440, 6975, 4815);
    Text2->hide();

    m_layout = designLayout();

    List2 = new ListBox(m_client);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setModel(m_tv);
    List2->setStyleSheet(QStringLiteral("QListView { background-color: #000000; color: #FFFFFF; }"));

    WebBrowser2 = makeWebView(m_client);
    WebBrowser2->setObjectName(QStringLiteral("WebBrowser2"));
    WebBrowser1 = makePlayerView(m_client);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));

    List1 = new ListBox(m_client);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setModel(m_radio);
    List1->setStyleSheet(QStringLiteral("QListView { background-color: #FFFFFF; color: #000000; }"));

    Command3 = new QPushButton(QStringLiteral("更新网络电台节目表"), m_client);
    Command3->setObjectName(QStringLiteral("Command3"));
    place(Command3, 0, 360, 1935, 375);
    Command2 = new QPushButton(QStringLiteral("更新网络电视节目表"), m_client);
    Command2->setObjectName(QStringLiteral("Command2"));
    place(Command2, 0, 0, 1935, 375);

    Text4 = hiddenTextBox(m_client, "Text4", 4440, 600, 375, 735);

    Text5 = new QLineEdit(m_client);
    Text5->setObjectName(QStringLiteral("Text5"));
    Text5->setFocusPolicy(Qt::ClickFocus);
    QFont font(QStringLiteral("宋体"));
    font.setStyleHint(QFont::Serif);
    font.setBold(true);
    font.setPointSize(15);
    Text5->setFont(font);
    Text5->setStyleSheet(QStringLiteral("QLineEdit { background-color: #000000; color: #FF0000; border: 0; padding: 0; }"));

    WebBrowser3 = makeWebView(m_client);
    WebBrowser3->setObjectName(QStringLiteral("WebBrowser3"));
    place(WebBrowser3, 2400, 720, 2052, 1452);

    Image1 = new ImageBox(m_client);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(artwork::handlePixmap());
    Image1->setScaledContents(true);
    Image1->setCursor(Qt::SizeHorCursor);

    applyLayout(m_layout);
    stackInCreationOrder();

    setTabOrder(Command2, Command3);
    setTabOrder(Command3, List1);
    setTabOrder(List1, WebBrowser1);
    setTabOrder(WebBrowser1, WebBrowser2);
    setTabOrder(WebBrowser2, List2);
}

void Form1::stackInCreationOrder()
{
    // A control created earlier lies above the ones created after it (List2
    // covers the radio column).
    const QList<QWidget *> order = {Text3, Text1, Text2, List2, WebBrowser2, WebBrowser1, List1,
                                    Command3, Command2, Text4, Text5, WebBrowser3, Image1};
    for (auto it = order.crbegin(); it != order.crend(); ++it)
        (*it)->raise();
}

void Form1::createMenu()
{
    auto add = [this](const char *name, const QString &caption) {
        QAction *action = menuBar()->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    jiemu = add("jiemu", QStringLiteral("看电视"));
    jiemian = add("jiemian", QStringLiteral("听广播"));
    denglu = add("denglu", QStringLiteral("账号登陆"));
    qugg = add("qugg", QStringLiteral("快速选台"));
    chuangkou = add("chuangkou", QStringLiteral("窗口置顶"));
    static const char *names[6] = {"n1", "n2", "n3", "n4", "n5", "n6"};
    for (int k = 0; k < 6; ++k)
        n[k] = add(names[k], QString());
}

void Form1::createSubsystems()
{
    m_quickSelect = new QuickSelect(*Text5, *m_tv, *m_radio, this);
    Timer2 = m_quickSelect->findChild<QTimer *>(QStringLiteral("Timer2"));
    Timer3 = m_quickSelect->findChild<QTimer *>(QStringLiteral("Timer3"));

    const Endpoints endpoints(m_hosts);
    LoginContext login;
    login.loginDialog = [this] { return loginDialog(); };
    login.savedUser = [this] { return SavedUser; };
    login.savedPassword = [this] { return SavedPassword; };
    login.setTitle = [this](const QString &title) { setWindowTitle(title); };
    login.runLayout = [this] { Form_Resize(); };
    login.WebBrowser1 = WebBrowser1;
    login.WebBrowser2 = WebBrowser2;
    login.Timer2 = m_quickSelect->findChild<QTimer *>(QStringLiteral("Timer2"));
    login.endpoints = endpoints;
    m_account = new Login(login, this);

    ChannelDownload::Context tv;
    tv.kind = ChannelDownload::Kind::Tv;
    tv.directory = m_tv;
    tv.holder = Text2;
    tv.button = Command2;
    tv.listFile = dataFile(QString::fromLatin1(TvListFileName));
    tv.endpoints = endpoints;
    tv.accountName = [this] { return SavedUser; };
    tv.loginStatus = [this] { return m_loginDialog ? m_loginDialog->Text1->text() : QString(); };
    tv.noticeView = WebBrowser2;
    m_tvDownload = new ChannelDownload(tv, this);

    ChannelDownload::Context radio = tv;
    radio.kind = ChannelDownload::Kind::Radio;
    radio.directory = m_radio;
    radio.button = Command3;
    radio.listFile = dataFile(QString::fromLatin1(RadioListFileName));
    radio.loginStatus = nullptr;
    radio.noticeView = nullptr;
    m_radioDownload = new ChannelDownload(radio, this);

    // The start-up schedule and the announcement menu connect their own events.
    StartupHooks startup;
    startup.savedUser = [this] { return SavedUser; };
    startup.savedPassword = [this] { return SavedPassword; };
    startup.mailDenglu = [this] { MailDenglu(); };
    startup.tvDownload = [this] { m_tvDownload->run(); };
    startup.radioDownload = [this] { m_radioDownload->run(); };
    m_schedule = new StartupSchedule(Text3, Timer1, WebBrowser1, WebBrowser2, m_hosts, m_paths.dataDir, startup, this);
    m_announcements = new AnnouncementMenu(n, WebBrowser1, WebBrowser2, NoticeFields, this);
}

void Form1::connectHandlers()
{
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(denglu, &QAction::triggered, m_account, &Login::denglu_Click);
    connect(jiemu, &QAction::triggered, this, &Form1::jiemu_Click);
    connect(jiemian, &QAction::triggered, this, &Form1::jiemian_Click);
    connect(Image1, &ImageBox::Click, this, &Form1::Image1_Click);
    connect(List1, &ListBox::Click, this, &Form1::List1_Click);
    connect(List2, &ListBox::Click, this, &Form1::List2_Click);
    connectTrayOnTopAndPopups();
    connect(qugg, &QAction::triggered, m_quickSelect, [this] {
        const bool on = qugg->text() != QStringLiteral("快速选台√");
        qugg->setText(on ? QStringLiteral("快速选台√") : QStringLiteral("快速选台"));
        m_quickSelect->qugg_Click(on);
    });
    connect(m_quickSelect, &QuickSelect::play, this, &Form1::play);
}

frmLogin *Form1::loginDialog()
{
    if (m_unloaded)
        return nullptr; // closing the main window unloaded the dialog for good
    if (!m_loginDialog) {
        m_loginDialog = new frmLogin(this);
        connectCredentialsSaving(m_loginDialog, m_paths.dataDir);
        m_account->attach(m_loginDialog);
        connect(m_loginDialog, &frmLogin::discarded, this, [this] { m_loginDialog = nullptr; });
        m_loginDialog->hide();
    }
    return m_loginDialog;
}

void Form1::attachSkinFile()
{
    const QString skinFile = AppDir + QStringLiteral("real.she");
    if (QFileInfo::exists(skinFile) && QFileInfo::exists(AppDir + QString::fromLatin1(SkinLibrary::FileName))) {
        m_skin->SkinH_AttachEx(skinFile, QString());
        m_skin->SkinH_SetAero(1);
    }
}

void Form1::Form_Load()
{
    m_skin = std::make_unique<SkinLibrary>(programFile(QString::fromLatin1(SkinLibrary::FileName)));
    m_skin->SkinH_Attach();
    AppDir = QDir::toNativeSeparators(QDir(m_paths.programDir).absolutePath()) + QDir::separator();
    attachSkinFile();
    loadDirectory(dataFile(QString::fromLatin1(TvListFileName)), *m_tv);
    loadDirectory(dataFile(QString::fromLatin1(RadioListFileName)), *m_radio);
    loadSavedCredentials();
    setListMode(1);
    ResumeUrl = kBlank;
    WebBrowser1->setSilent(true);
    WebBrowser2->setSilent(true);
    WebBrowser1->Navigate(kBlank);
    WebBrowser2->Navigate(kBlank);
}

void Form1::loadSavedCredentials()
{
    const SavedCredentials saved = LoadCredentials(m_paths.dataDir);
    SavedUser = saved.user;
    SavedPassword = saved.password;
    if (saved.hasAccount())
        fillLoginBoxes(loginDialog(), SavedUser, SavedPassword);
}

void Form1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    removeTrayIcon();
    // Later, not at once: the close may come while a login started from the
    // dialog still waits for the service inside the dialog's own click.
    if (m_loginDialog) {
        m_loginDialog->hide();
        m_loginDialog->deleteLater();
        m_loginDialog = nullptr;
    }
}

void Form1::Form_Resize()
{
    int W = kMinimisedWidth;
    int H = kMinimisedHeight;
    if (!isMinimized()) {
        W = pixelsToTwips(m_client->width()) + kFrameExtraWidth;
        H = pixelsToTwips(m_client->height()) + kFrameExtraHeight;
    }
    applyLayout(layoutForm(m_layout, ListMode, W, H, windowTitle()));
    // Minimised: to the tray; restored: back from the task bar where the
    // desktop has no notification area.
    if (isMinimized())
        traySteps();
    else
        resumeAfterTaskBar();
}

void Form1::applyLayout(const LayoutState &state)
{
    m_layout = state;
    place(WebBrowser1, state.WebBrowser1);
    place(WebBrowser2, state.WebBrowser2);
    place(List1, state.List1);
    place(List2, state.List2);
    place(Image1, state.Image1);
    place(Text5, state.Text5);
    List1->setVisible(state.List1Visible);
    List2->setVisible(state.List2Visible);
    Command2->setVisible(state.Command2Visible);
    Command3->setVisible(state.Command3Visible);
}

void Form1::setListMode(qint16 mode)
{
    ListMode = mode;
    m_quickSelect->setViewMode(ViewMode(mode));
}

void Form1::jiemu_Click()
{
    setListMode(1);
    Form_Resize();
}

void Form1::jiemian_Click()
{
    setListMode(2);
    Form_Resize();
}

void Form1::Image1_Click()
{
    setListMode(ListMode != 0 ? 0 : 1);
    Form_Resize();
}

// An empty URL (no row selected, or an entry without one) plays nothing.
void Form1::play(const QString &url)
{
    if (!url.isEmpty())
        WebBrowser1->Navigate(url);
}

void Form1::List1_Click() { play(m_radio->urlAt(List1->ListIndex())); }

void Form1::List2_Click() { play(m_tv->urlAt(List2->ListIndex())); }

QStringList Form1::TvUrl() const { return m_tv->Url(); }
QStringList Form1::TvLine() const { return m_tv->Line(); }
QStringList Form1::TvUrlAll() const { return m_tv->UrlAll(); }
QStringList Form1::TvLineAll() const { return m_tv->LineAll(); }
QStringList Form1::RadioUrl() const { return m_radio->Url(); }
QStringList Form1::RadioLine() const { return m_radio->Line(); }
QStringList Form1::RadioUrlAll() const { return m_radio->UrlAll(); }
QStringList Form1::RadioLineAll() const { return m_radio->LineAll(); }

void Form1::Command2_Click() { m_tvDownload->run(); }

void Form1::Command3_Click() { m_radioDownload->run(); }

void Form1::MailDenglu() { m_account->MailDenglu(); }

void Form1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_timersStarted)
        return;
    m_timersStarted = true;
    // The start position is the centre of the screen.
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - frameGeometry().center() + pos());
    Timer1->start();
    m_quickSelect->startIdleTimer();
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    QMainWindow::closeEvent(event);
}
