#include "form1.h"

#include "account/credentialsdialog.h"
#include "directory/channeldownload.h"
#include "directory/channellist.h"
#include "directory/startupschedule.h"
#include "favourites/favouritechannels.h"
#include "platform/artwork.h"
#include "platform/imagebox.h"
#include "platform/listbox.h"
#include "platform/multilinetextbox.h"
#include "platform/switchitem.h"
#include "platform/twips.h"
#include "quickselect/quickselect.h"
#include "shell/popupcatcher.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kDesignClientWidth = 13752;
constexpr int kDesignClientHeight = 8700;

const QString kBlank = QStringLiteral("about:blank");

void place(QWidget *w, const TwipRect &r)
{
    w->setGeometry(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width), twipsToPixels(r.height));
}

template <typename T>
T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

QLineEdit *hiddenTextBox(QWidget *parent, const char *name, const TwipRect &r)
{
    auto *box = named(new QLineEdit(parent), name);
    place(box, r);
    box->hide();
    return box;
}

ListBox *listBox(QWidget *parent, const char *name, QAbstractItemModel *model, const char *colours)
{
    auto *list = named(new ListBox(parent), name);
    list->setModel(model);
    list->setStyleSheet(QLatin1String(colours));
    return list;
}

} // namespace

Form1::Form1(const AppPaths &paths, const ServiceHosts &hosts, const WebViewFactory &makeWebView,
             const WebViewFactory &makePlayerView, QWidget *parent)
    : QMainWindow(parent)
    , m_paths(paths)
    , m_hosts(hosts)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(DesignCaption));
    setWindowIcon(artwork::gemIcon(artwork::PinkGem));
    m_tv = new ChannelDirectory(this);
    m_radio = new ChannelDirectory(this);
    createControls(makeWebView, makePlayerView ? makePlayerView : makeWebView);
    createSubsystems();
    createMenu();
    connectHandlers();
    resize(twipsToPixels(kDesignClientWidth), twipsToPixels(kDesignClientHeight) + menuBar()->sizeHint().height());
    Form_Load();
}

void Form1::createControls(const WebViewFactory &makeWebView, const WebViewFactory &makePlayerView)
{
    m_client = named(new QWidget(this), "client");
    setCentralWidget(m_client);
    Text3 = hiddenTextBox(m_client, "Text3", {2280, 240, 975, 375});
    QLineEdit *Text1 = hiddenTextBox(m_client, "Text1", {240, 7320, 1455, 375});
    Text2 = named(new MultiLineTextBox(m_client), "Text2");
    place(Text2, {2280, 1440, 6975, 4815});
    Text2->hide();
    List2 = listBox(m_client, "List2", m_tv, "QListView { background-color: #000000; color: #FFFFFF; }");
    WebBrowser2 = named(makeWebView(m_client), "WebBrowser2");
    WebBrowser1 = named(makePlayerView(m_client), "WebBrowser1");
    List1 = listBox(m_client, "List1", m_radio, "QListView { background-color: #FFFFFF; color: #000000; }");
    Command3 = named(new QPushButton(QStringLiteral("更新网络电台节目表"), m_client), "Command3");
    place(Command3, {0, 360, 1935, 375});
    Command2 = named(new QPushButton(QStringLiteral("更新网络电视节目表"), m_client), "Command2");
    place(Command2, {0, 0, 1935, 375});
    QLineEdit *Text4 = hiddenTextBox(m_client, "Text4", {4440, 600, 375, 735});
    Text5 = QuickSelect::makeBox(m_client);
    WebBrowser3 = named(makeWebView(m_client), "WebBrowser3");
    place(WebBrowser3, {2400, 720, 2052, 1452});
    Image1 = named(new ImageBox(m_client), "Image1");
    Image1->setPixmap(artwork::handlePixmap());
    Image1->setScaledContents(true);
    Image1->setCursor(Qt::SizeHorCursor);
    m_layout = designLayout();
    applyLayout(m_layout);

    // A control created earlier lies above the ones created after it (List2
    // covers the radio column).
    const QList<QWidget *> order = {Text3, Text1, Text2, List2, WebBrowser2, WebBrowser1, List1,
                                    Command3, Command2, Text4, Text5, WebBrowser3, Image1};
    for (auto it = order.crbegin(); it != order.crend(); ++it)
        (*it)->raise();
    const QList<QWidget *> tabs = {Command2, Command3, List1, WebBrowser1, WebBrowser2, List2};
    for (qsizetype i = 1; i < tabs.size(); ++i)
        setTabOrder(tabs.at(i - 1), tabs.at(i));
}

