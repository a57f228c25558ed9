#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// A set of URLs in the order they were added, built for the question asked
// of every entry of a directory: "is this one of them?", where nearly every
// answer is no. Each URL has a fast 64-bit hash. A bit filter small enough
// to stay in the processor's cache (two bits per URL, in one 64-bit word,
// sixteen to thirty-two bits per URL in all) rejects almost every URL that
// is not in the set after one read; the few it lets through are looked up
// in an open-addressing table of hashes and compared in full on a match.
class UrlSet
{
public:
    bool contains(QStringView url) const;
    // Adds the URL at the end; false when it is already there.
    bool insert(const QString &url);
    // False when the URL was not there.
    bool remove(QStringView url);

    qsizetype size() const { return m_urls.size(); }
    bool isEmpty() const { return m_urls.isEmpty(); }
    const QStringList &urls() const { return m_urls; }

    static quint64 hash(QStringView url);

private:
    struct Slot
    {
        quint32 check = 0; // the high half of the URL's hash
        qint32 index = -1; // into m_urls; -1: empty
    };
    qsizetype indexOf(QStringView url, quint64 hash) const;
    void add(quint64 hash, int index);
    void rebuild();

    QStringList m_urls;
    std::vector<Slot> m_slots;     // a power of two in size, at most half full
    std::vector<quint64> m_filter; // a power of two in size
};
