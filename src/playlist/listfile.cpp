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

// The text with CR and LF as blanks, at least three characters long.
QString listLine(const QString &text)
{
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    if (line.size() < kMinimumLineLength)
        line += QString(kMinimumLineLength - line.size(), u' ');
    return line;
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
    QStringEncoder codePage("GBK", QStringConverter::Flag::Stateless);
    const QByteArray bytes = codePage.encode(text);
    if (!codePage.hasError() && decodeListFileText(bytes) == text)
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
    for (const PlaylistEntry &entry : entries) {
        text += listLine(entry.name);
        text += QLatin1String("\r\n");
        text += listLine(entry.url);
        text += QLatin1String("\r\n");
    }
    return encodeListFileText(text);
}
