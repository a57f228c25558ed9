#include "streamplayerview.h"

#include "mpvrenderwidget.h"
#include "playeroverlays.h"
#include "playersettings.h"
#include "streamurl.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QOpenGLContext>
#include <QScreen>
#include <QUrl>
#include <QWheelEvent>

namespace {

bool openGLAvailable()
{
    static const bool available = [] {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
            return false;
        QOpenGLContext probe;
        return probe.create();
    }();
    return available;
}

} // namespace

StreamPlayerView::StreamPlayerView(const MpvOptions &options, const QString &settingsFile, QWidget *parent)
    : StreamSide(parent)
    , m_options(options)
    , m_player(new MpvPlayer(options, this))
    , m_settingsFile(settingsFile)
{
    setObjectName(QStringLiteral("StreamPlayer"));
    setFocusPolicy(Qt::ClickFocus);
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    setPalette(dark);

    m_card = new RadioCard(this);
    m_state = new StateLine(this);
    m_volume = new VolumeOsd(this);
    m_player->setVolume(playersettings::loadVolume(m_settingsFile));

    connect(m_player, &MpvPlayer::statusChanged, this, &StreamPlayerView::showStatus);
    connect(m_player, &MpvPlayer::metadataChanged, this, &StreamPlayerView::showStation);
    connect(m_player, &MpvPlayer::videoChanged, this, [this](bool hasVideo) { m_card->setVisible(!hasVideo); });
}

StreamPlayerView::~StreamPlayerView()
{
    // The render context must go before the core it draws from.
    delete m_video;
    m_video = nullptr;
}

void StreamPlayerView::play(const QString &address)
{
    showVideoSurface();
    m_card->show();
    m_player->play(address);
    showStation();
}

void StreamPlayerView::stop()
{
    if (m_fullScreen)
        setFullScreenView(false);
    m_player->stop();
}

// The picture's surface is made for the first stream, so that a window that
// never plays one keeps its plain drawing. Without OpenGL, or when the engine
// cannot draw into it, streams play their sound only, with the card in front.
void StreamPlayerView::showVideoSurface()
{
    if (m_video || m_options.videoOutput != "libmpv")
        return;
    if (!openGLAvailable()) {
        m_player->setVideoOutput({});
        return;
    }
    m_video = new MpvRenderWidget(m_player, this);
    connect(m_video, &MpvRenderWidget::renderingUnavailable, m_player, [this] { m_player->setVideoOutput({}); });
    m_video->setGeometry(rect());
    m_video->lower();
    // Shown before the engine starts, so that its render context is there when
    // the first picture comes.
    m_video->show();
}

void StreamPlayerView::setFullScreenView(bool on)
{
    if (on == m_fullScreen)
        return;
    m_fullScreen = on;
    if (on) {
        QScreen *screen = window()->screen();
        setWindowFlag(Qt::Window, true);
        // Without a window manager a full-screen window keeps its size unless given the screen's.
        if (screen)
            setGeometry(screen->geometry());
        showFullScreen();
        setFocus();
        return;
    }
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    setWindowFlag(Qt::Window, false);
    show();
    setFocus();
    Q_EMIT fullScreenLeft();
}

void StreamPlayerView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_F11:
        setFullScreenView(!m_fullScreen);
        break;
    case Qt::Key_Escape:
        if (!m_fullScreen) {
            event->ignore();
            return;
        }
        setFullScreenView(false);
        break;
    case Qt::Key_Up:
        changeVolume(VolumeStep);
        break;
    case Qt::Key_Down:
        changeVolume(-VolumeStep);
        break;
    case Qt::Key_M:
        toggleMute();
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void StreamPlayerView::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) {
        event->ignore();
        return;
    }
    changeVolume(steps * VolumeStep);
    event->accept();
}

void StreamPlayerView::mouseDoubleClickEvent(QMouseEvent *event)
{
    setFullScreenView(!m_fullScreen);
    event->accept();
}

void StreamPlayerView::resizeEvent(QResizeEvent *event)
{
    StreamSide::resizeEvent(event);
    if (m_video)
        m_video->setGeometry(rect());
    m_card->setGeometry(rect());
    placeOverlays();
}

void StreamPlayerView::changeVolume(int delta)
{
    m_player->setVolume(m_player->volume() + delta);
    if (m_player->isMuted() && delta > 0)
        m_player->setMuted(false);
    playersettings::saveVolume(m_settingsFile, m_player->volume());
    m_volume->showVolume(m_player->volume(), m_player->isMuted());
    placeOverlays();
}

void StreamPlayerView::toggleMute()
{
    m_player->setMuted(!m_player->isMuted());
    m_volume->showVolume(m_player->volume(), m_player->isMuted());
    placeOverlays();
}

void StreamPlayerView::showStatus()
{
    const PlayerStatus &status = m_player->status();
    m_state->showState(statusText(status), status.state == PlayState::Playing);
    placeOverlays();
}

void StreamPlayerView::showStation()
{
    QString name = m_player->stationName();
    if (name.isEmpty())
        name = QUrl(streamurl::parse(m_player->address()).url).host();
    m_card->setStation(name, m_player->nowPlaying());
}

void StreamPlayerView::placeOverlays()
{
    const int margin = 16;
    m_state->move((width() - m_state->width()) / 2, height() - m_state->height() - margin);
    m_volume->move(width() - m_volume->width() - margin, margin);
    m_state->raise();
    m_volume->raise();
}
