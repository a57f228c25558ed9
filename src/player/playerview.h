#pragma once

#include "webview/webview.h"

class StreamSide;

// The player view: one browser view to the program that plays pages in the
// engine view and streams in the stream side. Navigate sends a stream address
// to the stream side (the engine view goes blank) and anything else to the
// engine view (the stream stops); "about:blank" stops both. A page load the
// engine answers as a download or as audio or video is handed to the stream
// side. LocationURL is the address now playing on either side. Pop-ups,
// body text and the ready state are the engine view's.
class PlayerView : public WebView
{
    Q_OBJECT
public:
    // Takes ownership of both sides.
    PlayerView(WebView *engine, StreamSide *stream, QWidget *parent = nullptr);

    void Navigate(const QString &url) override;
    void setSilent(bool silent) override;
    bool Silent() const override;
    QString LocationURL() const override;
    std::optional<QString> BodyText() const override;
    int ReadyState() const override;

    WebView *engineSide() const { return m_engine; }
    StreamSide *streamSide() const { return m_stream; }
    bool isStreaming() const { return m_streaming; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void playStream(const QString &url);
    void showPage(const QString &url);
    void onStreamOffered(const QString &url);
    void placeSides();

    WebView *m_engine;
    StreamSide *m_stream;
    bool m_streaming = false;
    QString m_streamUrl;
};

// The factory of the program's player view: the engine view the given factory
// makes beside a libmpv stream player that keeps its volume in settingsFile
// (empty: nowhere).
WebViewFactory playerViewFactory(WebViewFactory makeEngineView, const QString &settingsFile = {});
