#include "player/mpvrenderwidget.h"
#include "player/streamplayerview.h"
#include "support/testhttpserver.h"

#include <QDir>
#include <QFile>
#include <QOpenGLContext>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

namespace {

QByteArray media(const QString &name)
{
    QFile file(QDir(QStringLiteral(CHENGYU_MEDIA_DIR)).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The test picture has colour bars: a blank or black frame has a few colours at most.
int distinctColours(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 8) {
        for (int x = 0; x < image.width(); x += 8)
            colours.insert(image.pixel(x, y) & 0xF0F0F0);
    }
    return int(colours.size());
}

// The stream view moves between windows for full screen, which needs GL
// contexts shared application-wide, as the program has them; set before the
// application object exists.
const bool kSharedContexts = [] {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return true;
}();

} // namespace

// The picture through the OpenGL render API, on a real X display.
class tst_RenderWidget : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void showsThePicture();
};

void tst_RenderWidget::initTestCase()
{
    std::setlocale(LC_NUMERIC, "C");
    QOpenGLContext probe;
    if (!probe.create())
        QSKIP("no OpenGL on this display");
}

void tst_RenderWidget::showsThePicture()
{
    TestHttpServer server;
    server.setAnswer(QStringLiteral("/hls/index.m3u8"),
                     TestHttpAnswer::text(media(QStringLiteral("hls720/index.m3u8")), 200, "application/vnd.apple.mpegurl"));
    for (int i = 0; i < 15; ++i) {
        const QString segment = QStringLiteral("seg%1.ts").arg(i, 3, 10, QLatin1Char('0'));
        server.setAnswer(QStringLiteral("/hls/") + segment,
                         TestHttpAnswer::text(media(QStringLiteral("hls720/") + segment), 200, "video/mp2t"));
    }
    QTemporaryDir dir;
    MpvOptions options;
    options.audioOutput = "null";
    QWidget frame;
    frame.resize(640, 360);
    auto *view = new StreamPlayerView(options, dir.filePath(QStringLiteral("player.ini")), &frame);
    view->setGeometry(frame.rect());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(!view->findChild<MpvRenderWidget *>()); // made for the first stream

    view->play(server.url(QStringLiteral("/hls/index.m3u8")));
    auto *video = view->findChild<MpvRenderWidget *>();
    QVERIFY(video);
    auto showsPicture = [video] { return video->isRendering() && distinctColours(video->grabFramebuffer()) > 12; };
    QTRY_COMPARE_WITH_TIMEOUT(view->player()->status().state, PlayState::Playing, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(), 10000);
    video->grabFramebuffer().save(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("render.png")));

    // Full screen moves the view into a window of its own, where Qt makes a
    // new GL context: the picture follows it there and back.
    view->setFullScreenView(true);
    QVERIFY(QTest::qWaitForWindowExposed(view));
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(), 10000);
    view->setFullScreenView(false);
    QCOMPARE(view->parentWidget(), &frame);
    view->setGeometry(frame.rect());
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(), 10000);
}

QTEST_MAIN(tst_RenderWidget)
#include "tst_renderwidget.moc"
