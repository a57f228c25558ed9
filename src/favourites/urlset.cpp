#include "urlset.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr quint64 K1 = 0x9E3779B97F4A7C15ULL;
constexpr quint64 K2 = 0xC2B2AE3D27D4EB4FULL;

quint64 rotate(quint64 x, int bits)
{
    return (x << bits) | (x >> (64 - bits));
}

quint64 finalMix(quint64 h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

// Both bits of a URL lie in one word of the filter, so a lookup reads memory
// once.
quint64 filterBits(quint64 hash)
{
    return (quint64(1) << (hash >> 52 & 63)) | (quint64(1) << (hash >> 58));
}

// The smallest power of two that is at least n.
size_t powerOfTwo(size_t n)
{
    size_t p = 1;
    while (p < n)
        p *= 2;
    return p;
}

} // namespace

// Two independent lanes over 16 bytes a step, and the last 16 bytes read in
// one go: about a third of qHash's time on URLs of typical length, which
// decides the speed of a pass over a whole directory.
quint64 UrlSet::hash(QStringView url)
{
    const auto *bytes = reinterpret_cast<const char *>(url.data());
    const size_t length = size_t(url.size()) * sizeof(QChar);
    quint64 a = K1 ^ length;
    quint64 b = K2;
    quint64 w0 = 0;
    quint64 w1 = 0;
    for (size_t i = 0; i + 16 < length; i += 16) {
        std::memcpy(&w0, bytes + i, 8);
        std::memcpy(&w1, bytes + i + 8, 8);
        a = rotate((a ^ w0) * K1, 29);
        b = rotate((b ^ w1) * K2, 31);
    }
    // The end, overlapping what came before where the length is no multiple
    // of 16 (the length is in the hash already).
    w0 = w1 = 0;
    if (length >= 16) {
        std::memcpy(&w0, bytes + length - 16, 8);
        std::memcpy(&w1, bytes + length - 8, 8);
    } else if (length >= 8) {
        std::memcpy(&w0, bytes, 8);
        std::memcpy(&w1, bytes + length - 8, 8);
    } else {
        for (size_t j = 0; j < length; ++j)
            w0 |= quint64(uchar(bytes[j])) << (8 * j);
    }
    a = rotate((a ^ w0) * K1, 29);
    b = rotate((b ^ w1) * K2, 31);
    return finalMix(a ^ rotate(b, 32));
}

bool UrlSet::contains(QStringView url) const
{
    if (m_urls.isEmpty())
        return false;
    const quint64 h = hash(url);
    const quint64 bits = filterBits(h);
    if ((m_filter[h & (m_filter.size() - 1)] & bits) != bits)
        return false;
    return indexOf(url, h) >= 0;
}

qsizetype UrlSet::indexOf(QStringView url, quint64 hash) const
{
    if (m_slots.empty())
        return -1;
    const auto check = quint32(hash >> 32);
    const size_t mask = m_slots.size() - 1;
    for (size_t s = hash & mask;; s = (s + 1) & mask) {
        const Slot &slot = m_slots[s];
        if (slot.index < 0)
            return -1;
        if (slot.check == check && m_urls.at(slot.index) == url)
            return slot.index;
    }
}

void UrlSet::add(quint64 hash, int index)
{
    m_filter[hash & (m_filter.size() - 1)] |= filterBits(hash);
    const size_t mask = m_slots.size() - 1;
    size_t s = hash & mask;
    while (m_slots[s].index >= 0)
        s = (s + 1) & mask;
    m_slots[s] = Slot{quint32(hash >> 32), qint32(index)};
}

void UrlSet::rebuild()
{
    const auto count = size_t(m_urls.size());
    m_slots.assign(powerOfTwo(std::max<size_t>(16, count * 2)), Slot());
    // Eight filter bits per slot: at least sixteen per URL, as the table is
    // at most half full.
    m_filter.assign(m_slots.size() / 8, 0);
    for (int i = 0; i < m_urls.size(); ++i)
        add(hash(m_urls.at(i)), i);
}

bool UrlSet::insert(const QString &url)
{
    const quint64 h = hash(url);
    if (indexOf(url, h) >= 0)
        return false;
    m_urls.append(url);
    if (size_t(m_urls.size()) * 2 > m_slots.size())
        rebuild();
    else
        add(h, int(m_urls.size() - 1));
    return true;
}

bool UrlSet::remove(QStringView url)
{
    const qsizetype i = indexOf(url, hash(url));
    if (i < 0)
        return false;
    // The URLs after it move down one place, and its filter bits go.
    m_urls.removeAt(i);
    rebuild();
    return true;
}
