#include "playlist.h"

#include "listfile.h"
#include "textutil.h"
#include "urlheaders.h"

#include <QStringDecoder>

#include <cstring>
#include <map>

namespace {

// ---- Lines ----------------------------------------------------------------

// Calls `take` with every line of the UTF-8 text, decoded and trimmed. LF,
// CR LF and CR alone all end a line; blank lines are left out. Stops when
// `take` returns false. Byte-order marks are skipped at the start of a whole
// text, not of a later part of one. The text is decoded a piece of whole lines at a
// time into one reused buffer: a decoded copy of a whole large file would
// cost more than the reading itself, and a decoding call per line costs
// more than the decoding.
enum class TextStart { Whole, Part };
template<typename Take>
void forEachLine(QByteArrayView text, Take take, TextStart from = TextStart::Whole)
{
    constexpr qsizetype kPiece = 64 * 1024;
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString buffer;
    qsizetype start = 0;
    // Marks, not text: one, and any more a tool put in front of one already there.
    while (from == TextStart::Whole && text.sliced(start).startsWith("\xEF\xBB\xBF"))
        start += 3;
    while (start < text.size()) {
        // The piece ends after a line feed (never inside a UTF-8 sequence).
        qsizetype end = qMin(start + kPiece, text.size());
        if (end < text.size()) {
            const void *lf = std::memchr(text.data() + end, '\n', size_t(text.size() - end));
            end = lf ? static_cast<const char *>(lf) - text.data() + 1 : text.size();
        }
        const QByteArrayView bytes = text.sliced(start, end - start);
        start = end;
        if (buffer.size() < bytes.size())
            buffer.resize(bytes.size());
        const QStringView piece(buffer.data(), decoder.appendToBuffer(buffer.data(), bytes));
        qsizetype at = 0;
        while (at < piece.size()) {
            qsizetype lf = piece.indexOf(u'\n', at);
            if (lf < 0)
                lf = piece.size();
            const qsizetype cr = piece.sliced(at, lf - at).indexOf(u'\r');
            const qsizetype lineEnd = cr < 0 ? lf : at + cr;
            const QStringView line = piece.sliced(at, lineEnd - at).trimmed();
            at = lineEnd + 1;
            if (!line.isEmpty() && !take(line))
                return;
        }
    }
}

// ---- URLs -----------------------------------------------------------------

bool hasControlChar(QStringView text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            return true;
    }
    return false;
}

// "scheme://..." with a scheme of letters, digits, "+", "-" and ".".
bool startsWithScheme(QStringView text)
{
    if (text.isEmpty() || !text[0].isLetter() || text[0].unicode() >= 0x80)
        return false;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u':')
            return text.mid(i).startsWith(u"://");
        const bool schemeChar = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
            || c == u'+' || c == u'-' || c == u'.';
        if (!schemeChar)
            return false;
    }
    return false;
}

bool hasWhitespace(QStringView text)
{
    for (QChar ch : text) {
        if (ch.isSpace())
            return true;
    }
    return false;
}

// ---- Entries ---------------------------------------------------------------

// Room for one text that is remade for every entry; it keeps its capacity, so
// that reading hundreds of thousands of entries allocates almost nothing.
class Scratch
{
public:
    QStringView set(QStringView text)
    {
        m_text.resize(0);
        m_text.append(text);
        return m_text;
    }
    QStringView set(const QString &text)
    {
        m_text = text;
        return m_text;
    }
    QString &text() { return m_text; }

private:
    QString m_text;
};

// Names, groups and tvg-names: at most MaxPlaylistNameLength characters,
// control characters as blanks, trimmed. A clean text is taken as it stands.
QStringView cleanName(QStringView name, Scratch &room)
{
    const QStringView cut = name.left(MaxPlaylistNameLength);
    if (!hasControlChar(cut))
        return cut.trimmed();
    QString &text = room.text();
    text.resize(0);
    text.append(cut);
    for (QChar &ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            ch = u' ';
    }
    return QStringView(text).trimmed();
}

