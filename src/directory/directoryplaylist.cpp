#include "directoryplaylist.h"

#include "directory/channeldirectory.h"
#include "directory/channellist.h"
#include "platform/atomicfile.h"
#include "playlist/companion.h"
#include "playlist/playlist.h"

#include <QSet>

#include <future>
#include <memory>

#include <vector>

namespace {

EntryExtras extrasOf(const PlaylistEntryView &entry)
{
    return {entry.group, entry.logo, entry.tvgId, entry.tvgName, entry.tvgShift};
}

bool wanted(const PlaylistEntryView &entry, ImportedEntries which)
{
    switch (which) {
    case ImportedEntries::RadioOnly:
        return entry.radio;
    case ImportedEntries::AllButRadio:
        return !entry.radio;
    case ImportedEntries::All:
        break;
    }
    return true;
}

// Reads the playlist's wanted entries into `entries`, after those it holds.
// With `known`, an entry whose URL is in it is skipped, and each URL taken
// joins it.
PlaylistEntrySink sinkInto(ChannelEntries &entries, ImportedEntries which, QSet<QString> *known, int *read)
{
    return [&entries, which, known, read](const PlaylistEntryView &entry) {
        if (!wanted(entry, which))
            return true;
        if (read)
            ++*read;
        if (known) {
            const QString url = entry.url.toString();
            if (known->contains(url))
                return true;
            known->insert(url);
        }
        entries.append(entry.name, entry.url, extrasOf(entry));
        return true;
    };
}

// A large playlist is read in two halves at once, the second half on a
// thread of its own, and its entries then follow those of the first.
QString readInParts(ChannelEntries &entries, const QByteArray &bytes, const QUrl &source, ImportedEntries which)
{
    const PlaylistReading reading(bytes, source, 2);
    if (reading.parts() == 1)
        return reading.read(0, sinkInto(entries, which, nullptr, nullptr));
    ChannelEntries later;
    later.reserveForPlaylist(bytes.size() / 2);
    std::future<QString> laterGuide = std::async(std::launch::async, [&] {
        return reading.read(1, sinkInto(later, which, nullptr, nullptr));
    });
    QString guideUrl = reading.read(0, sinkInto(entries, which, nullptr, nullptr));
    const QString secondGuide = laterGuide.get();
    entries.appendEntries(later, int(MaxPlaylistEntries) - entries.count());
    return guideUrl.isEmpty() ? secondGuide : guideUrl;
}

} // namespace

PlaylistEntryViews playlistViews(const ChannelEntries &entries, bool radio)
{
    return {entries.count(),
            [&entries, radio](qsizetype i) {
                const EntryExtras x = entries.extras(int(i));
                return PlaylistEntryView{entries.name(int(i)), entries.url(int(i)), x.group, x.logo, x.tvgId,
                                         x.tvgName, x.tvgShift, radio};
            },
            entries.guideUrl()};
}

ImportResult importPlaylist(ChannelDirectory &directory, const QString &listFile, const QByteArray &bytes,
                            const QUrl &source, ImportMode mode, bool radio, ImportedEntries which)
{
    ChannelEntries entries;
    QSet<QString> known;
    const ChannelEntries &before = directory.entries();
    if (mode == ImportMode::Append) {
        entries = before;
        known.reserve(before.count());
        for (int i = 0; i < before.count(); ++i)
            known.insert(before.url(i).toString());
    } else {
        entries.reserveForPlaylist(bytes.size() / 2);
    }
    // Appending keeps the playlist's order to skip repeated URLs: one part.
    ImportResult result;
    const QString guideUrl = mode == ImportMode::Append
        ? readPlaylist(bytes, source, sinkInto(entries, which, &known, &result.read))
        : readInParts(entries, bytes, source, which);
    result.added = entries.count() - (mode == ImportMode::Append ? before.count() : 0);
    if (mode == ImportMode::Replace)
        result.read = result.added;
    if (result.added == 0)
        return result;
    if (entries.guideUrl().isEmpty())
        entries.setGuideUrl(guideUrl);
    entries.squeeze();
    directory.setEntries(std::move(entries));
    // The companion is written from this copy after the return; it shares
    // the texts with the directory, so it costs little.
    const auto stored = std::make_shared<const ChannelEntries>(directory.entries());
    PlaylistEntryViews views = playlistViews(*stored, radio);
    views.at = [stored, at = std::move(views.at)](qsizetype i) { return at(i); };
    result.stored = writeImportedDirectory(listFile, views);
    return result;
}

bool exportDirectory(const ChannelEntries &entries, bool radio, const QString &path)
{
    return writeFileAtomically(path, exportM3u8(playlistViews(entries, radio)));
}

std::optional<ChannelEntries> entriesWithCompanion(QStringView listText, const QByteArray &companion,
                                                   const QUrl &companionSource)
{
    // The pairs the list-file reader accepts.
    std::vector<std::pair<QStringView, QStringView>> pairs;
    forEachListFilePair(listText, [&pairs](QStringView name, QStringView url) { pairs.emplace_back(name, url); });

    ChannelEntries entries;
    entries.reserveFor(listText.size());
    bool matches = true;
    const QString guideUrl = readPlaylist(companion, companionSource, [&](const PlaylistEntryView &entry) {
        const size_t i = size_t(entries.count());
        if (i >= pairs.size() || pairs[i].second != entry.url) {
            matches = false;
            return false;
        }
        const QStringView listName = pairs[i].first;
        const bool padded = entry.name.size() < MinimumListLineLength
            && listName == entry.name.toString() + QString(MinimumListLineLength - entry.name.size(), u' ');
        entries.append(padded ? entry.name : listName, entry.url, extrasOf(entry));
        return true;
    });
    if (!matches || size_t(entries.count()) != pairs.size())
        return std::nullopt;
    entries.setGuideUrl(guideUrl);
    entries.squeeze();
    return entries;
}
