#include "playlist.h"

#include "listfile.h"
#include "textutil.h"
#include "urlheaders.h"

#include <QStringDecoder>

#include <map>

namespace {

// ---- Lines ----------------------------------------------------------------

// Calls `take` with every line of the UTF-8 text, decoded and trimmed. LF,
// CR LF and CR alone all end a line; blank lines are left out. Stops when
// `take` returns false. Each line is decoded on its own into one reused
// buffer: a decoded copy of a whole large file would cost more than the
// reading itself.
template<typename Take>
void forEachLine(QByteArrayView text, Take take)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString buffer;
    qsizetype start = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    qsizetype nextLf = -2; // -2: not looked for yet; -1: there is none
    while (start < text.size()) {
        if (nextLf != -1 && nextLf < start)
            nextLf = text.indexOf('\n', start);
        const qsizetype lineEnd = nextLf < 0 ? text.size() : nextLf;
        const qsizetype cr = text.sliced(start, lineEnd - start).indexOf('\r');
        const qsizetype stop = cr < 0 ? lineEnd : start + cr;
        const QByteArrayView bytes = text.sliced(start, stop - start);
        start = stop + 1;
        if (buffer.size() < bytes.size())
            buffer.resize(bytes.size());
        QChar *const first = buffer.data();
        const QStringView line = QStringView(first, decoder.appendToBuffer(first, bytes)).trimmed();
        if (!line.isEmpty() && !take(line))
            return;
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

// The absolute form of a URL line: as it stands when it starts with a
// scheme, resolved against the base when `relativeAllowed` and it is a plain
// relative reference; empty when it is no URL.
QString absoluteUrl(QStringView url, const QUrl &base, bool relativeAllowed)
{
    if (url.isEmpty() || url.size() > MaxPlaylistUrlLength || hasControlChar(url))
        return {};
    if (startsWithScheme(url))
        return url.toString();
    if (!relativeAllowed || !base.isValid() || base.isRelative() || hasWhitespace(url) || url.startsWith(u'#'))
        return {};
    const QUrl reference(url.toString());
    if (!reference.isValid() || !reference.isRelative())
        return {};
    const QString resolved = base.resolved(reference).toString();
    return startsWithScheme(resolved) ? resolved : QString();
}

// ---- Entries --------------------------------------------------------------

// What the tags before a URL line said about it.
struct Pending
{
    bool hasInfo = false; // an #EXTINF came
    QString name;
    QString group;
    QString groupTag; // #EXTGRP
    QString logo;
    QString tvgId;
    QString tvgName;
    QString tvgShift;
    bool radio = false;
    HttpHeaders attributeHeaders; // user-agent and referrer attributes of #EXTINF
    HttpHeaders optionHeaders;    // #EXTVLCOPT
};

QString cleanName(QStringView name)
{
    QString text = name.left(MaxPlaylistNameLength).toString();
    for (QChar &ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            ch = u' ';
    }
    return text.trimmed();
}

// The headers the URL's own suffix names come first, then #EXTVLCOPT's, then
// the attributes'.
QString entryUrl(QStringView line, const QUrl &base, bool relativeAllowed, const Pending &pending)
{
    if (line.size() > MaxPlaylistUrlLength)
        return {};
    // The common case, a plain absolute URL, is taken as it stands.
    if (pending.optionHeaders.isEmpty() && pending.attributeHeaders.isEmpty() && !line.contains(u'|'))
        return absoluteUrl(line, base, relativeAllowed);
    const UrlWithHeaders split = splitUrlHeaders(line.toString());
    const QString url = absoluteUrl(QStringView(split.url).trimmed(), base, relativeAllowed);
    if (url.isEmpty())
        return {};
    HttpHeaders headers = split.headers;
    headers += pending.optionHeaders;
    headers += pending.attributeHeaders;
    return joinUrlHeaders(url, headers);
}

QString logoUrl(const QString &logo, const QUrl &base)
{
    if (equalsIgnoringAsciiCase(QStringView(logo).left(5), u"data:"))
        return {};
    if (startsWithScheme(logo) && logo.size() <= MaxPlaylistUrlLength && !hasControlChar(logo))
        return logo; // shares the text
    return absoluteUrl(logo, base, true);
}

// Takes what the pending tags said; `pending` is spent afterwards.
void addEntry(Playlist &playlist, const QString &url, Pending &pending, const QUrl &base)
{
    PlaylistEntry entry;
    entry.url = url;
    entry.name = std::move(pending.name);
    if (entry.name.isEmpty())
        entry.name = pending.tvgName;
    if (entry.name.isEmpty()) {
        const QString bare = splitUrlHeaders(url).url;
        entry.name = bare.size() <= MaxPlaylistNameLength ? bare : cleanName(bare); // a URL has no control character
    }
    entry.group = std::move(pending.group.isEmpty() ? pending.groupTag : pending.group);
    entry.logo = logoUrl(pending.logo, base);
    entry.tvgId = std::move(pending.tvgId);
    entry.tvgName = std::move(pending.tvgName);
    entry.tvgShift = std::move(pending.tvgShift);
    entry.radio = pending.radio;
    playlist.entries.append(std::move(entry));
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

// Playlists name few groups, each for many entries: entries of one group
// share one text.
class GroupNames
{
public:
    QString get(QStringView raw)
    {
        for (const auto &[seen, name] : m_recent) {
            if (seen == raw)
                return name;
        }
        const QString name = cleanName(raw);
        m_recent[m_next] = {raw.toString(), name};
        m_next = (m_next + 1) % kSize;
        return name;
    }

private:
    static constexpr int kSize = 16;
    std::pair<QString, QString> m_recent[kSize];
    int m_next = 0;
};

// The literal's length is known here: no strlen for every comparison.
template<std::size_t N>
bool isKey(QStringView key, const char16_t (&name)[N])
{
    return equalsIgnoringAsciiCase(key, QStringView(name, qsizetype(N - 1)));
}

void readInfo(QStringView text, Pending &pending, GroupNames &groups)
{
    Pending info;
    info.hasInfo = true;
    info.groupTag = pending.groupTag;
    info.optionHeaders = pending.optionHeaders;
    AttributeReader reader(text);
    reader.read([&info, &groups](QStringView key, QStringView value) {
        if (isKey(key, u"tvg-id"))
            info.tvgId = value.toString();
        else if (isKey(key, u"tvg-name"))
            info.tvgName = cleanName(value);
        else if (isKey(key, u"tvg-logo"))
            info.logo = value.toString();
        else if (isKey(key, u"group-title"))
            info.group = groups.get(value);
        else if (isKey(key, u"tvg-shift"))
            info.tvgShift = value.toString();
        else if (isKey(key, u"radio"))
            info.radio = isKey(value, u"true");
        else if (isKey(key, u"user-agent") || isKey(key, u"http-user-agent"))
            info.attributeHeaders.append({QStringLiteral("User-Agent"), value.toString()});
        else if (isKey(key, u"referer") || isKey(key, u"referrer") || isKey(key, u"http-referrer"))
            info.attributeHeaders.append({QStringLiteral("Referer"), value.toString()});
    });
    // Most names repeat the tvg-name: then they share its text.
    const QStringView name = reader.name().trimmed();
    info.name = name == info.tvgName ? info.tvgName : cleanName(name);
    pending = std::move(info);
}

void readHeader(QStringView text, Playlist &playlist)
{
    AttributeReader reader(text);
    reader.read([&playlist](QStringView key, QStringView value) {
        if (playlist.guideUrl.isEmpty() && (isKey(key, u"url-tvg") || isKey(key, u"x-tvg-url")))
            playlist.guideUrl = value.toString();
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

Playlist readM3u(QByteArrayView text, const QUrl &base)
{
    Playlist playlist;
    Pending pending;
    GroupNames groups;
    forEachLine(text, [&](QStringView line) {
        if (line.startsWith(u'#')) {
            QStringView tag;
            QStringView rest;
            if (!splitTag(line, &tag, &rest))
                return true;
            if (isKey(tag, u"EXTINF"))
                readInfo(rest, pending, groups);
            else if (isKey(tag, u"EXTVLCOPT"))
                readOption(rest, pending);
            else if (isKey(tag, u"EXTGRP"))
                pending.groupTag = groups.get(rest);
            else if (isKey(tag, u"EXTM3U"))
                readHeader(rest, playlist);
            return true;
        }
        // Any other line ends the entry the tags above it began, URL or not.
        const QString url = entryUrl(line, base, pending.hasInfo, pending);
        if (!url.isEmpty())
            addEntry(playlist, url, pending, base);
        pending = Pending();
        return playlist.entries.size() < MaxPlaylistEntries;
    });
    return playlist;
}

Playlist readPls(QByteArrayView text, const QUrl &base)
{
    std::map<int, PlsItem> items;
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
            items[n].title = cleanName(value);
        return true;
    });
    Playlist playlist;
    playlist.entries.reserve(qMin<qsizetype>(qsizetype(items.size()), MaxPlaylistEntries));
    for (const auto &[n, item] : items) {
        if (playlist.entries.size() >= MaxPlaylistEntries)
            break;
        Pending pending;
        pending.name = item.title;
        const QString url = entryUrl(item.file, base, true, pending);
        if (!url.isEmpty())
            addEntry(playlist, url, pending, base);
    }
    return playlist;
}

} // namespace

bool PlaylistEntry::operator==(const PlaylistEntry &other) const
{
    return name == other.name && url == other.url && group == other.group && logo == other.logo
        && tvgId == other.tvgId && tvgName == other.tvgName && tvgShift == other.tvgShift && radio == other.radio;
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
    return readM3u(text.toUtf8(), base);
}

Playlist parsePls(const QString &text, const QUrl &base)
{
    return readPls(text.toUtf8(), base);
}

Playlist parsePlaylist(const QByteArray &bytes, const QUrl &source)
{
    const QByteArray text = utf8Text(bytes);
    enum class Kind { Unknown, M3u, Pls } kind = Kind::Unknown;
    forEachLine(text, [&kind](QStringView line) {
        if (isKey(line, u"[playlist]"))
            kind = Kind::Pls;
        else if (line.startsWith(u'#'))
            kind = Kind::M3u;
        return false;
    });
    if (kind == Kind::Unknown && source.path().endsWith(u".pls", Qt::CaseInsensitive))
        kind = Kind::Pls;
    return kind == Kind::Pls ? readPls(text, source) : readM3u(text, source);
}
