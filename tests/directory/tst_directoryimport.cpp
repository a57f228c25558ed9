#include "account/fetch.h"
#include "directory/playlistdialogs.h"
#include "listrows.h"
#include "platform/codepage936.h"
#include "playlist/companion.h"
#include "playlist/playlistsource.h"
#include "recordingwebview.h"
#include "form1controls.h"
#include "shell/form1.h"
#include "testhttpserver.h"
#include "testfiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kTvPath = QStringLiteral("/user/jiemubiao.asp");
const QString kDownloaded = QStringLiteral("湖南卫视\r\nhttp://tv/1\r\n浙江卫视\r\nhttp://tv/2\r\n");
const QByteArray kPlaylist = "#EXTM3U url-tvg=\"http://g/e.xml\"\n"
                             "#EXTINF:-1 tvg-id=\"c1\" tvg-logo=\"http://l/c1.png\" group-title=\"央视\",CCTV-1 综合\n"
                             "#EXTVLCOPT:http-user-agent=ChengyuTV-Demo\nhttp://c/1\n"
                             "#EXTINF:-1 group-title=\"卫视\",浙江卫视\nhttp://tv/2\n"
                             "#EXTINF:-1 radio=\"true\",中国之声\nhttp://r/1\n";

// Each row with its tooltip, as the list shows them.
QStringList rowsWithTips(const ListBox *list)
{
    QStringList rows;
    for (int r = 0; r < list->ListCount(); ++r) {
        const QModelIndex index = list->model()->index(r, 0);
        const QString tip = index.data(Qt::ToolTipRole).toString();
        rows << index.data().toString() + (tip.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(tip));
    }
    return rows;
}

// Right-clicks the list and clicks the menu item with that object name.
void chooseFromMenu(Form1 &form, ListBox *list, const char *item)
{
    QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, list->viewport()->mapTo(&form, QPoint(4, 4)));
    QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
    auto *menu = static_cast<QMenu *>(QApplication::activePopupWidget());
    QAction *action = menu->findChild<QAction *>(QLatin1String(item));
    QVERIFY(action && action->isEnabled());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

// Picks the file in the file dialog and accepts it. (Typing into the name
// box races the dialog's file model, which loads on a thread of its own.)
void chooseFile(QFileDialog *dialog, const QString &path)
{
    dialog->selectFile(path);
    QMetaObject::invokeMethod(dialog, "accept");
}

// Drags the data onto the list and drops it there; false when the list refused it.
bool dropOnto(ListBox *list, QMimeData *data, Qt::KeyboardModifiers modifiers = {})
{
    const QPoint at(6, 6);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(list->viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(list->viewport(), &drop);
    return drop.isAccepted();
}

// The message an import left, closed again; empty when there is none.
QString takeMessage(Form1 &form)
{
    QMessageBox *box = form.findChild<QMessageBox *>(QStringLiteral("playlistMessage"));
    if (!box)
        return QString();
    const QString text = box->text();
    box->setObjectName(QString());
    box->close();
    return text;
}

class SettingsOverride
{
public:
    explicit SettingsOverride(const FetchSettings &settings) : m_previous(setFetchSettings(settings)) {}
    ~SettingsOverride() { setFetchSettings(m_previous); }

private:
    FetchSettings m_previous;
};

} // namespace

class TestDirectoryImport : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestHttpServer> server;
    std::unique_ptr<QTemporaryDir> dir;

    std::unique_ptr<Form1> makeForm()
    {
        auto form = std::make_unique<Form1>(dir->path(), ServiceHosts{server->baseUrl(), server->baseUrl()},
                                            recordingWebViewFactory());
        form->show();
        controls(*form).Timer1->stop(); // the test alone decides what happens
        return QTest::qWaitForWindowExposed(form.get()) ? std::move(form) : nullptr;
    }
    QString file(const char *name) const { return dir->filePath(QString::fromUtf8(name)); }
    QString playlistFile(const QByteArray &bytes, const char *name = "list.m3u8")
    {
        const QString path = file(name);
        return writeFile(path, bytes) ? path : QString();
    }

