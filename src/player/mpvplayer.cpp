#include "mpvplayer.h"

#include "streamurl.h"

#include <QTimer>
#include <QUrl>

#include <mpv/client.h>

namespace {

constexpr int kMaxLogLines = 40;
constexpr int kMaxPlaylistDepth = 5;

// Observed properties, told apart by their reply ids.
enum Observed : uint64_t {
    PausedForCache = 1,
    BufferingState,
    TimePos,
    IcyTitle,
    IcyName,
    VideoCodec,
};

void setOption(mpv_handle *mpv, const char *name, const QByteArray &value)
{
    mpv_set_option_string(mpv, name, value.constData());
}

// An expanded playlist entry that holds markup came from a web page, not a playlist.
bool isMarkup(const QString &entry)
{
    return entry.contains(QLatin1Char('<')) || entry.contains(QLatin1Char('>'));
}

} // namespace

MpvPlayer::MpvPlayer(const MpvOptions &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_session(options.retry)
    , m_stallTimer(new QTimer(this))
    , m_retryTimer(new QTimer(this))
{
    m_clock.start();
    m_stallTimer->setSingleShot(true);
    m_stallTimer->setInterval(options.stallTimeoutMs);
    connect(m_stallTimer, &QTimer::timeout, this, &MpvPlayer::onStall);
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &MpvPlayer::onRetryDue);
}

MpvPlayer::~MpvPlayer()
{
    if (!m_mpv)
        return;
    Q_EMIT coreAboutToBeDestroyed();
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_terminate_destroy(m_mpv);
}

bool MpvPlayer::ensureCore()
{
    if (m_mpv || m_coreFailed)
        return m_mpv != nullptr;
    m_mpv = mpv_create();
    if (!m_mpv) {
        m_coreFailed = true;
        return false;
    }
    const QByteArray timeout = QByteArray::number(qMax(1, m_options.stallTimeoutMs / 1000 + 3));
    setOption(m_mpv, "config", "no");
    setOption(m_mpv, "terminal", "no");
    setOption(m_mpv, "idle", "yes");
    applyVideoOutput();
    if (!m_options.audioOutput.isEmpty())
        setOption(m_mpv, "ao", m_options.audioOutput);
    // A machine without a sound device still shows the picture, and the other way round.
    setOption(m_mpv, "stop-playback-on-init-failure", "no");
    setOption(m_mpv, "ytdl", "no");
    setOption(m_mpv, "load-scripts", "no");
    setOption(m_mpv, "osc", "no");
    setOption(m_mpv, "input-default-bindings", "no");
    setOption(m_mpv, "input-vo-keyboard", "no");
    setOption(m_mpv, "audio-display", "no"); // cover art of a radio stream is no picture
    setOption(m_mpv, "hwdec", "no");
    setOption(m_mpv, "gpu-hwdec-interop", "no"); // decoding is in software: no GPU decoder probed
    setOption(m_mpv, "video-latency-hacks", "yes"); // the first picture as soon as it is decoded
    setOption(m_mpv, "keep-open", "no");
    setOption(m_mpv, "network-timeout", timeout);
    setOption(m_mpv, "volume", QByteArray::number(m_volume));
    setOption(m_mpv, "mute", m_muted ? "yes" : "no");
    if (mpv_initialize(m_mpv) < 0) {
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        m_coreFailed = true;
        return false;
    }
    mpv_request_log_messages(m_mpv, "warn");
    mpv_observe_property(m_mpv, PausedForCache, "paused-for-cache", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, BufferingState, "cache-buffering-state", MPV_FORMAT_INT64);
    mpv_observe_property(m_mpv, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, IcyTitle, "metadata/by-key/icy-title", MPV_FORMAT_STRING);
    mpv_observe_property(m_mpv, IcyName, "metadata/by-key/icy-name", MPV_FORMAT_STRING);
    mpv_observe_property(m_mpv, VideoCodec, "video-codec", MPV_FORMAT_STRING);
    // Called on the engine's threads: only ask this thread to read the events.
    mpv_set_wakeup_callback(
        m_mpv,
        [](void *context) {
            auto *self = static_cast<MpvPlayer *>(context);
            if (!self->m_readQueued.exchange(true))
                QMetaObject::invokeMethod(self, &MpvPlayer::readEvents, Qt::QueuedConnection);
        },
        this);
    Q_EMIT coreCreated();
    return true;
}

