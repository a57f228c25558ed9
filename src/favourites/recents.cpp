#include "recents.h"

#include "platform/datafolder.h"

#include <algorithm>

namespace {

// Record words of the file.
const QString PlayedWord = QStringLiteral("played");
const QString LastWord = QStringLiteral("last");
const QString ViewWord = QStringLiteral("view");
const QString StartWord = QStringLiteral("play-last-at-start");

QStringList entryRecord(const QString &word, const PlayedEntry &entry)
{
    return {word, directoryWord(entry.directory), entry.name, entry.url};
}

// The entry of a record "word<TAB>directory<TAB>name<TAB>url".
std::optional<PlayedEntry> entryOf(const QStringList &record)
{
    const auto directory = directoryFromWord(record.value(1));
    if (record.size() != 4 || !directory || record.at(3).isEmpty())
        return std::nullopt;
    return PlayedEntry{*directory, record.at(2), record.at(3)};
}

} // namespace

Recents::Recents(const QString &dataDir)
    : m_file(dataFilePath(dataDir, QLatin1String(RecentsFileName)), "recents")
{
    load();
}

void Recents::played(const PlayedEntry &entry)
{
    if (entry.url.isEmpty())
        return;
    m_entries.removeIf([&](const PlayedEntry &e) { return e.url == entry.url; });
    m_entries.prepend(entry);
    if (m_entries.size() > RecentsLimit)
        m_entries.resize(RecentsLimit);
    m_last[int(entry.directory)] = entry;
    m_lastView = entry.directory;
    save();
}

void Recents::setLastView(DirectoryKind directory)
{
    if (m_lastView == directory)
        return;
    m_lastView = directory;
    save();
}

std::optional<PlayedEntry> Recents::lastPlayed(DirectoryKind directory) const
{
    return m_last[int(directory)];
}

void Recents::setPlayLastAtStart(bool on)
{
    if (m_playLastAtStart == on)
        return;
    m_playLastAtStart = on;
    save();
}

std::optional<PlayedEntry> Recents::startEntry() const
{
    return m_playLastAtStart ? lastPlayed(m_lastView) : std::nullopt;
}

void Recents::load()
{
    for (const QStringList &record : m_file.read()) {
        if (!take(record))
            m_file.markDamaged();
    }
}

bool Recents::take(const QStringList &record)
{
    const QString &word = record.at(0);
    if (word == StartWord) {
        const QString value = record.value(1);
        m_playLastAtStart = value == QLatin1String("on");
        return record.size() == 2 && (m_playLastAtStart || value == QLatin1String("off"));
    }
    if (word == ViewWord) {
        const auto view = directoryFromWord(record.value(1));
        m_lastView = view.value_or(m_lastView);
        return record.size() == 2 && view;
    }
    const auto entry = entryOf(record);
    if (!entry)
        return false;
    if (word == LastWord) {
        m_last[int(entry->directory)] = entry;
        return true;
    }
    if (word != PlayedWord)
        return false;
    const auto sameUrl = [&](const PlayedEntry &e) { return e.url == entry->url; };
    if (m_entries.size() < RecentsLimit && std::none_of(m_entries.cbegin(), m_entries.cend(), sameUrl))
        m_entries.append(*entry);
    return true;
}

void Recents::save()
{
    QList<QStringList> records;
    records.append({StartWord, m_playLastAtStart ? QStringLiteral("on") : QStringLiteral("off")});
    records.append({ViewWord, directoryWord(m_lastView)});
    for (const auto &last : m_last) {
        if (last)
            records.append(entryRecord(LastWord, *last));
    }
    for (const PlayedEntry &entry : m_entries)
        records.append(entryRecord(PlayedWord, entry));
    m_file.write(records);
}