private Q_SLOTS:
    void init()
    {
        server = std::make_unique<TestHttpServer>();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(writeFile(file("dianshibiao.ini"), cp936::fromUnicode(kDownloaded)));
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
        waitForCompanionFiles();
    }

    // 导入播放列表… replaces the list; ticked 追加到当前列表 appends what is
    // not listed yet. The next start shows the same rows, tooltips included,
    // and quick select and clicks work on them.
    void importFromFileAndRestart()
    {
        auto form = makeForm();
        QVERIFY(form);
        ListBox *list = controls(*form).List2;
        const QString first = playlistFile(kPlaylist);
        chooseFromMenu(*form, list, "importFile");
        QFileDialog *dialog = nullptr;
        QTRY_VERIFY((dialog = form->findChild<QFileDialog *>(QStringLiteral("importFileDialog"))));
        QCOMPARE(dialog->findChild<QCheckBox *>(QStringLiteral("appendBox"))->text(), QStringLiteral("追加到当前列表"));
        chooseFile(dialog, first);
        const QStringList imported{"0000.CCTV-1 综合 [分组：央视\n台标：http://l/c1.png]", "0001.浙江卫视 [分组：卫视]",
                                   "0002.中国之声"};
        QTRY_COMPARE(rowsWithTips(list), imported);
        waitForCompanionFiles(); // it follows the import on a thread of its own
        QVERIFY(readFile(file("dianshibiao.m3u8")).startsWith("#EXTM3U url-tvg=\"http://g/e.xml\"\n"));

        chooseFromMenu(*form, list, "importFile");
        QTRY_VERIFY((dialog = form->findChild<QFileDialog *>(QStringLiteral("importFileDialog"))));
        dialog->findChild<QCheckBox *>(QStringLiteral("appendBox"))->setChecked(true);
        chooseFile(dialog, playlistFile("#EXTINF:-1,重复\nhttp://tv/2\n#EXTINF:-1,北京新闻\nhttp://tv/9\n", "more.m3u"));
        const QStringList appended = imported + QStringList{"0003.北京新闻"};
        QTRY_COMPARE(rowsWithTips(list), appended);
        QCOMPARE(takeMessage(*form), QString());

        form.reset();
        form = makeForm();
        list = controls(*form).List2;
        QCOMPARE(rowsWithTips(list), appended);
        QCOMPARE(form->TvLineAll().at(3), QStringLiteral("0003.北京新闻            BJXW"));
        controls(*form).Text5->setText(QStringLiteral("CCTV"));
        QCOMPARE(listRows(list), QStringList{form->TvLineAll().at(0)});
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
        QCOMPARE(static_cast<RecordingWebView *>(controls(*form).WebBrowser1)->lastNavigation(),
                 QStringLiteral("http://c/1|User-Agent=ChengyuTV-Demo"));
    }

    // 从网址导入播放列表… fetches with a browser's User-Agent under the busy
    // cursor; 导出播放列表… writes the directory out, and importing that
    // file gives the same directory back.
    void importFromUrlAndExport()
    {
        server->setAnswer(QStringLiteral("/lists/tv.m3u8"), TestHttpAnswer::text(kPlaylist));
        Qt::CursorShape whileFetching = Qt::ArrowCursor;
        connect(server.get(), &TestHttpServer::requestReceived, this, [&whileFetching] {
            if (const QCursor *cursor = QGuiApplication::overrideCursor())
                whileFetching = cursor->shape();
        });
        auto form = makeForm();
        QVERIFY(form);
        ListBox *list = controls(*form).List1;
        controls(*form).jiemian->trigger();
        chooseFromMenu(*form, list, "importUrl");
        UrlImportDialog *dialog = nullptr;
        QTRY_VERIFY((dialog = form->findChild<UrlImportDialog *>()));
        QPushButton *ok = nullptr;
        for (QPushButton *button : dialog->findChildren<QPushButton *>())
            ok = button->text() == QStringLiteral("导入") ? button : ok;
        QVERIFY(ok);
        auto *box = dialog->findChild<QLineEdit *>(QStringLiteral("urlBox"));
        QTest::keyClicks(box, QStringLiteral("ftp://x/a.m3u"));
        QVERIFY(!ok->isEnabled());
        box->setText(server->url(QStringLiteral("/lists/tv.m3u8")));
        QVERIFY(ok->isEnabled());
        ok->click();
        QTRY_COMPARE(list->ListCount(), 3);
        QCOMPARE(whileFetching, Qt::BusyCursor);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(server->lastRequestHeader("User-Agent"), QByteArray(PlaylistUserAgent));
        const QStringList rows = rowsWithTips(list);
        const QStringList lines = form->RadioLineAll();

        const QString exported = file("电台.m3u8");
        chooseFromMenu(*form, list, "exportFile");
        QFileDialog *save = nullptr;
        QTRY_VERIFY((save = form->findChild<QFileDialog *>(QStringLiteral("exportFileDialog"))));
        chooseFile(save, exported);
        QTRY_VERIFY(readFile(exported).startsWith("#EXTM3U"));
        QVERIFY(readFile(exported).contains("radio=\"true\",CCTV-1 综合\n#EXTVLCOPT:http-user-agent=ChengyuTV-Demo\n"));

        // Dropped onto a radio list that holds something else.
        QVERIFY(writeFile(file("diantaibiao.ini"), "CCTV-5\r\nhttp://x/5\r\n"));
        waitForCompanionFiles();
        QVERIFY(QFile::remove(file("diantaibiao.m3u8")));
        form.reset();
        form = makeForm();
        QCOMPARE(form->RadioUrlAll(), QStringList{"http://x/5"});
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(exported)});
        QVERIFY(dropOnto(controls(*form).List1, &data));
        QTRY_COMPARE(rowsWithTips(controls(*form).List1), rows);
        QCOMPARE(form->RadioLineAll(), lines);
    }

    // A URL import that fails leaves the directory and its files as they were.
    void failedUrlImportChangesNothing_data()
    {
        QTest::addColumn<TestHttpAnswer>("answer");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("why");
        const QString cannot = QStringLiteral("无法下载");
        QTest::newRow("refused") << TestHttpAnswer() << true << cannot;
        QTest::newRow("never answers") << TestHttpAnswer::silent() << false << cannot;
        QTest::newRow("redirects for ever") << TestHttpAnswer::redirect(QStringLiteral("/lists/tv.m3u8")) << false
                                            << cannot;
        QTest::newRow("larger than the cap") << TestHttpAnswer::text(QByteArray(70 * 1024, 'x')) << false << cannot;
        QTest::newRow("an error page") << TestHttpAnswer::html(QStringLiteral("<h1>Not found</h1>"), 404) << false
                                       << QStringLiteral("其中没有可用的频道");
    }
    void failedUrlImportChangesNothing()
    {
        QFETCH(TestHttpAnswer, answer);
        QFETCH(bool, refused);
        FetchSettings settings;
        settings.idleTimeoutMs = 500;
        settings.maxBodyBytes = 64 * 1024;
        const SettingsOverride limits(settings);
        server->setAnswer(QStringLiteral("/lists/tv.m3u8"), answer);
        auto form = makeForm();
        QVERIFY(form);
        const QByteArray before = readFile(file("dianshibiao.ini"));
        const QString url = (refused ? TestHttpServer::refusedBaseUrl() : server->baseUrl()) + "/lists/tv.m3u8";
        QMimeData data;
        data.setText(url);
        QVERIFY(dropOnto(controls(*form).List2, &data));
        QTRY_VERIFY_WITH_TIMEOUT(form->findChild<QMessageBox *>(QStringLiteral("playlistMessage")), 10000);
        const QString message = takeMessage(*form);
        QVERIFY2(message.startsWith(url + QStringLiteral("：")), qPrintable(message));
        QFETCH(QString, why);
        QVERIFY2(message.contains(why), qPrintable(message));
        QCOMPARE(form->TvUrlAll(), (QStringList{"http://tv/1", "http://tv/2"}));
        QCOMPARE(readFile(file("dianshibiao.ini")), before);
        QVERIFY(!QFile::exists(file("dianshibiao.m3u8")));
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // The command line's playlist: its radio entries go to the radio
    // directory, the rest to the TV directory; one with nothing in it
    // changes nothing. Drops: Ctrl appends, and what is no playlist source
    // is refused.
    void commandLineAndDrops()
    {
        auto form = makeForm();
        QVERIFY(form);
        form->importPlaylist(playlistFile("#EXTM3U\nnothing here\n", "empty.m3u"));
        QCOMPARE(takeMessage(*form), QStringLiteral("empty.m3u：其中没有可用的频道"));
        QCOMPARE(form->TvUrlAll(), (QStringList{"http://tv/1", "http://tv/2"}));

        form->importPlaylist(playlistFile(kPlaylist));
        QCOMPARE(form->TvUrlAll(), (QStringList{"http://c/1|User-Agent=ChengyuTV-Demo", "http://tv/2"}));
        QCOMPARE(form->RadioUrlAll(), QStringList{"http://r/1"});
        QCOMPARE(readFile(file("diantaibiao.ini")), cp936::fromUnicode(QStringLiteral("中国之声\r\nhttp://r/1\r\n")));

        server->setAnswer(QStringLiteral("/more.pls"), TestHttpAnswer::text("[playlist]\nFile1=http://r/2\nTitle1=音乐之声\n"));
        QMimeData data;
        data.setText(server->url(QStringLiteral("/more.pls")));
        QVERIFY(dropOnto(controls(*form).List1, &data, Qt::ControlModifier));
        QTRY_COMPARE(form->RadioUrlAll(), (QStringList{"http://r/1", "http://r/2"}));
        QMimeData junk;
        junk.setText(QStringLiteral("hello"));
        QVERIFY(!dropOnto(controls(*form).List1, &junk));
        QCOMPARE(takeMessage(*form), QString());
    }
};

QTEST_MAIN(TestDirectoryImport)
#include "tst_directoryimport.moc"
