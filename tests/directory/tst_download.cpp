#include "account/credentialsfile.h"
#include "account/frmlogin.h"
#include "directory/startupschedule.h"
#include "platform/codepage936.h"
#include "platform/listbox.h"
#include "listrows.h"
#include "recordingwebview.h"
#include "form1controls.h"
#include "shell/form1.h"
#include "testhttpserver.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include "platform/multilinetextbox.h"
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <unistd.h>

namespace {

const QString kTvPath = QStringLiteral("/user/jiemubiao.asp");
const QString kRadioPath = QStringLiteral("/user/diantaibiao.asp");
const QString kTvText = QStringLiteral("湖南卫视\r\nhttp://tv/1\r\n浙江卫视\r\nhttp://tv/2\r\nCCTV-1\r\nhttp://tv/3");
const QString kRadioText = QStringLiteral("中国之声 广播\r\nhttp://radio/1");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(cp936::fromUnicode(text));
}

RecordingWebView *rec(WebView *view) { return static_cast<RecordingWebView *>(view); }

// Row k, the working URL at k and the working entry line at k describe the same entry.
void verifyInStep(const ListBox *list, const QStringList &lines, const QStringList &urls)
{
    QCOMPARE(urls.size(), list->ListCount());
    QCOMPARE(lines.size(), list->ListCount());
    for (int k = 0; k < list->ListCount(); ++k)
        QVERIFY2(lines.at(k).startsWith(list->List(k)), qPrintable(list->List(k)));
}

void verifyTvInStep(const Form1 &form) { verifyInStep(controls(form).List2, form.TvLine(), form.TvUrl()); }

} // namespace

class TestDownload : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestHttpServer> host1;
    std::unique_ptr<TestHttpServer> host2;
    std::unique_ptr<QTemporaryDir> dir;

    std::unique_ptr<Form1> makeForm()
    {
        auto form = std::make_unique<Form1>(dir->path(), ServiceHosts{host1->baseUrl(), host2->baseUrl()},
                                            recordingWebViewFactory());
        return form;
    }
    QString file(const char *name) const { return dir->filePath(QLatin1String(name)); }

