#pragma once

#include "servicerequest.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The test streams the service plays, read once from the media folder that
// scripts/make-test-media fills (the service itself never runs ffmpeg):
//   hls720/index.m3u8, hls720/segNNN.ts   segments of one loop
//   ts360.ts                              one loop as a single MPEG-TS file
//   radio.mp3                             one loop of MP3
// All three loops are as long as the segments together.
class StreamMedia
{
public:
    struct Segment
    {
        QString file;
        double seconds = 0;
    };

    // False with a reason when a part is missing; the streams are then not offered.
    bool load(const QString &folder, QString *error);
    bool isLoaded() const { return !m_segments.isEmpty(); }

    const QList<Segment> &segments() const { return m_segments; }
    QByteArray segment(qint64 sequence) const; // any sequence number, wrapped onto the loop
    double loopSeconds() const { return m_loopSeconds; }
    const QByteArray &transportStream() const { return m_ts; }
    const QByteArray &mp3() const { return m_mp3; }

private:
    QList<Segment> m_segments;
    QList<QByteArray> m_segmentData;
    QByteArray m_ts;
    QByteArray m_mp3;
    double m_loopSeconds = 0;
};

namespace streamchannels {

constexpr int LiveWindow = 5; // segments in a live playlist

// The live playlist at `elapsedMs` since the channel went on air: the last
// LiveWindow segments of the endless loop, numbered from the start, with a
// discontinuity wherever the loop starts again. Segment n is "<prefix><n>.ts".
QByteArray livePlaylist(const QList<StreamMedia::Segment> &loop, qint64 elapsedMs, const QString &prefix);

// The ICY metadata block of a title: one length byte (in 16-byte units),
// then "StreamTitle='...';" padded with zeros.
QByteArray icyBlock(const QString &title);

// The title on air at `elapsedMs`: the titles take turns every `everyMs`.
QString titleAt(const QStringList &titles, qint64 elapsedMs, int everyMs);

} // namespace streamchannels

// An endless body made from a loop of bytes at the loop's own pace: a short
// head start, then as many bytes as the time since the start calls for.
// With metaInterval > 0 an ICY metadata block follows every metaInterval
// bytes of the loop.
class PacedLoop : public AnswerStream
{
public:
    using Clock = std::function<qint64()>; // milliseconds on a steady clock

    PacedLoop(QByteArray loop, double loopSeconds, Clock clock);

    void setMetadata(int interval, QStringList titles, int titleEveryMs);
    // Pieces are cut at multiples of this (188 keeps MPEG-TS packets whole).
    void setUnit(int bytes) { m_unit = qMax(1, bytes); }

    // Up to maxBytes of what is due now; empty when nothing is due yet.
    QByteArray read(qsizetype maxBytes) override;
    bool atEnd() const override { return m_loop.isEmpty(); }

    // What a player gets at once, to ride out a busy moment of either side.
    static constexpr double HeadStartSeconds = 4.0;

private:
    QByteArray nextAudio(qsizetype bytes);

    QByteArray m_loop;
    double m_bytesPerMs;
    Clock m_clock;
    qint64 m_startMs;
    qint64 m_sentAudio = 0; // bytes of the loop sent, metadata not counted
    qsizetype m_position = 0;
    int m_unit = 1;
    int m_metaInterval = 0;
    int m_untilMeta = 0;
    QStringList m_titles;
    int m_titleEveryMs = 5000;
};

// The stream addresses of the service, all on the air since it started:
//   /live/chengyu.m3u8, /live/chengyu/<n>.ts   the live HLS TV channel
//   /live/member.m3u8, /live/member/<n>.ts     the same for one User-Agent only (403 otherwise)
//   /live/erta.ts                              an endless MPEG-TS-over-HTTP channel
//   /radio/chengyu.mp3                         an endless MP3 station, ICY titles on request
// Without the media every one of them answers 503.
class StreamChannels
{
public:
    explicit StreamChannels(const StreamMedia *media);

    static bool isStreamPath(const QString &path);
    ServiceAnswer answer(const QString &path, const ServiceRequest &request) const;

    static constexpr const char *MemberAgent = "ChengyuTV-Demo";
    static constexpr const char *StationName = "澄屿音乐台";
    static constexpr int MetaInterval = 16000;
    static constexpr int TitleEveryMs = 5000;

private:
    ServiceAnswer livePlaylist(const QString &channel) const;
    ServiceAnswer liveSegment(const QString &path) const;
    ServiceAnswer transportStream() const;
    ServiceAnswer radio(const ServiceRequest &request) const;

    const StreamMedia *m_media;
    QElapsedTimer m_onAir;
};
