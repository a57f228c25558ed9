#include "listfile.h"

#include "byteoutput.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <atomic>
#include <optional>

namespace {

constexpr int kMinimumLineLength = 3;

bool inRange(char byte, int low, int high)
{
    const int b = quint8(byte);
    return b >= low && b <= high;
}

// Bytes of the character that starts at i, as GB18030 counts them.
qsizetype characterLength(const QByteArray &bytes, qsizetype i)
{
    const qsizetype left = bytes.size() - i;
    if (quint8(bytes[i]) < 0x81 || quint8(bytes[i]) > 0xFE || left < 2)
        return 1;
    const char trail = bytes[i + 1];
    if (inRange(trail, 0x30, 0x39))
        return left >= 4 && inRange(bytes[i + 2], 0x81, 0xFE) && inRange(bytes[i + 3], 0x30, 0x39) ? 4 : 1;
    return inRange(trail, 0x40, 0x7E) || inRange(trail, 0x80, 0xFE) ? 2 : 1;
}

// Writes texts in the list-file encoding. A character's bytes are worked
// out once, by trying the code page and checking that they read back as the
// character (GB18030 otherwise), and kept for the whole run: texts of
// millions of characters then cost a table look-up per character.
class ListFileEncoder
{
public:
    // CR and LF as blanks when `oneLine`.
    void append(ByteOutput &out, QStringView text, bool oneLine)
    {
        // A character takes at most four bytes.
        char *at = out.room(text.size() * 4);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = text[i].unicode();
            if (u < 0x80) {
                *at++ = oneLine && (u == u'\r' || u == u'\n') ? ' ' : char(u);
                continue;
            }
            if (QChar::isSurrogate(u)) {
                const bool pair = QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
                const QByteArray bytes = pair ? slowBytes(text.sliced(i++, 2)) : QByteArray("?");
                at = std::copy(bytes.begin(), bytes.end(), at);
                continue;
            }
            quint64 packed = s_known[u].load(std::memory_order_relaxed);
            if (packed == 0) {
                const QByteArray bytes = slowBytes(text.sliced(i, 1));
                packed = quint64(bytes.size());
                for (qsizetype k = 0; k < bytes.size(); ++k)
                    packed |= quint64(quint8(bytes[k])) << (8 * (k + 1));
                s_known[u].store(packed, std::memory_order_relaxed);
            }
            for (quint64 k = 1; k <= (packed & 0xFF); ++k)
                *at++ = char(packed >> (8 * k));
        }
        out.wrote(at);
    }

    // One line of a list file: CR and LF as blanks, at least three
    // characters long, and the line end.
    void appendLine(ByteOutput &out, QStringView text)
    {
        append(out, text, true);
        for (qsizetype n = text.size(); n < kMinimumLineLength; ++n)
            out.append(' ');
        out.append(QLatin1String("\r\n"));
    }

private:
    QByteArray slowBytes(QStringView character)
    {
        if (!m_codePage) {
            m_codePage.emplace("GBK", QStringConverter::Flag::Stateless);
            m_gb18030.emplace("GB18030", QStringConverter::Flag::Stateless);
        }
        QByteArray bytes = m_codePage->encode(character);
        if (decodeListFileText(bytes) != character)
            bytes = m_gb18030->encode(character);
        if (decodeListFileText(bytes) != character)
            bytes = "?";
        return bytes;
    }

    // Length in the lowest byte, the bytes above it; 0 until worked out.
    static std::atomic<quint64> s_known[0x10000];
    std::optional<QStringEncoder> m_codePage;
    std::optional<QStringEncoder> m_gb18030;
};

std::atomic<quint64> ListFileEncoder::s_known[0x10000];

} // namespace

QByteArray encodeListFileText(const QString &text)
{
    ByteOutput out(text.size() + text.size() / 2);
    ListFileEncoder().append(out, text, false);
    return out.take();
}

QString decodeListFileText(const QByteArray &bytes)
{
    QStringDecoder gb18030("GB18030", QStringConverter::Flag::Stateless);
    QString text;
    text.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const quint8 byte = quint8(bytes[i]);
        if (byte != 0x80 && byte != 0xFF) {
            i += characterLength(bytes, i);
            continue;
        }
        text += gb18030.decode(QByteArrayView(bytes).sliced(runStart, i - runStart));
        text += byte == 0x80 ? QChar(0x20AC) : QChar(0xF8F5);
        runStart = ++i;
    }
    text += gb18030.decode(QByteArrayView(bytes).sliced(runStart));
    return text;
}

QByteArray listFileContent(const PlaylistEntryViews &entries)
{
    ByteOutput out(entries.count * 100);
    for (qsizetype i = 0; i < entries.count; ++i)
        appendListFileEntry(out, entries.at(i));
    return out.take();
}

void appendListFileEntry(ByteOutput &out, const PlaylistEntryView &entry)
{
    ListFileEncoder encoder;
    encoder.appendLine(out, entry.name);
    encoder.appendLine(out, entry.url);
}
