#include "account/fetch.h"
#include "support/testhttpserver.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString kGb2312 = QStringLiteral("gb2312");

TestHttpAnswer delayed(const QString &text, int delayMs)
{
    TestHttpAnswer answer = TestHttpAnswer::gbk(text);
    answer.delayMs = delayMs;
    return answer;
}

// Queues a left click on the button the way the window system delivers one:
// as events the event loop has yet to process.
void postClick(QPushButton &button)
{
    const QPointF at(5, 5);
    const QPointF global = button.mapToGlobal(at);
    QCoreApplication::postEvent(&button, new QMouseEvent(QEvent::MouseButtonPress, at, at, global, Qt::LeftButton,
                                                         Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(&button, new QMouseEvent(QEvent::MouseButtonRelease, at, at, global,
                                                         Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

} // namespace

// The fetch waits by running the event loop: the window stays responsive.
class TestFetchEvents : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void clickIsHandledWhileFetchWaits();
    void timerTicksWhileFetchWaits();
    void fetchStartedByAClickCompletesInsideTheWaitingOne();
    void outerFetchFinishingFirstKeepsItsOwnAnswer();
};

void TestFetchEvents::clickIsHandledWhileFetchWaits()
{
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/user/denglu.asp"), delayed(QStringLiteral("VIP用户"), 400));
    QPushButton button(QStringLiteral("更新网络电视节目表"));
    button.resize(100, 30);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    bool fetchReturned = false;
    int clicksDuringFetch = 0;
    connect(&button, &QPushButton::clicked, this, [&] {
        if (!fetchReturned)
            ++clicksDuringFetch;
    });

    postClick(button);
    const QString text = FetchUrlText(server.url(QStringLiteral("/user/denglu.asp?yh=a&pw=b")), kGb2312);
    fetchReturned = true;

    QCOMPARE(clicksDuringFetch, 1);
    QCOMPARE(text, QStringLiteral("VIP用户"));
}

void TestFetchEvents::timerTicksWhileFetchWaits()
{
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/slow"), delayed(QStringLiteral("x"), 400));
    QTimer timer;
    timer.setInterval(50);
    int ticks = 0;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start();

    const QString text = FetchUrlText(server.url(QStringLiteral("/slow")), kGb2312);
    const int ticksDuringFetch = ticks;
    timer.stop();

    QCOMPARE(text, QStringLiteral("x"));
    QVERIFY2(ticksDuringFetch >= 2, qPrintable(QString::number(ticksDuringFetch)));
}

void TestFetchEvents::fetchStartedByAClickCompletesInsideTheWaitingOne()
{
    TestHttpServer host1;
    TestHttpServer host2;
    host2.setAnswer(QStringLiteral("/user/jiemubiao.asp"), delayed(QStringLiteral("湖南卫视"), 500));
    host1.setAnswer(QStringLiteral("/user/diantaibiao.asp"), TestHttpAnswer::gbk(QStringLiteral("中国之声 广播")));
    QPushButton button;
    button.resize(100, 30);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QStringList order;
    connect(&button, &QPushButton::clicked, this, [&] {
        order << QStringLiteral("inner start");
        order << FetchUrlText(host1.url(QStringLiteral("/user/diantaibiao.asp?yh=")), kGb2312);
    });

    postClick(button);
    order << FetchUrlText(host2.url(QStringLiteral("/user/jiemubiao.asp?yh=")), kGb2312);

    QCOMPARE(order, (QStringList{QStringLiteral("inner start"), QStringLiteral("中国之声 广播"),
                                 QStringLiteral("湖南卫视")}));
}

void TestFetchEvents::outerFetchFinishingFirstKeepsItsOwnAnswer()
{
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/outer"), delayed(QStringLiteral("outer"), 50));
    server.setAnswer(QStringLiteral("/inner"), delayed(QStringLiteral("inner"), 500));
    QString inner;
    QTimer::singleShot(0, this, [&] { inner = FetchUrlText(server.url(QStringLiteral("/inner")), kGb2312); });

    const QString outer = FetchUrlText(server.url(QStringLiteral("/outer")), kGb2312);

    // The outer answer arrived first, but the call returns only once the
    // handler that runs inside it (and its own fetch) is done.
    QCOMPARE(inner, QStringLiteral("inner"));
    QCOMPARE(outer, QStringLiteral("outer"));
}

QTEST_MAIN(TestFetchEvents)
#include "tst_fetchevents.moc"