// The absolute form of a URL line: as it stands when it starts with a
// scheme, resolved against the base when `relativeAllowed` and it is a plain
// relative reference (made in `room`); empty when it is no URL.
QStringView absoluteUrl(QStringView url, const QUrl &base, bool relativeAllowed, Scratch &room)
{
    if (url.isEmpty() || url.size() > MaxPlaylistUrlLength || hasControlChar(url))
        return {};
    if (startsWithScheme(url))
        return url;
    if (!relativeAllowed || !base.isValid() || base.isRelative() || hasWhitespace(url) || url.startsWith(u'#'))
        return {};
    const QUrl reference(url.toString());
    if (!reference.isValid() || !reference.isRelative())
        return {};
    const QStringView resolved = room.set(base.resolved(reference).toString());
    return startsWithScheme(resolved) ? resolved : QStringView();
}

// What the tags before a URL line said about it. The texts are views into
// the #EXTINF line kept in a room, or into rooms of their own.
struct Pending
{
    bool hasInfo = false; // an #EXTINF came
    QStringView name;
    QStringView group;
    QStringView groupTag; // #EXTGRP
    QStringView logo;
    QStringView tvgId;
    QStringView tvgName;
    QStringView tvgShift;
    bool radio = false;
    HttpHeaders attributeHeaders; // user-agent and referrer attributes of #EXTINF
    HttpHeaders optionHeaders;    // #EXTVLCOPT

    // Forgets what the tags said.
    void clear()
    {
        hasInfo = false;
        name = group = groupTag = logo = tvgId = tvgName = tvgShift = {};
        radio = false;
        attributeHeaders.clear();
        optionHeaders.clear();
    }
};

// Rooms for the texts of the entry being read.
struct Rooms
{
    Scratch info, name, group, groupTagLine, groupTag, tvgName, url, joined, logo, bare;
};

// The headers the URL's own suffix names come first, then #EXTVLCOPT's, then
// the attributes'.
QStringView entryUrl(QStringView line, const QUrl &base, bool relativeAllowed, const Pending &pending, Rooms &rooms)
{
    if (line.size() > MaxPlaylistUrlLength)
        return {};
    // The common case, a plain absolute URL, is taken as it stands.
    if (pending.optionHeaders.isEmpty() && pending.attributeHeaders.isEmpty() && !line.contains(u'|'))
        return absoluteUrl(line, base, relativeAllowed, rooms.url);
    const UrlWithHeaders split = splitUrlHeaders(line.toString());
    const QStringView url = absoluteUrl(QStringView(split.url).trimmed(), base, relativeAllowed, rooms.url);
    if (url.isEmpty())
        return {};
    HttpHeaders headers = split.headers;
    headers += pending.optionHeaders;
    headers += pending.attributeHeaders;
    return rooms.joined.set(joinUrlHeaders(url.toString(), headers));
}

QStringView logoUrl(QStringView logo, const QUrl &base, Scratch &room)
{
    if (equalsIgnoringAsciiCase(logo.left(5), u"data:"))
        return {};
    return absoluteUrl(logo, base, true, room);
}

// Hands the entry the pending tags describe to the sink.
bool addEntry(const PlaylistEntrySink &sink, QStringView url, const Pending &pending, const QUrl &base, Rooms &rooms)
{
    PlaylistEntryView entry;
    entry.url = url;
    entry.name = pending.name;
    if (entry.name.isEmpty())
        entry.name = pending.tvgName;
    if (entry.name.isEmpty()) {
        // A URL has no control character: only its length may need a cut.
        entry.name = url.contains(u'|') ? rooms.bare.set(splitUrlHeaders(url.toString()).url) : url;
        entry.name = cleanName(entry.name, rooms.name);
    }
    entry.group = pending.group.isEmpty() ? pending.groupTag : pending.group;
    entry.logo = logoUrl(pending.logo, base, rooms.logo);
    entry.tvgId = pending.tvgId;
    entry.tvgName = pending.tvgName;
    entry.tvgShift = pending.tvgShift;
    entry.radio = pending.radio;
    return sink(entry);
}

// ---- #EXTINF attributes ---------------------------------------------------

// Reads `key=value` pairs and, for #EXTINF, the name after the first comma
// outside quotes. Values may be double-quoted, single-quoted or bare; a bare
// value ends at a blank, a comma or a quote.
class AttributeReader
{
public:
    explicit AttributeReader(QStringView text)
        : m_text(text)
    {
    }

