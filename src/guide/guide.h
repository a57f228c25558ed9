#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

// One programme as the guide gives it; times in seconds since 1970 UTC.
struct GuideProgramme
{
    qint64 start = 0;
    qint64 stop = 0;
    QString title;
    QString description;

    friend bool operator==(const GuideProgramme &a, const GuideProgramme &b)
    {
        return a.start == b.start && a.stop == b.stop && a.title == b.title && a.description == b.description;
    }
};

// A channel of the guide with its programmes, sorted, neither overlapping
// nor empty.
struct GuideChannel
{
    QString id;
    QStringList names; // the display-names, in the guide's order
    QList<GuideProgramme> programmes;

    friend bool operator==(const GuideChannel &a, const GuideChannel &b)
    {
        return a.id == b.id && a.names == b.names && a.programmes == b.programmes;
    }
};

// What identifies one entry of a directory to the guide.
struct GuideEntryKey
{
    QString tvgId;   // the playlist's tvg-id, may be empty
    QString tvgName; // the playlist's tvg-name, may be empty
    QString name;    // the entry's display name
    qint64 shiftSeconds = 0; // the playlist's tvg-shift (see parseTvgShift)
};

// The keys of a set of entries, as the parser uses them to decide which of
// a guide's channels to keep.
struct GuideWanted
{
    QSet<QString> ids;        // tvg-ids
    QSet<QString> names;      // tvg-names and entry names, exact
    QSet<QString> normalised; // entry names, normalised
    qint64 maxShiftSeconds = 0;

    static GuideWanted from(const QList<GuideEntryKey> &keys);
    // Whether a guide channel with this id and these display-names may be
    // the match of one of the entries.
    bool wantsChannel(const QString &id, const QStringList &names) const;
};

// One programme as shown: local times, the entry's tvg-shift applied.
struct GuideSlot
{
    QDateTime start;
    QDateTime stop;
    QString title;
    QString description;
};

struct GuideNowNext
{
    bool hasNow = false;
    bool hasNext = false;
    GuideSlot now;  // the programme running at the time asked
    GuideSlot next; // the one after it (or the next to start, when none runs)
};

struct GuideSchedule
{
    QList<GuideSlot> items;
    int current = -1; // index in items of the programme running now, or -1
};

// A program guide: the channels kept from one guide file, ready to answer
// the questions of the channel list and the player. Immutable once made, so
// one instance can be shared between threads.
class Guide
{
public:
    Guide() = default;
    Guide(QList<GuideChannel> channels, qint64 madeAt, QString source, QByteArray keysDigest = {});

    const QList<GuideChannel> &channels() const { return m_channels; }
    // When the guide was read (seconds since 1970 UTC) and from where.
    qint64 madeAt() const { return m_madeAt; }
    QString source() const { return m_source; }
    // guideKeysDigest() of the entries the guide was read for.
    QByteArray keysDigest() const { return m_keysDigest; }
    int programmeCount() const;

    // The guide channel of an entry, or -1. In this order: the tvg-id equals
    // a channel id; the tvg-name equals a display-name; the entry name equals
    // a display-name; the normalised entry name equals a normalised
    // display-name. Among several candidates of one step the guide's first
    // channel wins.
    int channelFor(const GuideEntryKey &key) const;

    // What runs at `now` on the entry's channel, and what comes next.
    GuideNowNext nowAndNext(const GuideEntryKey &key, const QDateTime &now) const;
    // The programmes of the entry's channel that touch the local days from
    // `firstDay` for `days` days (a programme across midnight belongs to
    // both days), with the one running at `now` marked.
    GuideSchedule schedule(const GuideEntryKey &key, QDate firstDay, int days, const QDateTime &now) const;

private:
    QList<GuideChannel> m_channels;
    qint64 m_madeAt = 0;
    QString m_source;
    QByteArray m_keysDigest;
    QHash<QString, int> m_byId;
    QHash<QString, int> m_byName;
    QHash<QString, int> m_byNormalised;
};

// A digest of the entries' ids and names, whatever their order: a guide read
// for other channels may lack programmes these entries need.
QByteArray guideKeysDigest(const QList<GuideEntryKey> &keys);

using GuidePointer = std::shared_ptr<const Guide>;
