#include "guidecache.h"

#include "platform/atomicfile.h"
#include "platform/datafolder.h"

#include <QFile>
#include <QHash>

#include <optional>

#include <zlib.h>

namespace {

const QByteArray kMagic = QByteArrayLiteral("CYGUIDE\n");
constexpr quint64 kVersion = 1;
// The cache of a guide is a few megabytes; anything far larger is not ours.
constexpr qint64 kMaxCacheBytes = 512 * 1024 * 1024;

// Times in the cache are within years of each other; larger steps mean a damaged file.
constexpr qint64 kMaxStep = qint64(1) << 40;

quint64 zigzag(qint64 v) { return (quint64(v) << 1) ^ quint64(v >> 63); }
qint64 unzigzag(quint64 v) { return qint64(v >> 1) ^ -qint64(v & 1); }

quint32 checksum(const char *data, qsizetype size)
{
    uLong crc = crc32(0, nullptr, 0);
    while (size > 0) {
        const uInt piece = uInt(qMin<qsizetype>(size, 1 << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef *>(data), piece);
        data += piece;
        size -= piece;
    }
    return quint32(crc);
}

class Writer
{
public:
    void number(quint64 v)
    {
        while (v >= 0x80) {
            m_bytes.append(char(v | 0x80));
            v >>= 7;
        }
        m_bytes.append(char(v));
    }
    void bytes(const QByteArray &b)
    {
        number(quint64(b.size()));
        m_bytes.append(b);
    }
    // Each distinct text once; later uses give its index.
    void text(const QString &s)
    {
        const auto it = m_index.constFind(s);
        if (it != m_index.constEnd()) {
            number(*it);
            return;
        }
        const quint64 index = quint64(m_texts.size());
        m_index.insert(s, index);
        m_texts.append(s);
        number(index);
    }
    QByteArray finish(const QByteArray &header)
    {
        Writer file;
        file.m_bytes = header;
        file.number(quint64(m_texts.size()));
        for (const QString &s : std::as_const(m_texts))
            file.bytes(s.toUtf8());
        file.m_bytes.append(m_bytes);
        const quint32 crc = checksum(file.m_bytes.constData(), file.m_bytes.size());
        for (int i = 0; i < 4; ++i)
            file.m_bytes.append(char(crc >> (8 * i)));
        return file.m_bytes;
    }
    QByteArray m_bytes;

private:
    QHash<QString, quint64> m_index;
    QStringList m_texts;
};

class Reader
{
public:
    Reader(const char *begin, const char *end)
        : m_p(begin)
        , m_end(end)
    {
    }
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_p == m_end; }

    quint64 number()
    {
        quint64 v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (m_p >= m_end)
                break;
            const quint8 byte = quint8(*m_p++);
            v |= quint64(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                return v;
        }
        m_ok = false;
        return 0;
    }
    // A count of items that each take at least one byte: never more than the bytes left.
    qsizetype count()
    {
        const quint64 n = number();
        if (n > quint64(m_end - m_p))
            m_ok = false;
        return m_ok ? qsizetype(n) : 0;
    }
    QByteArray bytes()
    {
        const qsizetype n = count();
        const QByteArray b(m_p, m_ok ? n : 0);
        m_p += b.size();
        return b;
    }
    QString utf8()
    {
        const qsizetype n = count();
        const QString s = QString::fromUtf8(m_p, m_ok ? n : 0);
        m_p += m_ok ? n : 0;
        return s;
    }
    void useTexts(const QStringList *texts) { m_texts = texts; }
    QString text()
    {
        const quint64 index = number();
        if (index >= quint64(m_texts->size())) {
            m_ok = false;
            return {};
        }
        return m_texts->at(qsizetype(index));
    }

private:
    const char *m_p;
    const char *m_end;
    bool m_ok = true;
    const QStringList *m_texts = nullptr;
};

bool consistent(const QList<GuideProgramme> &programmes)
{
    for (qsizetype i = 0; i < programmes.size(); ++i) {
        if (programmes[i].stop <= programmes[i].start)
            return false;
        if (i > 0 && programmes[i].start < programmes[i - 1].stop)
            return false;
    }
    return !programmes.isEmpty();
}

} // namespace