void MpvPlayer::setVideoOutput(const QByteArray &videoOutput)
{
    m_options.videoOutput = videoOutput;
    if (m_mpv)
        applyVideoOutput();
}

void MpvPlayer::applyVideoOutput()
{
    const bool picture = !m_options.videoOutput.isEmpty();
    // Takes effect from the next stream on.
    mpv_set_property_string(m_mpv, "vo", picture ? m_options.videoOutput.constData() : "null");
    mpv_set_property_string(m_mpv, "vid", picture ? "auto" : "no");
}

void MpvPlayer::play(const QString &text)
{
    m_retryTimer->stop();
    m_address = text;
    const streamurl::StreamAddress address = streamurl::parse(text);
    m_headers = address.headers;
    setStationName({});
    setNowPlaying({});
    setHasVideo(false);
    m_session.start();
    if (!address.headersValid || address.url.isEmpty()) {
        if (m_mpv)
            mpv_command_string(m_mpv, "stop");
        fail({address.url.isEmpty() ? Failure::Other : Failure::BadHeaders});
        return;
    }
    if (!ensureCore()) {
        fail({Failure::NoEngine});
        return;
    }
    load();
}

void MpvPlayer::applyHeaders()
{
    QByteArrayList fields;
    for (const auto &header : m_headers)
        fields.append(header.first.toUtf8() + ": " + header.second.toUtf8());
    // A node list keeps commas inside values intact.
    QList<mpv_node> items(fields.size());
    for (qsizetype i = 0; i < fields.size(); ++i) {
        items[i].format = MPV_FORMAT_STRING;
        items[i].u.string = fields[i].data();
    }
    mpv_node_list list{int(items.size()), items.data(), nullptr};
    mpv_node node;
    node.format = MPV_FORMAT_NODE_ARRAY;
    node.u.list = &list;
    mpv_set_property(m_mpv, "http-header-fields", MPV_FORMAT_NODE, &node);
}

void MpvPlayer::load()
{
    applyHeaders();
    const QByteArray url = streamurl::parse(m_address).url.toUtf8();
    m_started = false;
    m_idleReached = false;
    m_endPending = false;
    m_log.clear();
    m_playlistsSeen = {QString::fromUtf8(url)};
    m_playlistDepth = 0;
    m_position = 0;
    // The engine of this system takes "loadfile <url> <flags>"; later ones
    // put an index before the options, so no options are passed here.
    const char *command[] = {"loadfile", url.constData(), "replace", nullptr};
    mpv_node result;
    m_entryId = 0;
    if (mpv_command_ret(m_mpv, command, &result) >= 0) {
        if (result.format == MPV_FORMAT_NODE_MAP) {
            for (int i = 0; i < result.u.list->num; ++i) {
                if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0)
                    m_entryId = result.u.list->values[i].u.int64;
            }
        }
        mpv_free_node_contents(&result);
    }
    if (m_entryId <= 0) {
        fail({Failure::Other});
        return;
    }
    m_stallTimer->start();
    changed();
}

void MpvPlayer::stop()
{
    m_retryTimer->stop();
    m_stallTimer->stop();
    m_entryId = 0;
    m_address.clear();
    m_session.stop();
    if (m_mpv)
        mpv_command_string(m_mpv, "stop");
    setStationName({});
    setNowPlaying({});
    setHasVideo(false);
    changed();
}

void MpvPlayer::setVolume(int volume)
{
    m_volume = qBound(0, volume, 100);
    if (m_mpv) {
        double value = m_volume;
        mpv_set_property_async(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &value);
    }
}