    template<typename Take>
    void read(Take take)
    {
        skipNumber();
        while (true) {
            skipBlanks();
            if (atEnd())
                return;
            if (peek() == u',') {
                m_name = m_text.mid(m_pos + 1);
                return;
            }
            const QStringView key = readKey();
            if (key.isEmpty()) {
                ++m_pos; // a stray quote or "=": step over it
                continue;
            }
            if (atEnd() || peek() != u'=')
                continue;
            ++m_pos;
            const QStringView value = readValue();
            if (value.size() <= MaxPlaylistUrlLength)
                take(key, value.trimmed());
        }
    }

    QStringView name() const { return m_name; }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return m_text[m_pos]; }

    void skipBlanks()
    {
        while (!atEnd() && peek().isSpace())
            ++m_pos;
    }

    // The duration ("-1", "0", "12.5") that opens an #EXTINF.
    void skipNumber()
    {
        skipBlanks();
        qsizetype end = m_pos;
        if (end < m_text.size() && (m_text[end] == u'-' || m_text[end] == u'+'))
            ++end;
        while (end < m_text.size() && (m_text[end].isDigit() || m_text[end] == u'.'))
            ++end;
        if (end == m_text.size() || m_text[end].isSpace() || m_text[end] == u',')
            m_pos = end;
    }

    QStringView readKey()
    {
        const qsizetype start = m_pos;
        while (!atEnd()) {
            const QChar ch = peek();
            if (ch.isSpace() || ch == u'=' || ch == u',' || ch == u'"' || ch == u'\'')
                break;
            ++m_pos;
        }
        return m_text.mid(start, m_pos - start);
    }

    QStringView readValue()
    {
        if (atEnd())
            return {};
        const QChar quote = peek();
        if (quote == u'"' || quote == u'\'') {
            const qsizetype start = m_pos + 1;
            qsizetype end = m_text.indexOf(quote, start);
            if (end < 0)
                end = m_text.size(); // unterminated: the value runs to the end
            m_pos = qMin(end + 1, m_text.size());
            return m_text.mid(start, end - start);
        }
        const qsizetype start = m_pos;
        while (!atEnd() && !peek().isSpace() && peek() != u',' && peek() != u'"' && peek() != u'\'')
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    QStringView m_name;
};

// The literal's length is known here: no strlen for every comparison.
template<std::size_t N>
bool isKey(QStringView key, const char16_t (&name)[N])
{
    return equalsIgnoringAsciiCase(key, QStringView(name, qsizetype(N - 1)));
}

void readInfo(QStringView text, Pending &pending, Rooms &rooms)
{
    // A new #EXTINF replaces the one before; #EXTGRP and #EXTVLCOPT lines
    // above it still count.
    const QStringView groupTag = pending.groupTag;
    HttpHeaders optionHeaders = std::move(pending.optionHeaders);
    pending.clear();
    pending.hasInfo = true;
    pending.groupTag = groupTag;
    pending.optionHeaders = std::move(optionHeaders);
    AttributeReader reader(rooms.info.set(text));
    reader.read([&pending, &rooms](QStringView key, QStringView value) {
        if (isKey(key, u"tvg-id"))
            pending.tvgId = value;
        else if (isKey(key, u"tvg-name"))
            pending.tvgName = cleanName(value, rooms.tvgName);
        else if (isKey(key, u"tvg-logo"))
            pending.logo = value;
        else if (isKey(key, u"group-title"))
            pending.group = cleanName(value, rooms.group);
        else if (isKey(key, u"tvg-shift"))
            pending.tvgShift = value;
        else if (isKey(key, u"radio"))
            pending.radio = isKey(value, u"true");
        else if (isKey(key, u"user-agent") || isKey(key, u"http-user-agent"))
            pending.attributeHeaders.append({QStringLiteral("User-Agent"), value.toString()});
        else if (isKey(key, u"referer") || isKey(key, u"referrer") || isKey(key, u"http-referrer"))
            pending.attributeHeaders.append({QStringLiteral("Referer"), value.toString()});
    });
    pending.name = cleanName(reader.name().trimmed(), rooms.name);
}