void Form1::createSubsystems()
{
    const Endpoints endpoints(m_hosts);
    const QString tvFile = dataFile(TvListFileName);
    const QString radioFile = dataFile(RadioListFileName);
    m_quickSelect = new QuickSelect(*Text5, *m_tv, *m_radio, this);
    m_login = new Login(this, m_saved, endpoints, m_paths.dataDir, this);
    using Kind = ChannelDownload::Kind;
    m_tvDownload = new ChannelDownload(Kind::Tv, *m_tv, tvFile, endpoints, m_saved, this);
    m_radioDownload = new ChannelDownload(Kind::Radio, *m_radio, radioFile, endpoints, m_saved, this);
    m_schedule = new StartupSchedule(Text3, tvFile, radioFile, m_saved, endpoints, this);
    m_features = new ChannelFeatures({*m_tv, *List2, tvFile}, {*m_radio, *List1, radioFile}, *WebBrowser1, *m_schedule,
                                     *m_quickSelect, m_paths.dataDir, m_hosts.host1, *this, this);
    m_tray = new WindowTray(*this, *WebBrowser1, this);
    m_onTop = new AlwaysOnTop(*this, this);
    m_catcher = new PopupCatcher(*WebBrowser3, this);
}

void Form1::createMenu()
{
    QMenuBar *bar = menuBar();
    QAction *jiemu = named(bar->addAction(QStringLiteral("看电视")), "jiemu");
    connect(jiemu, &QAction::triggered, this, [this] { setListMode(ViewMode::Tv); });
    QAction *jiemian = named(bar->addAction(QStringLiteral("听广播")), "jiemian");
    connect(jiemian, &QAction::triggered, this, [this] { setListMode(ViewMode::Radio); });
    QAction *denglu = named(bar->addAction(QStringLiteral("账号登陆")), "denglu");
    connect(denglu, &QAction::triggered, m_login, &Login::denglu_Click);
    QAction *qugg = addSwitchItem(bar, QStringLiteral("qugg"), QStringLiteral("快速选台"));
    connect(qugg, &QAction::triggered, m_quickSelect, &QuickSelect::qugg_Click);
    QAction *chuangkou = addSwitchItem(bar, QStringLiteral("chuangkou"), QStringLiteral("窗口置顶"));
    connect(chuangkou, &QAction::triggered, m_onTop, &AlwaysOnTop::chuangkou_Click);
    QAction *n[6];
    for (int k = 0; k < 6; ++k) {
        n[k] = bar->addAction(QString());
        n[k]->setObjectName(QStringLiteral("n%1").arg(k + 1));
    }
    m_announcements = new AnnouncementMenu(n, this);
}