QString guideCachePath(const QString &dataFolder) { return dataFilePath(dataFolder, QStringLiteral("jiemuzhinan.dat")); }

QByteArray encodeGuideCache(const Guide &guide)
{
    Writer header;
    header.m_bytes = kMagic;
    header.number(kVersion);
    header.number(zigzag(guide.madeAt()));
    header.bytes(guide.source().toUtf8());
    header.bytes(guide.keysDigest());
    Writer body;
    body.number(quint64(guide.channels().size()));
    for (const GuideChannel &channel : guide.channels()) {
        body.text(channel.id);
        body.number(quint64(channel.names.size()));
        for (const QString &name : channel.names)
            body.text(name);
        body.number(quint64(channel.programmes.size()));
        qint64 previous = guide.madeAt();
        for (const GuideProgramme &p : channel.programmes) {
            body.number(zigzag(p.start - previous));
            body.number(quint64(p.stop - p.start));
            body.text(p.title);
            body.text(p.description);
            previous = p.stop;
        }
    }
    return body.finish(header.m_bytes);
}

std::shared_ptr<Guide> decodeGuideCache(const QByteArray &bytes)
{
    if (bytes.size() < kMagic.size() + 4 || !bytes.startsWith(kMagic))
        return nullptr;
    const qsizetype bodySize = bytes.size() - 4;
    quint32 stored = 0;
    for (int i = 0; i < 4; ++i)
        stored |= quint32(quint8(bytes[bodySize + i])) << (8 * i);
    if (stored != checksum(bytes.constData(), bodySize))
        return nullptr;
    Reader in(bytes.constData() + kMagic.size(), bytes.constData() + bodySize);
    if (in.number() != kVersion)
        return nullptr;
    const qint64 madeAt = unzigzag(in.number());
    if (madeAt < 0 || madeAt > kMaxStep)
        return nullptr;
    const QString source = in.utf8();
    const QByteArray digest = in.bytes();
    QStringList texts;
    const qsizetype textCount = in.count();
    texts.reserve(textCount);
    for (qsizetype i = 0; i < textCount && in.ok(); ++i)
        texts.append(in.utf8());
    in.useTexts(&texts);
    QList<GuideChannel> channels(in.count());
    for (GuideChannel &channel : channels) {
        channel.id = in.text();
        channel.names.resize(in.count());
        for (QString &name : channel.names)
            name = in.text();
        channel.programmes.resize(in.count());
        qint64 previous = madeAt;
        for (GuideProgramme &p : channel.programmes) {
            const qint64 gap = unzigzag(in.number());
            const quint64 length = in.number();
            if (gap < -kMaxStep || gap > kMaxStep || length > quint64(kMaxStep))
                return nullptr;
            p.start = previous + gap;
            p.stop = p.start + qint64(length);
            p.title = in.text();
            p.description = in.text();
            previous = p.stop;
        }
        if (!in.ok() || !consistent(channel.programmes))
            return nullptr;
    }
    if (!in.ok() || !in.atEnd() || channels.isEmpty())
        return nullptr;
    return std::make_shared<Guide>(std::move(channels), madeAt, source, digest);
}

bool saveGuideCache(const QString &dataFolder, const Guide &guide)
{
    const QString path = guideCachePath(dataFolder);
    return !path.isEmpty() && writeFileAtomically(path, encodeGuideCache(guide));
}

std::shared_ptr<Guide> loadGuideCache(const QString &dataFolder)
{
    const QString path = guideCachePath(dataFolder);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxCacheBytes)
        return nullptr;
    return decodeGuideCache(file.readAll());
}