void MpvPlayer::setMuted(bool muted)
{
    m_muted = muted;
    if (m_mpv) {
        int flag = muted ? 1 : 0;
        mpv_set_property_async(m_mpv, 0, "mute", MPV_FORMAT_FLAG, &flag);
    }
}

void MpvPlayer::readEvents()
{
    m_readQueued = false;
    if (!m_mpv)
        return;
    for (;;) {
        mpv_event *event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
    // Log lines are read after the events they explain, so a load is judged
    // only once the queue is empty.
    if (m_endPending && m_idleReached)
        finishLoad();
}

void MpvPlayer::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE: {
        const auto *message = static_cast<const mpv_event_log_message *>(event.data);
        m_log.append(QString::fromUtf8(message->prefix) + QLatin1String(": ")
                     + QString::fromUtf8(message->text).trimmed());
        if (m_log.size() > kMaxLogLines)
            m_log.removeFirst();
        break;
    }
    case MPV_EVENT_START_FILE: {
        const auto *start = static_cast<const mpv_event_start_file *>(event.data);
        if (isCurrentEntry(start->playlist_entry_id)) {
            m_started = true;
            m_idleReached = false;
            m_endPending = false;
        }
        break;
    }
    case MPV_EVENT_END_FILE:
        handleEndFile(event);
        break;
    case MPV_EVENT_IDLE:
        if (m_started)
            m_idleReached = true;
        break;
    case MPV_EVENT_FILE_LOADED: {
        if (!m_started || !m_session.isActive())
            break;
        int seekable = 0;
        double duration = 0;
        const bool hasDuration = mpv_get_property(m_mpv, "duration", MPV_FORMAT_DOUBLE, &duration) >= 0;
        mpv_get_property(m_mpv, "seekable", MPV_FORMAT_FLAG, &seekable);
        m_session.loaded(!hasDuration || !seekable);
        break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_started && m_session.isActive()) {
            m_session.playbackStarted(m_clock.elapsed());
            m_stallTimer->stop();
            changed();
        }
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    default:
        break;
    }
}

void MpvPlayer::handlePropertyChange(const mpv_event &event)
{
    const auto *property = static_cast<const mpv_event_property *>(event.data);
    const bool has = property->format != MPV_FORMAT_NONE && property->data;
    switch (event.reply_userdata) {
    case PausedForCache:
    case BufferingState: {
        int waiting = 0;
        int64_t percent = 0;
        if (mpv_get_property(m_mpv, "paused-for-cache", MPV_FORMAT_FLAG, &waiting) < 0)
            waiting = 0;
        if (mpv_get_property(m_mpv, "cache-buffering-state", MPV_FORMAT_INT64, &percent) < 0)
            percent = 0;
        const PlayState before = m_session.status().state;
        const int percentBefore = m_session.status().bufferPercent;
        m_session.bufferingChanged(waiting != 0, int(percent));
        const PlayState after = m_session.status().state;
        if (after == PlayState::Buffering && (before != after || percentBefore != percent))
            m_stallTimer->start(); // progress while buffering
        else if (after == PlayState::Playing)
            m_stallTimer->stop();
        if (before != after || percentBefore != m_session.status().bufferPercent)
            changed();
        break;
    }
    case TimePos:
        if (has && m_session.isActive()) {
            m_position = *static_cast<double *>(property->data);
            Q_EMIT positionChanged(m_position);
        }
        break;
    case IcyTitle:
        setNowPlaying(has ? QString::fromUtf8(*static_cast<char **>(property->data)) : QString());
        break;
    case IcyName:
        setStationName(has ? QString::fromUtf8(*static_cast<char **>(property->data)) : QString());
        break;
    case VideoCodec:
        setHasVideo(has);
        break;
    default:
        break;
    }
}

