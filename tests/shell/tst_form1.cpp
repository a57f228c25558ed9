#include "account/credentialsfile.h"
#include "account/frmlogin.h"
#include "account/scramblecodec.h"
#include "platform/codepage936.h"
#include "platform/imagebox.h"
#include "platform/listbox.h"
#include "platform/twips.h"
#include "listrows.h"
#include "recordingwebview.h"
#include "form1controls.h"
#include "shell/form1.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const ServiceHosts kHosts{QStringLiteral("http://127.0.0.1:1"), QStringLiteral("http://127.0.0.1:2")};

RecordingWebView *rec(WebView *view) { return static_cast<RecordingWebView *>(view); }

void writeList(const QString &path, const QString &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(cp936::fromUnicode(text));
}

std::unique_ptr<Form1> makeForm(const QTemporaryDir &dir)
{
    return std::make_unique<Form1>(dir.path(), kHosts, recordingWebViewFactory());
}

void clickRow(ListBox *list, int row)
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

int px(int twips) { return twipsToPixels(twips); }

// Shows the window with the start-up schedule held back, so that the test
// alone decides what happens.
bool showQuietly(Form1 &form)
{
    form.show();
    controls(form).Timer1->stop();
    return QTest::qWaitForWindowExposed(&form);
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startsEmptyWithoutFiles()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        QCOMPARE(form->ListMode(), ViewMode::Tv);
        QCOMPARE(form->ResumeUrl(), QStringLiteral("about:blank"));
        QCOMPARE(form->OnTop(), qint16(0));
        QVERIFY(form->AppDir().endsWith(QDir::separator()));
        QCOMPARE(controls(*form).List1->ListCount(), 0);
        QCOMPARE(controls(*form).List2->ListCount(), 0);
        QVERIFY(form->TvUrlAll().isEmpty());
        QVERIFY(form->RadioUrlAll().isEmpty());
        QVERIFY(form->SavedUser().isEmpty());
        QVERIFY(form->existingLoginDialog() == nullptr);
        for (WebView *view : {controls(*form).WebBrowser1, controls(*form).WebBrowser2}) {
            QVERIFY(view->Silent());
            QCOMPARE(rec(view)->navigations, QStringList{QStringLiteral("about:blank")});
        }
        QVERIFY(!controls(*form).WebBrowser3->Silent());
        QVERIFY(rec(controls(*form).WebBrowser3)->navigations.isEmpty());
        QCOMPARE(form->windowTitle(), QStringLiteral("澄屿高清网络电视 V2.7"));
    }

    void loadsBothDirectories()
    {
        QTemporaryDir dir;
        writeList(dir.filePath(QStringLiteral("dianshibiao.ini")),
                  QStringLiteral("湖南卫视\r\nhttp://tv/1\r\n浙江卫视\r\nhttp://tv/2\r\n"));
        writeList(dir.filePath(QStringLiteral("diantaibiao.ini")), QStringLiteral("中国之声 广播\r\nhttp://radio/1\r\n"));
        auto form = makeForm(dir);
        QCOMPARE(listRows(controls(*form).List2), (QStringList{"0000.湖南卫视", "0001.浙江卫视"}));
        QCOMPARE(listRows(controls(*form).List1), QStringList{"0000.中国之声 广播"});
        QCOMPARE(form->TvUrl(), (QStringList{"http://tv/1", "http://tv/2"}));
        QCOMPARE(form->TvLineAll().at(0), QStringLiteral("0000.湖南卫视") + QString(12, u' ') + "HNWS");
        QCOMPARE(form->RadioUrlAll(), QStringList{"http://radio/1"});
        QCOMPARE(form->RadioLine().at(0), QStringLiteral("0000.中国之声 广播") + QString(12, u' ') + "ZGZSGB");
    }

    // A control created earlier lies above later ones; the child list runs
    // from the bottom of the stacking order to its top.
    void startsWithTheSavedAccount()
    {
        QTemporaryDir dir;
        QVERIFY(SaveCredentials(dir.path(), QStringLiteral("abc"), QStringLiteral("p,w")));
        QFile file(dir.filePath(QStringLiteral("lumatv.dat")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        auto form = makeForm(dir);
        QCOMPARE(form->SavedUser(), QStringLiteral("abc"));
        QCOMPARE(form->SavedPassword(), QStringLiteral("p,w"));
        frmLogin *dialog = form->existingLoginDialog();
        QVERIFY(dialog);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->txtUserName->text(), QStringLiteral("abc"));
        QCOMPARE(dialog->txtPassword->text(), QStringLiteral("p,w"));
        // Filling the boxes saved the same pair afresh.
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray after = file.readAll();
        QVERIFY(after != before);
        QCOMPARE(LoadCredentials(dir.path()).password, QStringLiteral("p,w"));
    }

    void longSavedAccountIsKeptWhole()
    {
        QTemporaryDir dir;
        const QString name = QStringLiteral("abcdefghijklmnopqrstuvwxy");
        const QString password = QStringLiteral("0123456789012345678901234");
        QVERIFY(SaveCredentials(dir.path(), name, password));
        auto form = makeForm(dir);
        QCOMPARE(form->existingLoginDialog()->txtUserName->text(), name);
        QCOMPARE(form->existingLoginDialog()->txtPassword->text(), password);
        const SavedCredentials saved = LoadCredentials(dir.path());
        QCOMPARE(saved.user, name);
        QCOMPARE(saved.password, password);
        // Deleting from such a text still works; typing onto it does not.
        QLineEdit *box = form->existingLoginDialog()->txtUserName;
        box->setFocus();
        box->end(false);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), name.chopped(1));
        QTest::keyClick(box, Qt::Key_Z);
        QCOMPARE(box->text(), name.chopped(1));
    }

    void startsWithOneLineCredentialsFile()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("lumatv.dat")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray line = ScrambleText(QStringLiteral("abc")).toLatin1() + "\r\n";
        file.write(line);
        file.close();
        auto form = makeForm(dir);
        QCOMPARE(form->SavedUser(), QStringLiteral("abc"));
        QVERIFY(form->SavedPassword().isEmpty());
        QCOMPARE(form->existingLoginDialog()->txtUserName->text(), QStringLiteral("abc"));
        QVERIFY(form->existingLoginDialog()->txtPassword->text().isEmpty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), line); // not rewritten
    }

    void controlsStackInCreationOrder()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        const QStringList expected = {"Text3", "Text1", "Text2", "List2", "WebBrowser2", "WebBrowser1", "List1",
                                      "Command3", "Command2", "Text4", "Text5", "WebBrowser3", "Image1"};
        QStringList names;
        for (QObject *child : form->centralWidget()->children()) {
            if (expected.contains(child->objectName()))
                names.append(child->objectName());
        }
        std::reverse(names.begin(), names.end());
        QCOMPARE(names, expected);
        for (const char *hidden : {"Text1", "Text2", "Text3", "Text4"})
            QVERIFY(form->findChild<QWidget *>(QLatin1String(hidden))->isHidden());
        QCOMPARE(controls(*form).Command2->text(), QStringLiteral("更新网络电视节目表"));
        QCOMPARE(controls(*form).Command3->text(), QStringLiteral("更新网络电台节目表"));
        QCOMPARE(controls(*form).Command2->geometry(), QRect(0, 0, px(1935), px(375)));
        QCOMPARE(controls(*form).Command3->geometry(), QRect(0, px(360), px(1935), px(375)));
        QCOMPARE(controls(*form).Text3->geometry(), QRect(px(2280), px(240), px(975), px(375)));
        QCOMPARE(controls(*form).WebBrowser3->geometry(), QRect(px(2400), px(720), px(2052), px(1452)));
        QCOMPARE(controls(*form).Image1->pixmap().size(), QSize(5, 53));
        QCOMPARE(controls(*form).Image1->cursor().shape(), Qt::SizeHorCursor);
        QCOMPARE(form->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
        // Tab order: Command2, Command3, List1, ...
        QCOMPARE(controls(*form).Command2->nextInFocusChain(), controls(*form).Command3);
        QCOMPARE(controls(*form).Command3->nextInFocusChain(), controls(*form).List1);
    }

    void timersAsDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("runningWhenShown");
        QTest::newRow("Timer1") << "Timer1" << 500 << true;
        QTest::newRow("Timer2") << "Timer2" << 1000 << false;
        QTest::newRow("Timer3") << "Timer3" << 9000 << true;
        QTest::newRow("Timer4") << "Timer4" << 500 << false;
    }
    void timersAsDesigned()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        auto form = makeForm(dir);
        auto *timer = form->findChild<QTimer *>(name);
        QVERIFY(timer);
        QTEST(timer->interval(), "interval");
        QVERIFY(!timer->isActive()); // timers start with the window
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTEST(timer->isActive(), "runningWhenShown");
        controls(*form).Timer1->stop(); // keep the schedule out of this test
    }

    void menuBarHasElevenItems()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        const QList<QAction *> actions = form->menuBar()->actions();
        QCOMPARE(actions.size(), 11);
        const QStringList names = {"jiemu", "jiemian", "denglu", "qugg", "chuangkou", "n1", "n2", "n3", "n4", "n5", "n6"};
        const QStringList captions = {"看电视", "听广播", "账号登陆", "快速选台", "窗口置顶", "", "", "", "", "", ""};
        for (int i = 0; i < 11; ++i) {
            QCOMPARE(actions.at(i)->objectName(), names.at(i));
            QCOMPARE(actions.at(i)->text(), captions.at(i));
            QVERIFY(actions.at(i)->isEnabled());
            QVERIFY(actions.at(i)->isVisible());
            QVERIFY(!actions.at(i)->isChecked());
        }
    }

    void quickSelectBoxLooksAsDesigned()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        QLineEdit *box = controls(*form).Text5;
        QVERIFY(box->text().isEmpty());
        QCOMPARE(box->focusPolicy(), Qt::ClickFocus);
        QVERIFY(box->font().bold());
        QCOMPARE(box->font().pointSize(), 15);
        QCOMPARE(box->font().family(), QStringLiteral("宋体"));
        const QImage image = box->grab().toImage();
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::black));
    }

    void listColours()
    {
        QTemporaryDir dir;
        writeList(dir.filePath(QStringLiteral("dianshibiao.ini")), QStringLiteral("湖南卫视\r\nhttp://tv/1\r\n"));
        auto form = makeForm(dir);
        QVERIFY(showQuietly(*form));
        const QImage tv = controls(*form).List2->viewport()->grab().toImage();
        QCOMPARE(tv.pixelColor(tv.width() - 2, tv.height() - 2), QColor(Qt::black));
        controls(*form).jiemian->trigger();
        const QImage radio = controls(*form).List1->viewport()->grab().toImage();
        QCOMPARE(radio.pixelColor(radio.width() - 2, radio.height() - 2), QColor(Qt::white));
    }

    void firstDisplayIsCentred()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        QVERIFY(showQuietly(*form));
        const QPoint centre = form->screen()->availableGeometry().center();
        QVERIFY((form->frameGeometry().center() - centre).manhattanLength() <= 2);
    }

    void firstDisplayLaysOutTvView()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        QVERIFY(showQuietly(*form));
        QVERIFY(controls(*form).List2->isVisible());
        const LayoutState &s = form->layoutState();
        QCOMPARE(s.Image1.left, 1950);
        QCOMPARE(s.WebBrowser1.left, 2040);
        QCOMPARE(controls(*form).Image1->x(), px(1950));
        QCOMPARE(controls(*form).WebBrowser1->x(), px(2040));
        // The player reaches the right edge of the client area; the strip sits under it.
        const QWidget *client = form->centralWidget();
        QVERIFY(qAbs(controls(*form).WebBrowser1->geometry().right() + 1 - client->width()) <= 1);
        QCOMPARE(controls(*form).WebBrowser2->y(), controls(*form).WebBrowser1->height());
        QVERIFY(qAbs(controls(*form).WebBrowser2->geometry().bottom() + 1 - client->height()) <= 1);
    }

    void viewCommands()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        QVERIFY(showQuietly(*form));

        controls(*form).jiemian->trigger();
        QCOMPARE(form->ListMode(), ViewMode::Radio);
        QVERIFY(controls(*form).List1->isVisible() && controls(*form).Command2->isVisible() && controls(*form).Command3->isVisible());
        QVERIFY(!controls(*form).List2->isVisible());

        controls(*form).jiemu->trigger();
        QCOMPARE(form->ListMode(), ViewMode::Tv);
        QVERIFY(controls(*form).List2->isVisible());
        QVERIFY(controls(*form).List1->isVisible()); // left under List2, not hidden

        controls(*form).jiemian->trigger();
        QTest::mouseClick(controls(*form).Image1, Qt::LeftButton);
        QCOMPARE(form->ListMode(), ViewMode::PlayerOnly);
        QVERIFY(!controls(*form).List1->isVisible() && !controls(*form).List2->isVisible() && !controls(*form).Command2->isVisible());
        QCOMPARE(controls(*form).WebBrowser1->x(), px(100));
        QTest::mouseClick(controls(*form).Image1, Qt::LeftButton);
        QCOMPARE(form->ListMode(), ViewMode::Tv);
        QVERIFY(controls(*form).List2->isVisible());
        // None of the view commands navigates.
        QCOMPARE(rec(controls(*form).WebBrowser1)->navigations.size(), 1);
    }

    void vipTitleGivesVipLayout()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        QVERIFY(showQuietly(*form));
        const int playerHeight = form->layoutState().WebBrowser1.height;
        form->setWindowTitle(QStringLiteral("澄屿高清网络电视 V2.7 账号：abc VIP用户"));
        form->Form_Resize();
        QCOMPARE(form->layoutState().WebBrowser2.top, playerHeight + 3000);
        QCOMPARE(form->layoutState().WebBrowser1.height, playerHeight + 2675 - 1175);
    }

    void clickingRowsPlays()
    {
        QTemporaryDir dir;
        writeList(dir.filePath(QStringLiteral("dianshibiao.ini")),
                  QStringLiteral("湖南卫视\r\nhttp://tv/1\r\n浙江卫视\r\nhttp://tv/2\r\n"));
        writeList(dir.filePath(QStringLiteral("diantaibiao.ini")), QStringLiteral("中国之声 广播\r\nhttp://radio/1\r\n"));
        auto form = makeForm(dir);
        QVERIFY(showQuietly(*form));
        auto *player = rec(controls(*form).WebBrowser1);

        clickRow(controls(*form).List2, 1);
        QCOMPARE(player->lastNavigation(), QStringLiteral("http://tv/2"));
        clickRow(controls(*form).List2, 1);
        QCOMPARE(player->navigations.count(QStringLiteral("http://tv/2")), 2);

        controls(*form).jiemian->trigger();
        clickRow(controls(*form).List1, 0);
        QCOMPARE(player->lastNavigation(), QStringLiteral("http://radio/1"));
    }

    // A right-click on a list opens the menu with the items of every provider
    // (a separator between two providers), each told which list, row and
    // entry the menu is for; it never plays the row.
    void contextMenuShowsItsProviders_data()
    {
        QTest::addColumn<bool>("radio");
        QTest::addColumn<QString>("typed"); // into the quick-select box first
        QTest::addColumn<int>("row");       // -1: below the last row
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("url");
        QTest::newRow("TV row") << false << QString() << 1 << 1 << "http://tv/2";
        QTest::newRow("TV row of a filtered list") << false << "ZJ" << 0 << 1 << "http://tv/2";
        QTest::newRow("radio row") << true << QString() << 0 << 0 << "http://radio/1";
        QTest::newRow("below the rows") << false << QString() << -1 << -1 << QString();
    }
    void contextMenuShowsItsProviders()
    {
        QFETCH(bool, radio);
        QFETCH(QString, typed);
        QFETCH(int, row);
        QTemporaryDir dir;
        writeList(dir.filePath(QStringLiteral("dianshibiao.ini")),
                  QStringLiteral("湖南卫视\r\nhttp://tv/1\r\n浙江卫视\r\nhttp://tv/2\r\n"));
        writeList(dir.filePath(QStringLiteral("diantaibiao.ini")), QStringLiteral("中国之声 广播\r\nhttp://radio/1\r\n"));
        auto form = makeForm(dir);
        QVERIFY(showQuietly(*form));
        Form1Controls c = controls(*form);
        if (radio)
            c.jiemian->trigger();
        c.Text5->setText(typed);
        ListBox *list = radio ? c.List1 : c.List2;
        auto *player = rec(c.WebBrowser1);
        const qsizetype played = player->navigations.size();

        ListMenuTarget seen;
        c.listMenu->addProvider([&seen](QMenu &menu, const ListMenuTarget &target) {
            seen = target;
            menu.addAction(QStringLiteral("甲"));
        });
        c.listMenu->addProvider([](QMenu &, const ListMenuTarget &) {}); // adds nothing
        bool chosen = false;
        c.listMenu->addProvider([&chosen](QMenu &menu, const ListMenuTarget &target) {
            if (target.row >= 0)
                QObject::connect(menu.addAction(QStringLiteral("乙")), &QAction::triggered, [&chosen] { chosen = true; });
        });

        const QPoint at = row >= 0 ? list->visualRect(list->model()->index(row, 0)).center()
                                   : QPoint(5, list->viewport()->height() - 5);
        // Through the window, as the platform delivers a right-click.
        QTest::mouseClick(form->windowHandle(), Qt::RightButton, {}, list->viewport()->mapTo(form.get(), at));
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        auto *menu = static_cast<QMenu *>(QApplication::activePopupWidget());
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
        // The program's own items come first: the favourites', the playlist
        // commands, then the guide's.
        const QStringList added = row >= 0 ? QStringList({"|", "甲", "|", "乙"}) : QStringList{"|", "甲"};
        QCOMPARE(texts.mid(texts.size() - added.size()), added);
        const QStringList own = texts.first(texts.size() - added.size());
        QVERIFY(own.indexOf(QStringLiteral("只看收藏")) >= 0);
        QVERIFY(own.indexOf(QStringLiteral("只看收藏")) < own.indexOf(QStringLiteral("导入播放列表…")));
        QVERIFY(own.indexOf(QStringLiteral("导入播放列表…")) < own.indexOf(QStringLiteral("节目指南来源…")));
        QCOMPARE(seen.list, radio ? ViewMode::Radio : ViewMode::Tv);
        QCOMPARE(seen.directory->rowCount(), list->model()->rowCount());
        QCOMPARE(seen.row, row);
        QTEST(seen.entry, "entry");
        QTEST(seen.url, "url");
        QCOMPARE(seen.entryStillThere(), row >= 0);
        QCOMPARE(player->navigations.size(), played);

        if (row >= 0)
            menu->actions().constLast()->trigger();
        menu->close();
        QCOMPARE(chosen, row >= 0);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(player->navigations.size(), played);
    }

    void clickWithoutPlayableRowDoesNothing()
    {
        QTemporaryDir dir;
        writeList(dir.filePath(QStringLiteral("dianshibiao.ini")), QStringLiteral("湖南卫视\r\nhttp://tv/1\r\n"));
        auto form = makeForm(dir);
        auto *player = rec(controls(*form).WebBrowser1);
        Q_EMIT controls(*form).List1->Click(); // empty list
        QCOMPARE(player->navigations.size(), 1);

        // No row selected.
        controls(*form).List2->setListIndex(-1);
        Q_EMIT controls(*form).List2->Click();
        QCOMPARE(player->navigations.size(), 1);
        controls(*form).List2->setListIndex(0);
        Q_EMIT controls(*form).List2->Click();
        QCOMPARE(player->lastNavigation(), QStringLiteral("http://tv/1"));
    }

    void screenshotIsNotBlank()
    {
        QTemporaryDir dir;
        writeList(dir.filePath(QStringLiteral("dianshibiao.ini")), QStringLiteral("湖南卫视\r\nhttp://tv/1\r\n"));
        auto form = makeForm(dir);
        QVERIFY(showQuietly(*form));
        const QImage image = form->grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 3, "the window renders as a flat picture");
    }

    void closingUnloadsTheLoginDialog()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        QPointer<frmLogin> dialog = form->loginDialog();
        QVERIFY(dialog);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form->loginDialog(), dialog.data()); // created once
        form->show();
        controls(*form).Timer1->stop();
        QVERIFY(form->close());
        QVERIFY(!dialog->isVisible());
        QVERIFY(form->existingLoginDialog() == nullptr);
        QTRY_VERIFY(dialog.isNull());
    }

    void loginDialogAsDesigned()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        frmLogin *dialog = form->loginDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("澄屿用户登录"));
        QCOMPARE(dialog->size(), QSize(px(3756), px(1896)));
        QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
        QCOMPARE(dialog->cmdOK->text(), QStringLiteral("登陆"));
        QCOMPARE(dialog->cmdCancel->text(), QStringLiteral("取消"));
        QCOMPARE(dialog->Command1->text(), QStringLiteral("用户注册"));
        QVERIFY(dialog->cmdOK->isDefault());
        QVERIFY(dialog->Text1->isReadOnly());
        QCOMPARE(dialog->txtPassword->echoMode(), QLineEdit::Password);
        QVERIFY(!dialog->txtPassword->testAttribute(Qt::WA_InputMethodEnabled));
        const QList<QLabel *> labels = dialog->findChildren<QLabel *>(QStringLiteral("lblLabels"));
        QCOMPARE(labels.size(), 2);
        QCOMPARE(labels.at(0)->text(), QStringLiteral("用户(&U):"));
        QCOMPARE(labels.at(0)->buddy(), dialog->txtUserName);
        QCOMPARE(labels.at(1)->text(), QStringLiteral("密码(&P):"));
        QCOMPARE(labels.at(1)->buddy(), dialog->txtPassword);
        QCOMPARE(dialog->txtUserName->nextInFocusChain(), dialog->txtPassword);
        QCOMPARE(dialog->cmdOK->geometry(), QRect(px(120), px(1020), px(1140), px(390)));
    }

    // A paste keeps the first characters that fit into 20, wherever the caret
    // stands and whatever is selected; the program's own text is kept whole.
    void pasteIntoLoginBoxes_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
        QTest::newRow("into an empty box") << QString() << 0 << 0 << letters << letters.left(20);
        QTest::newRow("fits whole") << QStringLiteral("ab") << 2 << 0 << QStringLiteral("cd") << QStringLiteral("abcd");
        QTest::newRow("after text") << QStringLiteral("12345") << 5 << 0 << letters << QStringLiteral("12345") + letters.left(15);
        QTest::newRow("in the middle") << QStringLiteral("1234") << 2 << 0 << letters
                                       << QStringLiteral("12") + letters.left(16) + QStringLiteral("34");
        QTest::newRow("over a selection") << QStringLiteral("123456") << 1 << 4 << letters
                                          << QStringLiteral("1") + letters.left(18) + QStringLiteral("6");
        QTest::newRow("into a full box") << letters.left(20) << 20 << 0 << QStringLiteral("x") << letters.left(20);
        QTest::newRow("Chinese") << QString() << 0 << 0 << QString(30, u'张') << QString(20, u'张');
        QTest::newRow("onto a longer saved text") << letters.left(25) << 25 << 0 << QStringLiteral("x")
                                                  << letters.left(25);
        QTest::newRow("over part of a longer saved text") << letters.left(25) << 0 << 10 << QStringLiteral("0123456789AB")
                                                          << QStringLiteral("0123456789") + letters.mid(10, 15);
    }
    void pasteIntoLoginBoxes()
    {
        QFETCH(QString, before);
        QFETCH(int, caret);
        QFETCH(int, selected);
        QFETCH(QString, pasted);
        frmLogin dialog;
        dialog.setAccount(before, before);
        for (QLineEdit *box : {dialog.txtUserName, dialog.txtPassword}) {
            QCOMPARE(box->text(), before);
            box->setSelection(caret, selected);
            if (selected == 0)
                box->setCursorPosition(caret);
            QGuiApplication::clipboard()->setText(pasted);
            box->paste();
            QTEST(box->text(), "after");
        }
    }

    void loginDialogKeys()
    {
        QTemporaryDir dir;
        auto form = makeForm(dir);
        frmLogin *dialog = form->loginDialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QSignalSpy signUp(dialog->Command1, &QPushButton::clicked);
        QSignalSpy login(dialog->cmdOK, &QPushButton::clicked);
        dialog->txtUserName->setFocus();
        QTest::keyClick(dialog->txtUserName, Qt::Key_Escape);
        QCOMPARE(signUp.size(), 1);
        QVERIFY(dialog->isVisible());
        QTest::keyClick(dialog->txtUserName, Qt::Key_Return);
        QCOMPARE(login.size(), 1);
        for (QLineEdit *box : {dialog->txtUserName, dialog->txtPassword}) {
            QTest::keyClicks(box, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
            QCOMPARE(box->text(), QStringLiteral("abcdefghijklmnopqrst"));
        }
        // Enter on a focused button presses that button, not the default one.
        QSignalSpy cancel(dialog->cmdCancel, &QPushButton::clicked);
        dialog->cmdCancel->setFocus();
        QTest::keyClick(dialog->cmdCancel, Qt::Key_Return);
        QCOMPARE(cancel.size(), 1);
        QCOMPARE(login.size(), 1);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
