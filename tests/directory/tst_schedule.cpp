#include "directory/startupschedule.h"
#include "recordingwebview.h"
#include "form1controls.h"
#include "shell/form1.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const ServiceHosts kHosts{QStringLiteral("http://127.0.0.1:1"), QStringLiteral("http://127.0.0.1:2")};
const QString kVerification = QStringLiteral("http://127.0.0.1:1/user/yanzhen.asp");
const QString kAccountPage = QStringLiteral("http://127.0.0.1:1/user/Download2.asp?yh=");

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// A schedule over a stand-in tick counter, its signals wired to counters
// and to two recording views, as the main window wires them.
struct Rig
{
    QTemporaryDir dir;
    QLineEdit text3;
    RecordingWebView main;
    RecordingWebView notice;
    SavedCredentials saved;
    int logins = 0;
    int tvDownloads = 0;
    int radioDownloads = 0;
    int finished = 0;
    // Extra work a step does while it "waits", to model a fetch.
    std::function<void()> duringLogin;
    std::function<void()> duringTv;
    std::unique_ptr<StartupSchedule> schedule;

    Rig()
    {
        schedule = std::make_unique<StartupSchedule>(&text3, file("dianshibiao.ini"), file("diantaibiao.ini"), saved,
                                                     Endpoints(kHosts));
        StartupSchedule *s = schedule.get();
        QObject::connect(s, &StartupSchedule::loginDue, s, [this] {
            ++logins;
            if (duringLogin)
                duringLogin();
        });
        QObject::connect(s, &StartupSchedule::tvDownloadDue, s, [this] {
            ++tvDownloads;
            if (duringTv)
                duringTv();
        });
        QObject::connect(s, &StartupSchedule::radioDownloadDue, s, [this] { ++radioDownloads; });
        QObject::connect(s, &StartupSchedule::finished, s, [this] { ++finished; });
        QObject::connect(s, &StartupSchedule::openInPlayer, &main, &RecordingWebView::Navigate);
        QObject::connect(s, &StartupSchedule::openInNotice, &notice, &RecordingWebView::Navigate);
        timer1()->start();
    }
    QTimer *timer1() const { return schedule->findChild<QTimer *>(QStringLiteral("Timer1")); }
    QString file(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Runs ticks until the counter reads `last` and tells what each tick did.
    QStringList tickUntil(int last)
    {
        QStringList log;
        while (StartupSchedule::tickValue(text3.text()) < last) {
            const int before[5] = {logins, tvDownloads, radioDownloads, int(main.navigations.size()),
                                   int(notice.navigations.size())};
            const bool wasActive = timer1()->isActive();
            schedule->Timer1_Timer();
            const QString tick = text3.text() + QLatin1Char(':');
            if (logins > before[0])
                log << tick + QStringLiteral("login");
            if (tvDownloads > before[1])
                log << tick + QStringLiteral("tv");
            if (radioDownloads > before[2])
                log << tick + QStringLiteral("radio");
            for (qsizetype i = before[3]; i < main.navigations.size(); ++i)
                log << tick + QStringLiteral("main ") + main.navigations.at(i);
            for (qsizetype i = before[4]; i < notice.navigations.size(); ++i)
                log << tick + QStringLiteral("notice ") + notice.navigations.at(i);
            if (wasActive && !timer1()->isActive())
                log << tick + QStringLiteral("off");
        }
        return log;
    }
};

} // namespace

