#include "streamchannels.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <utility>

namespace {

const QStringList kTitles = {
    QStringLiteral("海风 · 第一乐章"), QStringLiteral("灯塔下的歌"), QStringLiteral("夜航"),
    QStringLiteral("潮汐与月光"),      QStringLiteral("澄屿晨曲"),
};

ServiceAnswer plain(int status, const QByteArray &text)
{
    return {status, "text/plain; charset=utf-8", text, {}, {}};
}

qint64 steadyMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

QByteArray readFile(const QString &path, bool *ok)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *ok = false;
        return {};
    }
    return file.readAll();
}

} // namespace

bool StreamMedia::load(const QString &folder, QString *error)
{
    const QDir dir(folder);
    bool ok = true;
    const QByteArray index = readFile(dir.filePath(QStringLiteral("hls720/index.m3u8")), &ok);
    QList<Segment> segments;
    double seconds = 0;
    for (const QByteArray &raw : index.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith("#EXTINF:"))
            seconds = line.mid(8, line.indexOf(',') - 8).toDouble();
        else if (!line.isEmpty() && !line.startsWith('#') && seconds > 0)
            segments.append({QString::fromUtf8(line), std::exchange(seconds, 0.0)});
    }
    QList<QByteArray> data;
    for (const Segment &segment : segments)
        data.append(readFile(dir.filePath(QStringLiteral("hls720/") + segment.file), &ok));
    QByteArray ts = readFile(dir.filePath(QStringLiteral("ts360.ts")), &ok);
    QByteArray mp3 = readFile(dir.filePath(QStringLiteral("radio.mp3")), &ok);
    if (!ok || segments.isEmpty() || ts.isEmpty() || mp3.isEmpty()) {
        *error = QStringLiteral("test streams missing in %1 (make them with scripts/make-test-media)").arg(folder);
        return false;
    }
    m_segments = segments;
    m_segmentData = data;
    m_ts = ts;
    m_mp3 = mp3;
    m_loopSeconds = 0;
    for (const Segment &segment : segments)
        m_loopSeconds += segment.seconds;
    return true;
}

QByteArray StreamMedia::segment(qint64 sequence) const
{
    if (m_segmentData.isEmpty() || sequence < 0)
        return {};
    return m_segmentData.at(sequence % m_segmentData.size());
}

namespace streamchannels {

QByteArray livePlaylist(const QList<StreamMedia::Segment> &loop, qint64 elapsedMs, const QString &prefix)
{
    if (loop.isEmpty())
        return {};
    double total = 0;
    double longest = 0;
    for (const StreamMedia::Segment &segment : loop) {
        total += segment.seconds;
        longest = qMax(longest, segment.seconds);
    }
    // The channel went on air a window before the service started, so a
    // playlist always holds a full window of finished segments.
    const double elapsed = elapsedMs / 1000.0 + LiveWindow * longest;
    const qint64 count = loop.size();
    const qint64 loops = qint64(elapsed / total);
    double within = elapsed - loops * total;
    qint64 index = 0;
    while (index < count - 1 && within >= loop.at(index).seconds)
        within -= loop.at(index++).seconds;
    const qint64 last = loops * count + index - 1; // the segment now being made is not listed yet
    const qint64 first = qMax<qint64>(0, last - LiveWindow + 1);

    QByteArray out = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:"
        + QByteArray::number(qint64(std::ceil(longest))) + "\n#EXT-X-MEDIA-SEQUENCE:" + QByteArray::number(first)
        + "\n#EXT-X-DISCONTINUITY-SEQUENCE:" + QByteArray::number(first / count) + "\n";
    for (qint64 n = first; n <= last; ++n) {
        if (n > first && n % count == 0)
            out += "#EXT-X-DISCONTINUITY\n";
        out += "#EXTINF:" + QByteArray::number(loop.at(n % count).seconds, 'f', 3) + ",\n" + prefix.toUtf8()
            + QByteArray::number(n) + ".ts\n";
    }
    return out;
}

QByteArray icyBlock(const QString &title)
{
    QString clean = title;
    clean.replace(QLatin1Char('\''), QChar(0x2019)); // an apostrophe would end the title early
    QByteArray text = "StreamTitle='" + clean.toUtf8().left(255 * 16 - 16) + "';";
    const int units = int((text.size() + 15) / 16);
    text.append(QByteArray(units * 16 - text.size(), '\0'));
    return char(units) + text;
}

QString titleAt(const QStringList &titles, qint64 elapsedMs, int everyMs)
{
    if (titles.isEmpty() || everyMs <= 0)
        return {};
    return titles.at(int((elapsedMs / everyMs) % titles.size()));
}

} // namespace streamchannels

PacedLoop::PacedLoop(QByteArray loop, double loopSeconds, Clock clock)
    : m_loop(std::move(loop))
    , m_bytesPerMs(loopSeconds > 0 ? m_loop.size() / (loopSeconds * 1000) : 0)
    , m_clock(std::move(clock))
    , m_startMs(m_clock())
{
}

