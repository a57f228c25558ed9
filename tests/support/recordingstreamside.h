#pragma once

#include "player/playerview.h"
#include "player/streamside.h"
#include "recordingwebview.h"

#include <QStringList>

// A stream side that plays nothing: it records "play <address>" and "stop".
class RecordingStreamSide : public StreamSide
{
    Q_OBJECT
public:
    using StreamSide::StreamSide;

    void play(const QString &address) override { calls << QStringLiteral("play ") + address; }
    void stop() override { calls << QStringLiteral("stop"); }

    QStringList calls;
};

// A factory for Form1's player view: a recording engine view beside a recording stream side.
inline WebViewFactory recordingPlayerViewFactory()
{
    return [](QWidget *parent) -> WebView * {
        return new PlayerView(new RecordingWebView, new RecordingStreamSide, parent);
    };
}