void readHeader(QStringView text, QString &guideUrl)
{
    AttributeReader reader(text);
    reader.read([&guideUrl](QStringView key, QStringView value) {
        if (guideUrl.isEmpty() && (isKey(key, u"url-tvg") || isKey(key, u"x-tvg-url")))
            guideUrl = value.toString();
    });
}

void readOption(QStringView text, Pending &pending)
{
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0)
        return;
    const QStringView key = text.left(equals).trimmed();
    const QString value = text.mid(equals + 1).trimmed().toString();
    if (isKey(key, u"http-user-agent"))
        pending.optionHeaders.append({QStringLiteral("User-Agent"), value});
    else if (isKey(key, u"http-referrer") || isKey(key, u"http-referer"))
        pending.optionHeaders.append({QStringLiteral("Referer"), value});
}

// "#EXTINF:-1,x" and "# extinf:-1,x": the tag name and what follows its colon.
bool splitTag(QStringView line, QStringView *tag, QStringView *rest)
{
    qsizetype pos = 1;
    while (pos < line.size() && line[pos].isSpace())
        ++pos;
    const qsizetype start = pos;
    while (pos < line.size() && (line[pos].isLetterOrNumber() || line[pos] == u'-' || line[pos] == u'_'))
        ++pos;
    *tag = line.mid(start, pos - start);
    if (pos < line.size() && line[pos] == u':')
        ++pos;
    *rest = line.mid(pos);
    return !tag->isEmpty();
}

// ---- PLS ------------------------------------------------------------------

// "File12" → 12 with `prefix` "file"; 0 when the key is something else.
int keyNumber(QStringView key, QStringView prefix)
{
    if (key.size() <= prefix.size() || key.size() > prefix.size() + 9
        || !equalsIgnoringAsciiCase(key.left(prefix.size()), prefix))
        return 0;
    int n = 0;
    for (QChar ch : key.mid(prefix.size())) {
        if (ch < u'0' || ch > u'9')
            return 0;
        n = n * 10 + (ch.unicode() - u'0');
    }
    return n;
}

struct PlsItem
{
    QString file;
    QString title;
};