void PacedLoop::setMetadata(int interval, QStringList titles, int titleEveryMs)
{
    m_metaInterval = qMax(0, interval);
    m_untilMeta = m_metaInterval;
    m_titles = std::move(titles);
    m_titleEveryMs = titleEveryMs;
}

QByteArray PacedLoop::read(qsizetype maxBytes)
{
    QByteArray out;
    if (m_loop.isEmpty())
        return out;
    const qint64 elapsed = m_clock() - m_startMs;
    qint64 due = qint64(m_bytesPerMs * (HeadStartSeconds * 1000 + elapsed)) - m_sentAudio;
    while (due >= m_unit && out.size() < maxBytes) {
        if (m_metaInterval > 0 && m_untilMeta == 0) {
            const QByteArray block = streamchannels::icyBlock(streamchannels::titleAt(m_titles, elapsed, m_titleEveryMs));
            if (out.size() + block.size() > maxBytes)
                break;
            out += block;
            m_untilMeta = m_metaInterval;
        }
        qint64 chunk = qMin<qint64>(due, maxBytes - out.size());
        if (m_metaInterval > 0)
            chunk = qMin<qint64>(chunk, m_untilMeta);
        chunk -= chunk % m_unit;
        if (chunk <= 0)
            break;
        out += nextAudio(chunk);
        m_sentAudio += chunk;
        due -= chunk;
        if (m_metaInterval > 0)
            m_untilMeta -= int(chunk);
    }
    return out;
}

QByteArray PacedLoop::nextAudio(qsizetype bytes)
{
    QByteArray out;
    out.reserve(bytes);
    while (out.size() < bytes) {
        const qsizetype take = qMin(bytes - out.size(), m_loop.size() - m_position);
        out.append(m_loop.constData() + m_position, take);
        m_position = (m_position + take) % m_loop.size();
    }
    return out;
}

StreamChannels::StreamChannels(const StreamMedia *media)
    : m_media(media)
{
    m_onAir.start();
}

bool StreamChannels::isStreamPath(const QString &path)
{
    return path.startsWith(QLatin1String("/live/")) || path.startsWith(QLatin1String("/radio/"));
}

ServiceAnswer StreamChannels::answer(const QString &path, const ServiceRequest &request) const
{
    const bool member = path.startsWith(QLatin1String("/live/member"));
    if (member && request.header("User-Agent") != MemberAgent)
        return plain(403, "403 Forbidden: this channel is for its own player only\n");
    if (!m_media || !m_media->isLoaded())
        return plain(503, "503: the test streams are not made yet (scripts/make-test-media)\n");
    if (path == QLatin1String("/live/chengyu.m3u8"))
        return livePlaylist(QStringLiteral("chengyu"));
    if (path == QLatin1String("/live/member.m3u8"))
        return livePlaylist(QStringLiteral("member"));
    if (path.startsWith(QLatin1String("/live/chengyu/")) || path.startsWith(QLatin1String("/live/member/")))
        return liveSegment(path);
    if (path == QLatin1String("/live/erta.ts"))
        return transportStream();
    if (path == QLatin1String("/radio/chengyu.mp3"))
        return radio(request);
    return plain(404, "404 Not Found\n");
}

ServiceAnswer StreamChannels::livePlaylist(const QString &channel) const
{
    ServiceAnswer answer = plain(200, streamchannels::livePlaylist(m_media->segments(), m_onAir.elapsed(), channel + u'/'));
    answer.contentType = "application/vnd.apple.mpegurl";
    answer.headers = {{"Cache-Control", "no-cache"}};
    return answer;
}

ServiceAnswer StreamChannels::liveSegment(const QString &path) const
{
    const QString name = path.section(QLatin1Char('/'), -1);
    bool ok = false;
    const qint64 sequence = name.endsWith(QLatin1String(".ts")) ? name.chopped(3).toLongLong(&ok) : -1;
    if (!ok || sequence < 0)
        return plain(404, "404 Not Found\n");
    return {200, "video/mp2t", m_media->segment(sequence), {}, {}};
}

ServiceAnswer StreamChannels::transportStream() const
{
    auto stream = std::make_shared<PacedLoop>(m_media->transportStream(), m_media->loopSeconds(), &steadyMs);
    stream->setUnit(188);
    return {200, "video/mp2t", {}, {{"Cache-Control", "no-cache"}}, stream};
}

ServiceAnswer StreamChannels::radio(const ServiceRequest &request) const
{
    auto stream = std::make_shared<PacedLoop>(m_media->mp3(), m_media->loopSeconds(), &steadyMs);
    ServiceAnswer answer{200, "audio/mpeg", {}, {{"icy-name", QByteArray(StationName)}, {"Cache-Control", "no-cache"}},
                         stream};
    if (request.header("Icy-MetaData").trimmed() == "1") {
        stream->setMetadata(MetaInterval, kTitles, TitleEveryMs);
        answer.headers.append({"icy-metaint", QByteArray::number(MetaInterval)});
    }
    return answer;
}