class TestSchedule : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstTenTicks_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("tvFile");
        QTest::addColumn<bool>("radioFile");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("account and both files")
            << "abc" << "pw" << true << true
            << QStringList{"1:login", "4:main " + kAccountPage + "abc", "10:off"};
        QTest::newRow("no saved account")
            << "" << "" << true << true
            << QStringList{"1:notice " + kVerification, "4:main " + kAccountPage, "10:off"};
        QTest::newRow("name without password")
            << "abc" << "" << true << true
            << QStringList{"1:notice " + kVerification, "4:main " + kAccountPage + "abc", "10:off"};
        QTest::newRow("password without name")
            << "" << "pw" << true << true
            << QStringList{"1:notice " + kVerification, "4:main " + kAccountPage, "10:off"};
        QTest::newRow("only the radio file missing")
            << "abc" << "pw" << true << false
            << QStringList{"1:login", "4:main " + kAccountPage + "abc", "6:radio", "10:off"};
        QTest::newRow("only the tv file missing")
            << "abc" << "pw" << false << true
            << QStringList{"1:login", "2:tv", "4:main " + kAccountPage + "abc", "10:off"};
        QTest::newRow("no account and no files")
            << "" << "" << false << false
            << QStringList{"1:notice " + kVerification, "2:tv", "4:main " + kAccountPage, "6:radio", "10:off"};
        // The service speaks GB2312: the name goes as its percent-encoded code page 936 bytes.
        QTest::newRow("name encoded for the service")
            << "张 三&x" << "pw" << true << true
            << QStringList{"1:login", "4:main " + kAccountPage + "%D5%C5%20%C8%FD%26x", "10:off"};
    }

    void firstTenTicks()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, tvFile);
        QFETCH(bool, radioFile);
        QFETCH(QStringList, expected);
        Rig rig;
        rig.saved.user = user;
        rig.saved.password = password;
        if (tvFile)
            touch(rig.file("dianshibiao.ini"));
        if (radioFile)
            touch(rig.file("diantaibiao.ini"));
        QCOMPARE(rig.tickUntil(10), expected);
        QCOMPARE(rig.text3.text(), QStringLiteral("10"));
        QVERIFY(!rig.timer1()->isActive());
    }

    void readOnlyListFilesCountAsPresent()
    {
        Rig rig;
        for (const char *name : {"dianshibiao.ini", "diantaibiao.ini"}) {
            touch(rig.file(name));
            QFile::setPermissions(rig.file(name), QFileDevice::ReadOwner);
        }
        rig.tickUntil(10);
        QCOMPARE(rig.tvDownloads, 0);
        QCOMPARE(rig.radioDownloads, 0);
    }

    void listFileWrittenByTheTvDownloadIsSeenAtTickSix()
    {
        Rig rig;
        rig.duringTv = [&rig] { touch(rig.file("diantaibiao.ini")); };
        QCOMPARE(rig.tickUntil(10), (QStringList{"1:notice " + kVerification, "2:tv", "4:main " + kAccountPage,
                                                 "10:off"}));
    }

    void ticksAfterTenDoNothing()
    {
        Rig rig;
        rig.saved.user = QStringLiteral("abc");
        rig.saved.password = QStringLiteral("pw");
        rig.tickUntil(9);
        QCOMPARE(rig.finished, 0);
        rig.tickUntil(10);
        QCOMPARE(rig.finished, 1);
        rig.timer1()->start();
        QCOMPARE(rig.tickUntil(13), (QStringList{"11:off"}));
        QCOMPARE(rig.finished, 1); // once only
        QCOMPARE(rig.text3.text(), QStringLiteral("13"));
        QCOMPARE(rig.logins, 1);
        QCOMPARE(rig.radioDownloads + rig.tvDownloads, 2);
        QCOMPARE(rig.main.navigations.size(), 1);
    }

    void counterText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("number") << "7" << 7;
        QTest::newRow("spaces around") << " 3 " << 3;
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("digits then letters") << "4x" << 0;
        QTest::newRow("negative") << "-2" << -2;
        QTest::newRow("too large") << "99999999999999999999" << 0;
    }

    void counterText()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(StartupSchedule::tickValue(text), value);
    }

    void firstTickFromAnyCounterText_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("logins");
        QTest::addColumn<bool>("timerOn");
        QTest::newRow("letters count as 0") << "abc" << "1" << 1 << true;
        QTest::newRow("largest value saturates") << QString::number(INT_MAX) << QString::number(INT_MAX) << 0 << false;
    }

    void firstTickFromAnyCounterText()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, logins);
        QFETCH(bool, timerOn);
        Rig rig;
        rig.saved.user = QStringLiteral("abc");
        rig.saved.password = QStringLiteral("pw");
        rig.text3.setText(before);
        rig.schedule->Timer1_Timer();
        QCOMPARE(rig.text3.text(), after);
        QCOMPARE(rig.logins, logins);
        QCOMPARE(rig.timer1()->isActive(), timerOn);
    }

    // Nothing connected but the views: the steps that ask elsewhere do nothing.
    void unconnectedStepsAreSkipped()
    {
        QTemporaryDir dir;
        QLineEdit text3;
        RecordingWebView main;
        RecordingWebView notice;
        const SavedCredentials saved{QStringLiteral("abc"), QStringLiteral("pw")};
        StartupSchedule schedule(&text3, dir.filePath(QStringLiteral("tv.ini")), dir.filePath(QStringLiteral("r.ini")),
                                 saved, Endpoints(kHosts));
        QObject::connect(&schedule, &StartupSchedule::openInPlayer, &main, &RecordingWebView::Navigate);
        QObject::connect(&schedule, &StartupSchedule::openInNotice, &notice, &RecordingWebView::Navigate);
        schedule.start();
        for (int i = 0; i < 10; ++i)
            schedule.Timer1_Timer();
        QVERIFY(notice.navigations.isEmpty());
        QCOMPARE(main.navigations, QStringList{kAccountPage + "abc"});
        QVERIFY(!schedule.findChild<QTimer *>()->isActive());
    }

    void counterGoneBeforeTheSchedule()
    {
        QTemporaryDir dir;
        auto text3 = std::make_unique<QLineEdit>();
        const SavedCredentials saved;
        StartupSchedule schedule(text3.get(), dir.filePath(QStringLiteral("tv.ini")),
                                 dir.filePath(QStringLiteral("r.ini")), saved, Endpoints(kHosts));
        QSignalSpy notice(&schedule, &StartupSchedule::openInNotice);
        schedule.Timer1_Timer();
        QCOMPARE(notice.size(), 1);
        QCOMPARE(text3->text(), QStringLiteral("1"));
        text3.reset();
        for (int i = 0; i < 10; ++i)
            schedule.Timer1_Timer();
        QCOMPARE(notice.size(), 1);
    }

    // Later ticks run inside the login while it waits; each step still runs
    // once, on its own tick.
    void ticksInsideTheLogin_data()
    {
        QTest::addColumn<int>("reached");
        QTest::addColumn<int>("insideTv");
        for (int reached : {2, 3, 4, 6, 9, 10}) {
            for (int insideTv : {0, 1})
                QTest::addRow("until tick %d, %d inside the TV download", reached, insideTv) << reached << insideTv;
        }
    }

    void ticksInsideTheLogin()
    {
        QFETCH(int, reached);
        QFETCH(int, insideTv);
        Rig rig;
        rig.saved.user = QStringLiteral("abc");
        rig.saved.password = QStringLiteral("pw");
        rig.duringLogin = [&rig, reached] {
            while (StartupSchedule::tickValue(rig.text3.text()) < reached)
                rig.schedule->Timer1_Timer();
        };
        // The TV download may wait too, with ticks inside it.
        rig.duringTv = [&rig, insideTv] {
            for (int i = 0; i < insideTv; ++i)
                rig.schedule->Timer1_Timer();
        };
        rig.tickUntil(10);
        QCOMPARE(rig.text3.text(), QStringLiteral("10"));
        QCOMPARE(rig.logins, 1);
        QCOMPARE(rig.tvDownloads, 1);
        QCOMPARE(rig.radioDownloads, 1);
        QCOMPARE(rig.main.navigations, QStringList{kAccountPage + "abc"});
        QVERIFY(rig.notice.navigations.isEmpty());
        QVERIFY(!rig.timer1()->isActive());
    }

    // With the real timer the same timer's tick is not delivered while its
    // handler waits; the schedule resumes counting after the wait.
    void realTimerWhileTheLoginWaits()
    {
        Rig rig;
        rig.saved.user = QStringLiteral("abc");
        rig.saved.password = QStringLiteral("pw");
        QStringList counterDuringWait;
        rig.duringLogin = [&] {
            const QDeadlineTimer deadline(200);
            while (!deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            counterDuringWait << rig.text3.text();
        };
        rig.timer1()->setInterval(5);
        rig.timer1()->start();
        QTRY_VERIFY(!rig.timer1()->isActive());
        QCOMPARE(counterDuringWait, QStringList{"1"});
        QCOMPARE(rig.text3.text(), QStringLiteral("10"));
        QCOMPARE(rig.logins, 1);
        QCOMPARE(rig.tvDownloads, 1);
        QCOMPARE(rig.main.navigations.size(), 1);
    }

    void scheduleDestroyedDuringTheLogin()
    {
        Rig rig;
        rig.saved.user = QStringLiteral("abc");
        rig.saved.password = QStringLiteral("pw");
        rig.duringLogin = [&rig] { rig.schedule.reset(); };
        StartupSchedule *schedule = rig.schedule.get();
        schedule->Timer1_Timer();
        QVERIFY(!rig.schedule);
        QCOMPARE(rig.text3.text(), QStringLiteral("1"));
        QCOMPARE(rig.logins, 1);
    }

    void mainWindowRunsTheSchedule()
    {
        QTemporaryDir dir;
        QVERIFY(saveAccountNameOnly(dir.path(), QStringLiteral("abc")));
        Form1 form(dir.path(), kHosts, recordingWebViewFactory());
        controls(form).Timer1->setInterval(1);
        form.show();
        QVERIFY(controls(form).Timer1->isActive());
        QTRY_VERIFY(!controls(form).Timer1->isActive());
        QTest::qWait(50);
        QCOMPARE(controls(form).Text3->text(), QStringLiteral("10"));
        const QString blank = QStringLiteral("about:blank");
        QCOMPARE(static_cast<RecordingWebView *>(controls(form).WebBrowser2)->navigations, (QStringList{blank, kVerification}));
        QCOMPARE(static_cast<RecordingWebView *>(controls(form).WebBrowser1)->navigations,
                 (QStringList{blank, kAccountPage + "abc"}));
    }
};

QTEST_MAIN(TestSchedule)
#include "tst_schedule.moc"