private Q_SLOTS:
    void init()
    {
        host1 = std::make_unique<TestHttpServer>();
        host2 = std::make_unique<TestHttpServer>();
        dir = std::make_unique<QTemporaryDir>();
    }

    void host2WithMarkerIsUsedAlone()
    {
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(kTvText));
        auto form = makeForm();
        controls(*form).Command2->click();
        QCOMPARE(host2->requests(), QStringList{kTvPath + "?yh="});
        QCOMPARE(host1->requestCount(), 0);
        QCOMPARE(listRows(controls(*form).List2), (QStringList{"0000.湖南卫视", "0001.浙江卫视", "0002.CCTV-1"}));
        QCOMPARE(form->TvUrl(), (QStringList{"http://tv/1", "http://tv/2", "http://tv/3"}));
        QCOMPARE(form->TvUrlAll(), form->TvUrl());
        QCOMPARE(form->TvLineAll().at(2), QStringLiteral("0002.CCTV-1") + QString(12, u' ') + "CCTV1");
        QCOMPARE(controls(*form).Text2->Text(), kTvText);
        form->show(); // the hidden holder shows its text when shown
        controls(*form).Timer1->stop();
        controls(*form).Text2->show();
        QCOMPARE(controls(*form).Text2->toPlainText(), QString(kTvText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QCOMPARE(readFile(file("dianshibiao.ini")), cp936::fromUnicode(kTvText + "\r\n"));
        verifyTvInStep(*form);
    }

    void host1IsAskedWhenHost2LacksTheMarker()
    {
        host2->setAnswer(kTvPath, TestHttpAnswer::html(QStringLiteral("<html>服务器错误</html>"), 500));
        host1->setAnswer(kTvPath, TestHttpAnswer::gbk(kTvText + "\r\n"));
        auto form = makeForm();
        controls(*form).Command2->click();
        QCOMPARE(host2->requestCount(), 1);
        QCOMPARE(host1->requestCount(), 1);
        QCOMPARE(controls(*form).List2->ListCount(), 3); // the empty last line forms no entry
        QCOMPARE(readFile(file("dianshibiao.ini")), cp936::fromUnicode(kTvText + "\r\n\r\n"));
    }

    void failedRefreshChangesNothing()
    {
        const QString old = QStringLiteral("湖南卫视\r\nhttp://old/1\r\n");
        writeFile(file("dianshibiao.ini"), old);
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(QStringLiteral("no list here")));
        auto form = makeForm();
        const QStringList rows = listRows(controls(*form).List2);
        const QStringList urls = form->TvUrlAll();
        const QStringList lines = form->TvLine();
        controls(*form).Command2->click();
        QCOMPARE(host1->requestCount(), 1); // asked, answered 404
        QCOMPARE(listRows(controls(*form).List2), rows);
        QCOMPARE(form->TvUrlAll(), urls);
        QCOMPARE(form->TvLine(), lines);
        QCOMPARE(readFile(file("dianshibiao.ini")), cp936::fromUnicode(old));
        QVERIFY(controls(*form).Command2->isEnabled());
    }

    void lineEnds_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("urls");
        QTest::newRow("crlf") << QStringLiteral("a卫视\r\nu1\r\nb\r\nu2\r\n") << QStringList{"u1", "u2"};
        QTest::newRow("lf only") << QStringLiteral("a卫视\nu1\nb\nu2\n") << QStringList{"u1", "u2"};
        QTest::newRow("unpaired last line") << QStringLiteral("a卫视\r\nu1\r\nb") << QStringList{"u1"};
        // Every line end separates two lines: the empty line after the last
        // one pairs with an unpaired name.
        QTest::newRow("odd lines ending in crlf") << QStringLiteral("a卫视\r\nu1\r\nb\r\n") << QStringList{"u1", ""};
        QTest::newRow("empty line at the end") << QStringLiteral("a卫视\r\nu1\r\n\r\n") << QStringList{"u1", ""};
        QTest::newRow("empty name and url") << QStringLiteral("\r\n\r\nx卫视\r\nu") << QStringList{"", "u"};
    }
    void lineEnds()
    {
        QFETCH(QString, reply);
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(reply));
        auto form = makeForm();
        controls(*form).Command2->click();
        QTEST(form->TvUrl(), "urls");
        verifyTvInStep(*form);
        QCOMPARE(readFile(file("dianshibiao.ini")), cp936::fromUnicode(reply + "\r\n"));
    }

    void emptyNameGivesNumberOnlyRow()
    {
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(QStringLiteral("\r\nhttp://x\r\n卫视\r\nhttp://y")));
        auto form = makeForm();
        controls(*form).Command2->click();
        QCOMPARE(controls(*form).List2->List(0), QStringLiteral("0000."));
    }

    void verificationPageOnlyForTvWithUnknownGrade()
    {
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(kTvText));
        host2->setAnswer(kRadioPath, TestHttpAnswer::gbk(kRadioText));
        auto form = makeForm();
        auto *notice = rec(controls(*form).WebBrowser2);

        controls(*form).Command2->click(); // no account: no verification page
        QCOMPARE(notice->navigations.size(), 1);

        // The same with a saved account name.
        QVERIFY(saveAccountNameOnly(dir->path(), QStringLiteral("abc")));
        form = makeForm();
        notice = rec(controls(*form).WebBrowser2);
        controls(*form).Command2->click();
        QCOMPARE(host2->lastRequest(), kTvPath + "?yh=abc");
        QCOMPARE(notice->lastNavigation(), host2->url(QStringLiteral("/user/yanzhen.asp?yh=abc")));

        controls(*form).Command3->click();
        QCOMPARE(notice->navigations.size(), 2);

        form->loginDialog()->Text1->setText(QStringLiteral("普通用户"));
        controls(*form).Command2->click();
        QCOMPARE(notice->navigations.size(), 2);
    }

    void refreshWhileTheFilterBoxHoldsText()
    {
        writeFile(file("dianshibiao.ini"), QStringLiteral("湖南卫视\r\nhttp://old/1\r\n"));
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(kTvText));
        auto form = makeForm();
        controls(*form).Text5->setText(QStringLiteral("HNWS"));
        QCOMPARE(controls(*form).List2->ListCount(), 1);
        controls(*form).Command2->click();
        // The complete new directory; the filter waits for the next change of the box.
        QCOMPARE(controls(*form).List2->ListCount(), 3);
        verifyTvInStep(*form);
        controls(*form).Text5->setText(QStringLiteral("ZJWS"));
        QCOMPARE(listRows(controls(*form).List2), QStringList{QStringLiteral("0001.浙江卫视") + QString(12, u' ') + "ZJWS"});
    }

    void shorterListLeavesNothingBehind()
    {
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(kTvText));
        auto form = makeForm();
        controls(*form).Command2->click();
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(QStringLiteral("北京卫视\r\nhttp://new/1")));
        controls(*form).Command2->click();
        QCOMPARE(form->TvUrlAll(), QStringList{"http://new/1"});
        QCOMPARE(form->TvLineAll().size(), 1);
        QCOMPARE(controls(*form).List2->ListCount(), 1);
    }

    void overlappingDownloadsKeepTheirOwnText()
    {
        TestHttpAnswer slowTv = TestHttpAnswer::gbk(kTvText);
        slowTv.delayMs = 800;
        host2->setAnswer(kTvPath, slowTv);
        host2->setAnswer(kRadioPath, TestHttpAnswer::gbk(kRadioText));
        auto form = makeForm();
        bool disabledDuringRun = false;
        QTimer::singleShot(50, form.get(), [&] {
            const QCursor *cursor = QGuiApplication::overrideCursor();
            disabledDuringRun = !controls(*form).Command2->isEnabled() && cursor && cursor->shape() == Qt::BusyCursor;
            controls(*form).Command2->click(); // ignored while its own run lasts
            controls(*form).Command3->click();
        });
        controls(*form).Command2->click();
        QVERIFY(disabledDuringRun);
        QCOMPARE(host2->requestCount(kTvPath), 1);
        QCOMPARE(form->RadioUrl(), QStringList{"http://radio/1"});
        QCOMPARE(form->TvUrl().size(), 3);
        QCOMPARE(readFile(file("diantaibiao.ini")), cp936::fromUnicode(kRadioText + "\r\n"));
        QCOMPARE(readFile(file("dianshibiao.ini")), cp936::fromUnicode(kTvText + "\r\n"));
        QCOMPARE(controls(*form).Text2->Text(), kTvText); // the last accepted text
        QVERIFY(controls(*form).Command2->isEnabled());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        verifyInStep(controls(*form).List1, form->RadioLine(), form->RadioUrl());
        verifyTvInStep(*form);
    }

    void filterDuringFailedRefreshKeepsRowsAndTablesInStep_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("rows");
        QTest::newRow("no match") << QStringLiteral("zzz") << 0;
        QTest::newRow("one match") << QStringLiteral("ZJWS") << 1;
    }
    void filterDuringFailedRefreshKeepsRowsAndTablesInStep()
    {
        writeFile(file("dianshibiao.ini"), kTvText);
        TestHttpAnswer slow = TestHttpAnswer::gbk(QStringLiteral("no list"));
        slow.delayMs = 800;
        host2->setAnswer(kTvPath, slow);
        auto form = makeForm();
        QFETCH(QString, typed);
        QTimer::singleShot(50, form.get(), [&] { controls(*form).Text5->setText(typed); });
        controls(*form).Command2->click();
        QTEST(int(controls(*form).List2->ListCount()), "rows");
        verifyTvInStep(*form);
        QCOMPARE(form->TvUrlAll().size(), 3);
    }

    void unwritableDirectoryKeepsOldFile()
    {
        if (::geteuid() == 0)
            QSKIP("the superuser writes into read-only directories");
        const QString old = QStringLiteral("湖南卫视\r\nhttp://old/1\r\n");
        writeFile(file("dianshibiao.ini"), old);
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(kTvText));
        auto form = makeForm();
        QFile::setPermissions(dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        controls(*form).Command2->click();
        QFile::setPermissions(dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(readFile(file("dianshibiao.ini")), cp936::fromUnicode(old));
        QCOMPARE(controls(*form).List2->ListCount(), 3);
    }

    void listFileInTheWayKeepsTheProgramRunning()
    {
        // A directory where the list file should be: the write fails, the list still shows.
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("diantaibiao.ini")));
        host2->setAnswer(kRadioPath, TestHttpAnswer::gbk(kRadioText));
        auto form = makeForm();
        controls(*form).Command3->click();
        QCOMPARE(controls(*form).List1->ListCount(), 1);
        QVERIFY(QFileInfo(file("diantaibiao.ini")).isDir());
    }

    void startupTicksLogInAndFetchMissingLists()
    {
        host1->setAnswer(QStringLiteral("/user/denglu.asp"), TestHttpAnswer::gbk(QStringLiteral("普通用户")));
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(kTvText));
        host2->setAnswer(kRadioPath, TestHttpAnswer::gbk(kRadioText));
        writeFile(file("diantaibiao.ini"), QStringLiteral("旧电台 广播\r\nhttp://old\r\n"));
        QVERIFY(SaveCredentials(dir->path(), QStringLiteral("abc"), QStringLiteral("pw")));
        auto form = makeForm();
        controls(*form).Timer1->start();
        for (int tick = 1; tick <= 10; ++tick)
            controls(*form).schedule->Timer1_Timer();
        QCOMPARE(host1->requests(), QStringList{"/user/denglu.asp?yh=abc&pw=pw"});
        QCOMPARE(host2->requests(), QStringList{kTvPath + "?yh=abc"}); // the radio file exists
        QCOMPARE(controls(*form).List2->ListCount(), 3);
        QCOMPARE(controls(*form).List1->List(0), QStringLiteral("0000.旧电台 广播"));
        QCOMPARE(form->windowTitle(), QStringLiteral("澄屿高清网络电视 V2.7 账号：abc 普通用户"));
        QCOMPARE(controls(*form).Text3->text(), QStringLiteral("10"));
        QVERIFY(!controls(*form).Timer1->isActive());
    }

    // The lists and the saved account go to the data folder and come back from
    // it at the next start; with no data folder they are shown and used but
    // kept nowhere, and each missing list is asked for once.
    void filesAreKeptInTheDataFolder_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::newRow("a data folder of its own") << true;
        QTest::newRow("nothing kept") << false;
    }
    void filesAreKeptInTheDataFolder()
    {
        QFETCH(bool, keep);
        host2->setAnswer(kTvPath, TestHttpAnswer::gbk(kTvText));
        host2->setAnswer(kRadioPath, TestHttpAnswer::gbk(kRadioText));
        QTemporaryDir data;
        QTemporaryDir workingDir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(workingDir.path());
        const AppPaths paths(dir->path(), keep ? data.path() : QString());
        const ServiceHosts hosts{host1->baseUrl(), host2->baseUrl()};
        {
            Form1 form(paths, hosts, recordingWebViewFactory());
            for (int tick = 1; tick <= 10; ++tick)
                controls(form).schedule->Timer1_Timer();
            QCOMPARE(controls(form).List2->ListCount(), 3);
            QCOMPARE(controls(form).List1->ListCount(), 1);
            form.loginDialog()->txtUserName->setText(QStringLiteral("vip"));
            form.loginDialog()->txtPassword->setText(QStringLiteral("123456"));
            form.close();
        }
        QCOMPARE(host2->requestCount(), 2);
        Form1 next(paths, hosts, recordingWebViewFactory());
        QDir::setCurrent(previous);

        const auto files = QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(dir->path()).entryList(files), QStringList());
        QCOMPARE(QDir(workingDir.path()).entryList(files), QStringList());
        const QStringList kept{"dianshibiao.ini", "diantaibiao.ini", "lumatv.dat"};
        QCOMPARE(QDir(data.path()).entryList(files), keep ? kept : QStringList());
        QCOMPARE(controls(next).List2->ListCount(), keep ? 3 : 0);
        QCOMPARE(next.SavedUser(), keep ? QStringLiteral("vip") : QString());
    }

    void badReplies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("entries");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("invalid gbk") << QByteArray("\xFF\xFE\x81\xCE\xC0\xCA\xD3\r\nu\r\n", 11) << 1;
        QByteArray endless(4 * 1024 * 1024, 'x');
        endless += cp936::fromUnicode(QStringLiteral("卫视"));
        QTest::newRow("one endless line") << endless << 0;
        QByteArray many;
        for (int i = 0; i < 200000; ++i)
            many += cp936::fromUnicode(QStringLiteral("卫视%1\r\nhttp://h/%1\r\n").arg(i));
        QTest::newRow("200000 entries") << many << 200000;
    }
    void badReplies()
    {
        QFETCH(QByteArray, body);
        TestHttpAnswer answer = TestHttpAnswer::text(body, 200, "text/plain; charset=gb2312");
        host2->setAnswer(kTvPath, answer);
        auto form = makeForm();
        controls(*form).Command2->click();
        QTEST(int(form->TvUrlAll().size()), "entries");
        verifyTvInStep(*form);
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