void Form1::connectHandlers()
{
    const auto inPlayer = [this](const QString &url) { WebBrowser1->Navigate(url); };
    const auto inNotice = [this](const QString &url) { WebBrowser2->Navigate(url); };
    connect(Image1, &ImageBox::Click, this,
            [this] { setListMode(m_listMode != ViewMode::PlayerOnly ? ViewMode::PlayerOnly : ViewMode::Tv); });
    connect(&m_features->favourites(), &FavouriteChannels::play, this, &Form1::play); // rows and quick select
    connect(WebBrowser1, &WebView::NewWindow2, m_catcher, &PopupCatcher::WebBrowser1_NewWindow2);
    connect(m_login, &Login::titleChanged, this, &QWidget::setWindowTitle);
    connect(m_login, &Login::layoutDue, this, &Form1::Form_Resize);
    connect(m_login, &Login::openInPlayer, this, inPlayer);
    connect(m_login, &Login::openInNotice, this, inNotice);
    connect(m_login, &Login::focusKeeper, m_quickSelect, &QuickSelect::keepFocus);

    for (auto [download, button] : {std::pair{m_tvDownload, Command2}, std::pair{m_radioDownload, Command3}}) {
        connect(button, &QPushButton::clicked, download, &ChannelDownload::run);
        connect(download, &ChannelDownload::runningChanged, button, [b = button](bool on) { b->setEnabled(!on); });
        connect(download, &ChannelDownload::holderChanged, this, [this](const QString &t) { Text2->setText(t); });
    }
    connect(m_tvDownload, &ChannelDownload::verificationDue, m_login, &Login::verifyOnHost2);

    connect(m_schedule, &StartupSchedule::loginDue, this, &Form1::MailDenglu);
    connect(m_schedule, &StartupSchedule::tvDownloadDue, m_tvDownload, &ChannelDownload::run);
    connect(m_schedule, &StartupSchedule::radioDownloadDue, m_radioDownload, &ChannelDownload::run);
    connect(m_schedule, &StartupSchedule::openInPlayer, this, inPlayer);
    connect(m_schedule, &StartupSchedule::openInNotice, this, inNotice);
    connect(WebBrowser2, &WebView::DownloadComplete, m_announcements,
            [this] { m_announcements->WebBrowser2_DownloadComplete(WebBrowser2->BodyText()); });
    connect(m_announcements, &AnnouncementMenu::openInPlayer, this, inPlayer);
}

void Form1::Form_Load()
{
    m_skin = std::make_unique<SkinLibrary>(programFile(SkinLibrary::FileName));
    m_skin->SkinH_Attach();
    m_skin->attachSkinFile(programFile("real.she"));
    loadDirectory(dataFile(TvListFileName), *m_tv);
    loadDirectory(dataFile(RadioListFileName), *m_radio);
    m_saved = LoadCredentials(m_paths.dataDir);
    if (m_saved.hasAccount())
        fillLoginBoxes(m_login->dialog(), m_saved.user, m_saved.password);
    setListMode(ViewMode::Tv, false);
    WebBrowser1->setSilent(true);
    WebBrowser2->setSilent(true);
    WebBrowser1->Navigate(kBlank);
    WebBrowser2->Navigate(kBlank);
}

void Form1::Form_Resize()
{
    const TwipRect outer = outerSize(m_client->width(), m_client->height(), isMinimized());
    applyLayout(layoutForm(m_layout, m_listMode, outer.width, outer.height, windowTitle()));
    m_tray->windowLaidOut(isMinimized());
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

// jiemu, jiemian and Image1 lay the window out for the new mode, the start-up does not.
void Form1::setListMode(ViewMode mode, bool layOut)
{
    m_listMode = mode;
    m_quickSelect->setViewMode(mode);
    m_tray->setViewMode(mode);
    m_features->favourites().setViewMode(mode, layOut);
    if (layOut)
        Form_Resize();
}

// An empty URL (no row selected, or an entry without one) plays nothing.
void Form1::play(const QString &url)
{
    if (url.isEmpty())
        return;
    WebBrowser1->Navigate(url);
    m_features->channelStarted(url);
}

bool Form1::event(QEvent *event)
{
    const bool done = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Show:
        if (m_shown)
            break;
        m_shown = true;
        // The start position is the centre of the screen.
        if (const QScreen *screen = this->screen())
            move(screen->availableGeometry().center() - frameGeometry().center() + pos());
        m_schedule->start();
        m_quickSelect->startIdleTimer();
        break;
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        Form_Resize();
        break;
    case QEvent::Close: // Form_Unload
        m_tray->removeIcon();
        m_login->unload();
        break;
    default:
        break;
    }
    return done;
}
