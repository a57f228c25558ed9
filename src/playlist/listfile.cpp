#include "listfile.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

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

// Appends the text as one line: CR and LF as blanks, at least three
// characters long, and the line end.
void appendLine(QString &out, const QString &text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n')) {
        out += text;
    } else {
        QString line = text;
        out += line.replace(u'\r', u' ').replace(u'\n', u' ');
    }
    if (text.size() < kMinimumLineLength)
        out += QString(kMinimumLineLength - text.size(), u' ');
    out += QLatin1String("\r\n");
}

// Private-use characters are where code page 936 and GB18030 part: some of
// the code page's codes for them read as other characters in GB18030.
bool hasPrivateUse(const QString &text)
{
    for (QChar ch : text) {
        if (ch.unicode() >= 0xE000 && ch.unicode() <= 0xF8FF)
            return true;
    }
    return false;
}

// One character at a time, for text that code page 936 cannot hold whole.
QByteArray encodeByCharacter(const QString &text)
{
    QStringEncoder codePage("GBK", QStringConverter::Flag::Stateless);
    QStringEncoder gb18030("GB18030", QStringConverter::Flag::Stateless);
    QHash<QString, QByteArray> known;
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.unicode() < 0x80) {
            out += char(ch.unicode());
            continue;
        }
        const qsizetype length = ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString character = text.mid(i, length);
        i += length - 1;
        auto cached = known.constFind(character);
        if (cached == known.constEnd()) {
            QByteArray bytes = codePage.encode(character);
            if (decodeListFileText(bytes) != character)
                bytes = gb18030.encode(character);
            if (decodeListFileText(bytes) != character)
                bytes = "?"; // a lone surrogate: no encoding has it
            cached = known.insert(character, bytes);
        }
        out += *cached;
    }
    return out;
}

} // namespace

QByteArray encodeListFileText(const QString &text)
{
    // Outside the private-use area, every character the code page has reads
    // back from its code page 936 bytes as itself.
    QStringEncoder codePage("GBK", QStringConverter::Flag::Stateless);
    const QByteArray bytes = codePage.encode(text);
    if (!codePage.hasError() && !hasPrivateUse(text))
        return bytes;
    return encodeByCharacter(text);
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

QByteArray listFileContent(const QList<PlaylistEntry> &entries)
{
    QString text;
    qsizetype size = 0;
    for (const PlaylistEntry &entry : entries)
        size += entry.name.size() + entry.url.size() + 8;
    text.reserve(size);
    for (const PlaylistEntry &entry : entries) {
        appendLine(text, entry.name);
        appendLine(text, entry.url);
    }
    return encodeListFileText(text);
}