// UTF-16 and UTF-32 decoding lets a lone surrogate through; no file and no
// encoder can hold one, so it becomes U+FFFD like any other invalid input.
QString withoutLoneSurrogates(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

// The bytes of a playlist as UTF-8: as they are when they are UTF-8 (after
// a UTF-8 mark, if any, and valid), otherwise decoded and encoded again.
QByteArray utf8Text(const QByteArray &bytes)
{
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    if (QByteArrayView(bytes).sliced(marked ? 3 : 0).isValidUtf8())
        return bytes;
    return decodePlaylistText(bytes).toUtf8();
}

// Counts the entries handed on and stops at the limit.
class CountingSink
{
public:
    explicit CountingSink(const PlaylistEntrySink &sink)
        : m_sink(sink)
    {
    }
    // False once no further entry is wanted.
    bool operator()(QStringView url, const Pending &pending, const QUrl &base, Rooms &rooms)
    {
        if (!addEntry(m_sink, url, pending, base, rooms))
            m_stopped = true;
        return !m_stopped && ++m_count < MaxPlaylistEntries;
    }
    bool wantsMore() const { return !m_stopped && m_count < MaxPlaylistEntries; }

private:
    const PlaylistEntrySink &m_sink;
    qsizetype m_count = 0;
    bool m_stopped = false;
};

QString readM3u(QByteArrayView text, const QUrl &base, const PlaylistEntrySink &sink, TextStart from)
{
    QString guideUrl;
    Pending pending;
    Rooms rooms;
    CountingSink add(sink);
    forEachLine(text, [&](QStringView line) {
        if (line.startsWith(u'#')) {
            QStringView tag;
            QStringView rest;
            if (!splitTag(line, &tag, &rest))
                return true;
            if (isKey(tag, u"EXTINF"))
                readInfo(rest, pending, rooms);
            else if (isKey(tag, u"EXTVLCOPT"))
                readOption(rest, pending);
            else if (isKey(tag, u"EXTGRP"))
                pending.groupTag = cleanName(rooms.groupTagLine.set(rest), rooms.groupTag);
            else if (isKey(tag, u"EXTM3U"))
                readHeader(rest, guideUrl);
            return true;
        }
        // Any other line ends the entry the tags above it began, URL or not.
        const QStringView url = entryUrl(line, base, pending.hasInfo, pending, rooms);
        const bool more = url.isEmpty() || add(url, pending, base, rooms);
        pending.clear();
        return more;
    }, from);
    return guideUrl;
}

QString readPls(QByteArrayView text, const QUrl &base, const PlaylistEntrySink &sink)
{
    std::map<int, PlsItem> items;
    Scratch room;
    bool inPlaylist = true; // keys before any section count, for files without the header
    forEachLine(text, [&](QStringView line) {
        if (line.startsWith(u'[')) {
            inPlaylist = isKey(line, u"[playlist]");
            return true;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inPlaylist || equals <= 0)
            return true;
        const QStringView key = line.left(equals).trimmed();
        const QStringView value = line.mid(equals + 1).trimmed();
        if (const int n = keyNumber(key, u"file"))
            items[n].file = value.toString();
        else if (const int n = keyNumber(key, u"title"))
            items[n].title = cleanName(value, room).toString();
        return true;
    });
    Rooms rooms;
    CountingSink add(sink);
    for (const auto &[n, item] : items) {
        if (!add.wantsMore())
            break;
        Pending pending;
        pending.name = item.title;
        const QStringView url = entryUrl(item.file, base, true, pending, rooms);
        if (!url.isEmpty())
            add(url, pending, base, rooms);
    }
    return QString();
}

// Playlists name few groups, each for many entries: entries of one group
// share one text.
class GroupNames
{
public:
    QString get(QStringView name)
    {
        for (const QString &seen : m_recent) {
            if (seen == name)
                return seen;
        }
        m_recent[m_next] = name.toString();
        const QString &kept = m_recent[m_next];
        m_next = (m_next + 1) % kSize;
        return kept;
    }

private:
    static constexpr int kSize = 16;
    QString m_recent[kSize];
    int m_next = 0;
};

// Keeps every entry read as a PlaylistEntry.
Playlist collect(const std::function<QString(const PlaylistEntrySink &)> &read)
{
    Playlist playlist;
    GroupNames groups;
    playlist.guideUrl = read([&playlist, &groups](const PlaylistEntryView &view) {
        PlaylistEntry entry;
        entry.name = view.name.toString();
        entry.url = view.url.toString();
        entry.group = view.group.isEmpty() ? QString() : groups.get(view.group);
        entry.logo = view.logo.toString();
        entry.tvgId = view.tvgId.toString();
        // Most names repeat the tvg-name: then they share its text.
        entry.tvgName = view.tvgName == view.name ? entry.name : view.tvgName.toString();
        entry.tvgShift = view.tvgShift.toString();
        entry.radio = view.radio;
        playlist.entries.append(std::move(entry));
        return true;
    });
    return playlist;
}

} // namespace

bool PlaylistEntry::operator==(const PlaylistEntry &other) const
{
    return name == other.name && url == other.url && group == other.group && logo == other.logo
        && tvgId == other.tvgId && tvgName == other.tvgName && tvgShift == other.tvgShift && radio == other.radio;
}

PlaylistEntryView PlaylistEntry::view() const
{
    return {name, url, group, logo, tvgId, tvgName, tvgShift, radio};
}

