#include "enginewebview.h"

#include <QAuthenticator>
#include <QVBoxLayout>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

// The body's text content with the markup removed: text hidden by style
// counts too, script and style sheets do not.
constexpr const char *kBodyTextScript = R"(
(function () {
    if (!document.body)
        return null;
    var body = document.body.cloneNode(true);
    body.querySelectorAll('script, style, noscript, template').forEach(function (e) { e.remove(); });
    return body.textContent;
})()
)";

namespace {

// Content the engine shows as a bare media document is a stream for the
// player rather than a page.
bool isMediaType(const QString &mimeType)
{
    static const QStringList playlists = {QStringLiteral("application/vnd.apple.mpegurl"),
                                          QStringLiteral("application/x-mpegurl"),
                                          QStringLiteral("application/dash+xml"), QStringLiteral("application/ogg")};
    const QString type = mimeType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    return type.startsWith(QLatin1String("audio/")) || type.startsWith(QLatin1String("video/"))
        || playlists.contains(type);
}

} // namespace

class SilentPage : public QWebEnginePage
{
public:
    SilentPage(EngineWebView *owner, QWebEngineProfile *profile)
        : QWebEnginePage(profile, owner)
        , m_owner(owner)
    {
        connect(this, &QWebEnginePage::certificateError, this, [this](QWebEngineCertificateError error) {
            if (silent)
                error.rejectCertificate();
        });
        // Leaving the authenticator untouched cancels the request; an
        // unhandled request would do the same, but the intent is explicit here.
        connect(this, &QWebEnginePage::authenticationRequired, this, [](const QUrl &, QAuthenticator *) {});
        connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
                [](const QUrl &, QAuthenticator *, const QString &) {});
    }

    bool silent = false;

protected:
    void javaScriptAlert(const QUrl &origin, const QString &msg) override
    {
        if (!silent)
            QWebEnginePage::javaScriptAlert(origin, msg);
    }
    bool javaScriptConfirm(const QUrl &origin, const QString &msg) override
    {
        return !silent && QWebEnginePage::javaScriptConfirm(origin, msg);
    }
    bool javaScriptPrompt(const QUrl &origin, const QString &msg, const QString &def, QString *result) override
    {
        return !silent && QWebEnginePage::javaScriptPrompt(origin, msg, def, result);
    }
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &old, const QStringList &accepted) override
    {
        return silent ? QStringList() : QWebEnginePage::chooseFiles(mode, old, accepted);
    }
    QWebEnginePage *createWindow(WebWindowType) override
    {
        SilentPage *target = m_owner->takeNewWindowRequest();
        return target;
    }

private:
    EngineWebView *m_owner;
};

EngineWebView::EngineWebView(QWidget *parent)
    : WebView(parent)
    , m_view(new QWebEngineView(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setPage(new SilentPage(this, QWebEngineProfile::defaultProfile()));
    // A channel page starts playing as soon as it is chosen; the choice in the
    // list is the user's gesture.
    m_view->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    connect(m_view, &QWebEngineView::loadStarted, this, &EngineWebView::onLoadStarted);
    connect(m_view, &QWebEngineView::loadFinished, this, &EngineWebView::onLoadFinished);
    // The profile is shared by every view: each takes only its own page's downloads.
    connect(page()->profile(), &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest *download) {
                if (download->page() != page())
                    return;
                download->cancel();
                Q_EMIT StreamOffered(download->url().toString());
            });
}

EngineWebView::~EngineWebView()
{
    // Completions still pending for the page must find a stale generation.
    ++m_loadGeneration;
    // The page must go before the view that shows it.
    delete m_view->page();
}

SilentPage *EngineWebView::page() const { return static_cast<SilentPage *>(m_view->page()); }

SilentPage *EngineWebView::takeNewWindowRequest()
{
    WebView *target = nullptr;
    bool cancel = false;
    Q_EMIT NewWindow2(&target, &cancel);
    auto *engineTarget = qobject_cast<EngineWebView *>(target);
    if (cancel || !engineTarget || engineTarget == this)
        return nullptr;
    engineTarget->m_readyState = Loading;
    return engineTarget->page();
}

void EngineWebView::Navigate(const QString &url)
{
    if (url.isEmpty())
        return;
    QUrl target(url, QUrl::StrictMode);
    if (!target.isValid() || target.scheme().isEmpty())
        target = QUrl::fromUserInput(url);
    if (!target.isValid())
        return;
    m_readyState = Loading;
    m_view->load(target);
}

void EngineWebView::setSilent(bool silent) { page()->silent = silent; }

bool EngineWebView::Silent() const { return page()->silent; }

QString EngineWebView::LocationURL() const { return m_view->url().toString(); }

std::optional<QString> EngineWebView::BodyText() const { return m_bodyText; }

int EngineWebView::ReadyState() const { return m_readyState; }

void EngineWebView::onLoadStarted()
{
    ++m_loadGeneration;
    m_readyState = Loading;
    m_bodyText.reset();
}

void EngineWebView::onLoadFinished(bool ok)
{
    const quint64 generation = ++m_loadGeneration;
    const QString url = LocationURL();
    auto finish = [this, generation, url](const std::optional<QString> &text) {
        if (generation != m_loadGeneration)
            return; // a newer load has begun; its own completion will report
        m_bodyText = text;
        m_readyState = Complete;
        Q_EMIT DocumentComplete(url);
        Q_EMIT DownloadComplete();
    };
    page()->runJavaScript(QStringLiteral("document.contentType"), QWebEngineScript::ApplicationWorld,
                          [this, generation, url](const QVariant &type) {
                              if (generation == m_loadGeneration && isMediaType(type.toString()))
                                  Q_EMIT StreamOffered(url);
                          });
    if (!ok) {
        finish(std::nullopt);
        return;
    }
    page()->runJavaScript(QString::fromLatin1(kBodyTextScript),
                          QWebEngineScript::ApplicationWorld, [finish](const QVariant &result) {
                              finish(result.isNull() ? std::nullopt : std::optional<QString>(result.toString()));
                          });
}

WebViewFactory engineWebViewFactory()
{
    return [](QWidget *parent) -> WebView * { return new EngineWebView(parent); };
}
