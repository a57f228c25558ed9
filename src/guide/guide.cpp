#include "guide.h"

#include "channelname.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Programmes with start + shift <= t < stop + shift come before the first
// one whose shifted stop is after t.
qsizetype firstEndingAfter(const QList<GuideProgramme> &programmes, qint64 t, qint64 shift)
{
    const auto it = std::upper_bound(programmes.begin(), programmes.end(), t,
                                     [shift](qint64 time, const GuideProgramme &p) { return time < p.stop + shift; });
    return it - programmes.begin();
}

// A key given by several channels stays with the first of them.
void insertFirst(QHash<QString, int> &table, const QString &key, int channel)
{
    if (!table.contains(key))
        table.insert(key, channel);
}

GuideSlot slotOf(const GuideProgramme &programme, qint64 shift)
{
    return {QDateTime::fromSecsSinceEpoch(programme.start + shift), QDateTime::fromSecsSinceEpoch(programme.stop + shift),
            programme.title, programme.description};
}

} // namespace

GuideWanted GuideWanted::from(const QList<GuideEntryKey> &keys)
{
    GuideWanted wanted;
    for (const GuideEntryKey &key : keys) {
        if (!key.tvgId.isEmpty())
            wanted.ids.insert(key.tvgId);
        if (!key.tvgName.isEmpty())
            wanted.names.insert(key.tvgName);
        if (!key.name.isEmpty()) {
            wanted.names.insert(key.name);
            wanted.normalised.insert(normaliseChannelName(key.name));
        }
        wanted.maxShiftSeconds = std::max(wanted.maxShiftSeconds, std::abs(key.shiftSeconds));
    }
    return wanted;
}

bool GuideWanted::wantsChannel(const QString &id, const QStringList &displayNames) const
{
    if (ids.contains(id))
        return true;
    for (const QString &name : displayNames) {
        if (names.contains(name) || normalised.contains(normaliseChannelName(name)))
            return true;
    }
    return false;
}

// The digest runs on the GUI thread for every entry (200,000 of them in a
// large playlist): a 64-bit FNV-1a hash per key, sorted, then one SHA-1 over
// those, instead of sorting and joining the texts themselves.
QByteArray guideKeysDigest(const QList<GuideEntryKey> &keys)
{
    std::vector<quint64> hashes;
    hashes.reserve(size_t(keys.size()));
    for (const GuideEntryKey &key : keys) {
        quint64 h = 14695981039346656037ULL;
        for (const QString *text : {&key.tvgId, &key.tvgName, &key.name}) {
            for (const QChar c : *text)
                h = (h ^ c.unicode()) * 1099511628211ULL;
            h = (h ^ 0xFFFFU) * 1099511628211ULL; // a separator no text holds
        }
        hashes.push_back(h);
    }
    std::sort(hashes.begin(), hashes.end());
    hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
    return QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char *>(hashes.data()),
                                                   qsizetype(hashes.size() * sizeof(quint64))),
                                    QCryptographicHash::Sha1);
}

Guide::Guide(QList<GuideChannel> channels, qint64 madeAt, QString source, QByteArray keysDigest)
    : m_channels(std::move(channels))
    , m_madeAt(madeAt)
    , m_source(std::move(source))
    , m_keysDigest(std::move(keysDigest))
{
    for (int i = 0; i < m_channels.size(); ++i) {
        const GuideChannel &channel = m_channels.at(i);
        insertFirst(m_byId, channel.id, i);
        for (const QString &name : channel.names) {
            insertFirst(m_byName, name, i);
            insertFirst(m_byNormalised, normaliseChannelName(name), i);
        }
    }
}

int Guide::programmeCount() const
{
    int count = 0;
    for (const GuideChannel &channel : m_channels)
        count += int(channel.programmes.size());
    return count;
}

int Guide::channelFor(const GuideEntryKey &key) const
{
    if (!key.tvgId.isEmpty()) {
        if (const auto it = m_byId.constFind(key.tvgId); it != m_byId.constEnd())
            return *it;
    }
    for (const QString &name : {key.tvgName, key.name}) {
        if (name.isEmpty())
            continue;
        if (const auto it = m_byName.constFind(name); it != m_byName.constEnd())
            return *it;
    }
    if (key.name.isEmpty())
        return -1;
    return m_byNormalised.value(normaliseChannelName(key.name), -1);
}

GuideNowNext Guide::nowAndNext(const GuideEntryKey &key, const QDateTime &now) const
{
    GuideNowNext answer;
    const int channel = channelFor(key);
    if (channel < 0)
        return answer;
    const QList<GuideProgramme> &programmes = m_channels.at(channel).programmes;
    const qint64 t = now.toSecsSinceEpoch();
    qsizetype i = firstEndingAfter(programmes, t, key.shiftSeconds);
    if (i < programmes.size() && programmes.at(i).start + key.shiftSeconds <= t) {
        answer.hasNow = true;
        answer.now = slotOf(programmes.at(i), key.shiftSeconds);
        ++i;
    }
    if (i < programmes.size()) {
        answer.hasNext = true;
        answer.next = slotOf(programmes.at(i), key.shiftSeconds);
    }
    return answer;
}

GuideSchedule Guide::schedule(const GuideEntryKey &key, QDate firstDay, int days, const QDateTime &now) const
{
    GuideSchedule answer;
    const int channel = channelFor(key);
    if (channel < 0 || !firstDay.isValid() || days <= 0)
        return answer;
    const QList<GuideProgramme> &programmes = m_channels.at(channel).programmes;
    const qint64 from = firstDay.startOfDay().toSecsSinceEpoch();
    const qint64 to = firstDay.addDays(days).startOfDay().toSecsSinceEpoch();
    const qint64 t = now.toSecsSinceEpoch();
    for (qsizetype i = firstEndingAfter(programmes, from, key.shiftSeconds); i < programmes.size(); ++i) {
        const GuideProgramme &programme = programmes.at(i);
        if (programme.start + key.shiftSeconds >= to)
            break;
        if (programme.start + key.shiftSeconds <= t && t < programme.stop + key.shiftSeconds)
            answer.current = int(answer.items.size());
        answer.items.append(slotOf(programme, key.shiftSeconds));
    }
    return answer;
}
