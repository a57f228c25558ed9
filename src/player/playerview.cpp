#include "playerview.h"

#include "streamplayerview.h"
#include "streamurl.h"

namespace {
const QString kBlank = QStringLiteral("about:blank");
}

PlayerView::PlayerView(WebView *engine, StreamSide *stream, QWidget *parent)
    : WebView(parent)
    , m_engine(engine)
    , m_stream(stream)
{
    m_engine->setParent(this);
    m_stream->setParent(this);
    m_stream->hide();
    m_engine->show();
    setFocusProxy(m_engine);
    connect(m_engine, &WebView::NewWindow2, this, &WebView::NewWindow2);
    connect(m_engine, &WebView::DocumentComplete, this, &WebView::DocumentComplete);
    connect(m_engine, &WebView::DownloadComplete, this, &WebView::DownloadComplete);
    connect(m_engine, &WebView::StreamOffered, this, &PlayerView::onStreamOffered);
    if (auto *player = qobject_cast<StreamPlayerView *>(m_stream))
        connect(player, &StreamPlayerView::fullScreenLeft, this, &PlayerView::placeSides);
}

void PlayerView::Navigate(const QString &url)
{
    if (url.trimmed().isEmpty())
        return;
    if (!streamurl::isBlank(url) && streamurl::isStream(url))
        playStream(url);
    else
        showPage(url);
}

void PlayerView::playStream(const QString &url)
{
    m_streaming = true;
    m_streamUrl = url;
    m_engine->Navigate(kBlank);
    m_engine->hide();
    m_stream->show();
    setFocusProxy(m_stream);
    m_stream->play(url);
}

void PlayerView::showPage(const QString &url)
{
    if (m_streaming)
        m_stream->stop();
    m_stream->hide();
    m_streaming = false;
    m_streamUrl.clear();
    m_engine->show();
    setFocusProxy(m_engine);
    m_engine->Navigate(url);
}

void PlayerView::onStreamOffered(const QString &url)
{
    if (!m_streaming && !url.isEmpty())
        playStream(url);
}

void PlayerView::setSilent(bool silent) { m_engine->setSilent(silent); }

bool PlayerView::Silent() const { return m_engine->Silent(); }

QString PlayerView::LocationURL() const { return m_streaming ? m_streamUrl : m_engine->LocationURL(); }

std::optional<QString> PlayerView::BodyText() const { return m_engine->BodyText(); }

int PlayerView::ReadyState() const { return m_engine->ReadyState(); }

void PlayerView::resizeEvent(QResizeEvent *event)
{
    WebView::resizeEvent(event);
    placeSides();
}

void PlayerView::placeSides()
{
    m_engine->setGeometry(rect());
    if (!m_stream->isWindow())
        m_stream->setGeometry(rect());
}

WebViewFactory playerViewFactory(WebViewFactory makeEngineView, const QString &settingsFile)
{
    return [makeEngineView, settingsFile](QWidget *parent) -> WebView * {
        return new PlayerView(makeEngineView(nullptr), new StreamPlayerView({}, settingsFile), parent);
    };
}