void MpvPlayer::handleEndFile(const mpv_event &event)
{
    const auto *end = static_cast<const mpv_event_end_file *>(event.data);
    if (!isCurrentEntry(end->playlist_entry_id) || !m_session.isActive())
        return;
    switch (end->reason) {
    case MPV_END_FILE_REASON_REDIRECT:
        checkExpandedPlaylist();
        break;
    case MPV_END_FILE_REASON_EOF:
        m_endPending = true;
        m_end = LoadEnd::Finished;
        break;
    case MPV_END_FILE_REASON_ERROR:
        m_endPending = true;
        m_end = end->error == MPV_ERROR_UNKNOWN_FORMAT ? LoadEnd::UnknownFormat
            : end->error == MPV_ERROR_AO_INIT_FAILED   ? LoadEnd::NoSound
                                                       : LoadEnd::Failed;
        break;
    default: // stopped on purpose, or replaced by a newer load
        break;
    }
}

// A playlist was opened and replaced by its entries: refuse a page read as a
// playlist and a playlist that leads back to one already opened.
void MpvPlayer::checkExpandedPlaylist()
{
    mpv_node playlist;
    if (mpv_get_property(m_mpv, "playlist", MPV_FORMAT_NODE, &playlist) < 0)
        return;
    Failure failure = ++m_playlistDepth > kMaxPlaylistDepth ? Failure::PlaylistLoop : Failure::None;
    if (playlist.format == MPV_FORMAT_NODE_ARRAY) {
        for (int i = 0; i < playlist.u.list->num && failure == Failure::None; ++i) {
            const mpv_node &entry = playlist.u.list->values[i];
            if (entry.format != MPV_FORMAT_NODE_MAP)
                continue;
            for (int k = 0; k < entry.u.list->num; ++k) {
                if (qstrcmp(entry.u.list->keys[k], "filename") != 0
                    || entry.u.list->values[k].format != MPV_FORMAT_STRING)
                    continue;
                const QString file = QString::fromUtf8(entry.u.list->values[k].u.string);
                if (isMarkup(file))
                    failure = Failure::NotAStream;
                else if (m_playlistsSeen.contains(file))
                    failure = Failure::PlaylistLoop;
                else
                    m_playlistsSeen.insert(file);
            }
        }
    }
    mpv_free_node_contents(&playlist);
    if (failure != Failure::None) {
        mpv_command_string(m_mpv, "stop");
        fail({failure});
    }
}

void MpvPlayer::finishLoad()
{
    m_endPending = false;
    m_stallTimer->stop();
    const FailureInfo failure = classifyFailure(m_end, m_log);
    settle(m_session.ended(m_end, failure, m_clock.elapsed()));
}

void MpvPlayer::fail(const FailureInfo &failure)
{
    m_stallTimer->stop();
    m_endPending = false;
    m_entryId = 0; // later events of the failed load are not ours
    settle(m_session.failed(failure, m_clock.elapsed()));
}

void MpvPlayer::settle(int retryInMs)
{
    if (retryInMs >= 0)
        m_retryTimer->start(retryInMs);
    changed();
}

void MpvPlayer::onStall()
{
    if (!m_session.isActive() || !m_mpv)
        return;
    mpv_command_string(m_mpv, "stop");
    fail({Failure::TimedOut});
}

void MpvPlayer::onRetryDue()
{
    if (m_session.status().state != PlayState::Retrying || !m_mpv)
        return;
    m_session.retryStarted();
    load();
}

void MpvPlayer::setStationName(const QString &name)
{
    if (name == m_stationName)
        return;
    m_stationName = name;
    Q_EMIT metadataChanged();
}

void MpvPlayer::setNowPlaying(const QString &title)
{
    if (title == m_nowPlaying)
        return;
    m_nowPlaying = title;
    Q_EMIT metadataChanged();
}

void MpvPlayer::setHasVideo(bool hasVideo)
{
    if (hasVideo == m_hasVideo)
        return;
    m_hasVideo = hasVideo;
    Q_EMIT videoChanged(hasVideo);
}

void MpvPlayer::changed() { Q_EMIT statusChanged(); }