QString decodePlaylistText(const QByteArray &bytes)
{
    struct Mark
    {
        QByteArrayView bom;
        QStringConverter::Encoding encoding;
    };
    // UTF-32 before UTF-16: FF FE 00 00 also starts like a UTF-16 mark.
    static const Mark marks[] = {
        {"\xEF\xBB\xBF", QStringConverter::Utf8},
        {QByteArrayView("\xFF\xFE\x00\x00", 4), QStringConverter::Utf32LE},
        {QByteArrayView("\x00\x00\xFE\xFF", 4), QStringConverter::Utf32BE},
        {"\xFF\xFE", QStringConverter::Utf16LE},
        {"\xFE\xFF", QStringConverter::Utf16BE},
    };
    for (const Mark &mark : marks) {
        if (bytes.startsWith(mark.bom)) {
            QStringDecoder decoder(mark.encoding,
                                   QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
            return withoutLoneSurrogates(decoder.decode(QByteArrayView(bytes).sliced(mark.bom.size())));
        }
    }
    static const QByteArray gb18030Mark("\x84\x31\x95\x33");
    if (bytes.startsWith(gb18030Mark))
        return decodeListFileText(bytes.mid(gb18030Mark.size()));
    if (bytes.isValidUtf8())
        return fromUtf8KeepingBom(bytes);
    return decodeListFileText(bytes);
}

Playlist parseM3u(const QString &text, const QUrl &base)
{
    const QByteArray bytes = text.toUtf8();
    return collect([&](const PlaylistEntrySink &sink) { return readM3u(bytes, base, sink, TextStart::Whole); });
}

Playlist parsePls(const QString &text, const QUrl &base)
{
    const QByteArray bytes = text.toUtf8();
    return collect([&](const PlaylistEntrySink &sink) { return readPls(bytes, base, sink); });
}

namespace {

// A line that surely ends an entry: a whole line (no lone CR in it) whose
// first character after blanks is an ASCII letter, as a URL's is. After it
// the reader stands where it stands at the start of a text.
bool endsAnEntry(QByteArrayView line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.contains('\r'))
        return false;
    qsizetype i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    const char c = i < line.size() ? line[i] : '\0';
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Where to cut near `at`: after the first line from there on that ends an
// entry; -1 when none comes soon.
qsizetype cutNear(QByteArrayView text, qsizetype at)
{
    constexpr int kLinesToTry = 1000;
    qsizetype lineStart = text.indexOf('\n', at);
    for (int tried = 0; lineStart >= 0 && tried < kLinesToTry; ++tried) {
        ++lineStart;
        const qsizetype lf = text.indexOf('\n', lineStart);
        if (lf < 0)
            return -1;
        if (endsAnEntry(text.sliced(lineStart, lf - lineStart)))
            return lf + 1;
        lineStart = lf;
    }
    return -1;
}

} // namespace

PlaylistReading::PlaylistReading(const QByteArray &bytes, const QUrl &source, int parts)
    : m_text(utf8Text(bytes))
    , m_source(source)
{
    enum class Kind { Unknown, M3u, Pls } kind = Kind::Unknown;
    forEachLine(m_text, [&kind](QStringView line) {
        if (isKey(line, u"[playlist]"))
            kind = Kind::Pls;
        else if (line.startsWith(u'#'))
            kind = Kind::M3u;
        return false;
    });
    if (kind == Kind::Unknown && source.path().endsWith(u".pls", Qt::CaseInsensitive))
        kind = Kind::Pls;
    m_pls = kind == Kind::Pls;
    m_cuts = {0};
    // Only a large M3U text is worth cutting: PLS entries come in the order
    // of their numbers, not of the lines.
    if (!m_pls && m_text.size() >= kMinimumPartBytes) {
        for (int k = 1; k < parts; ++k) {
            const qsizetype cut = cutNear(m_text, m_text.size() * k / parts);
            if (cut > m_cuts.last() && cut < m_text.size())
                m_cuts.append(cut);
        }
    }
    m_cuts.append(m_text.size());
}

QString PlaylistReading::read(int part, const PlaylistEntrySink &sink) const
{
    const QByteArrayView text = QByteArrayView(m_text).sliced(m_cuts.at(part), m_cuts.at(part + 1) - m_cuts.at(part));
    if (m_pls)
        return readPls(text, m_source, sink);
    return readM3u(text, m_source, sink, part == 0 ? TextStart::Whole : TextStart::Part);
}

QString readPlaylist(const QByteArray &bytes, const QUrl &source, const PlaylistEntrySink &sink)
{
    return PlaylistReading(bytes, source, 1).read(0, sink);
}

Playlist parsePlaylist(const QByteArray &bytes, const QUrl &source)
{
    return collect([&](const PlaylistEntrySink &sink) { return readPlaylist(bytes, source, sink); });
}
