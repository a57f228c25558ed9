#include "xmltvparser.h"

#include "guidetime.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace {

constexpr qint64 kKeepBefore = 6 * 3600;
constexpr qint64 kKeepAfter = 7 * 86400;
// A programme without a stop is kept this long before the window opens, in
// case the next one shows that it still runs.
constexpr qint64 kOpenEndedGrace = 86400;
constexpr int kMaxTitle = 1000;
constexpr int kMaxDescription = 2000;
// Enough bytes after a "<" to tell "<![CDATA[" or "</programme>" apart.
constexpr qsizetype kLookahead = 12;

const char kProgrammeTag[] = "<programme";
const char kProgrammeEnd[] = "</programme";
const char kRootEnd[] = "</tv";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':'
        || c == '-' || c == '.' || quint8(c) >= 0x80;
}

bool startsWith(const char *at, const char *end, const char *literal)
{
    const qsizetype n = qsizetype(std::strlen(literal));
    return end - at >= n && std::memcmp(at, literal, size_t(n)) == 0;
}

// "<programme" or "</programme" as a whole tag name (not "<programmes").
bool isTagNamed(const char *at, const char *end, const char *tag)
{
    const qsizetype n = qsizetype(std::strlen(tag));
    if (!startsWith(at, end, tag) || end - at <= n)
        return false;
    const char next = at[n];
    return isBlank(next) || next == '>' || next == '/';
}

// The position of the ">" that ends the tag opening at `at`, skipping
// quoted attribute values; -1 when it is not in the bytes yet.
qsizetype tagEnd(const char *begin, qsizetype at, qsizetype size)
{
    char quote = 0;
    for (qsizetype i = at + 1; i < size; ++i) {
        const char c = begin[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return -1;
}

// The raw value of the channel attribute of a programme start tag; nothing
// when the tag does not read cleanly (the XML reader then judges it).
std::optional<QByteArray> channelAttribute(const char *tag, const char *end)
{
    const char *p = tag + sizeof(kProgrammeTag) - 1;
    while (true) {
        while (p < end && isBlank(*p))
            ++p;
        if (p >= end || *p == '>' || *p == '/')
            return std::nullopt;
        const char *name = p;
        while (p < end && isNameChar(*p))
            ++p;
        const QByteArray attribute = QByteArray::fromRawData(name, p - name);
        while (p < end && isBlank(*p))
            ++p;
        if (attribute.isEmpty() || p >= end || *p != '=')
            return std::nullopt;
        ++p;
        while (p < end && isBlank(*p))
            ++p;
        if (p >= end || (*p != '"' && *p != '\''))
            return std::nullopt;
        const char quote = *p++;
        const char *value = p;
        while (p < end && *p != quote)
            ++p;
        if (p >= end)
            return std::nullopt;
        if (attribute == "channel")
            return QByteArray(value, p - value);
        ++p;
    }
}

bool isPlainAscii(const QByteArray &value)
{
    for (char c : value) {
        if (quint8(c) >= 0x80 || c == '&' || c == '<')
            return false;
    }
    return true;
}

bool isChinese(QStringView lang) { return lang.startsWith(u"zh", Qt::CaseInsensitive); }

enum class Scan { Text, Comment, CData, Instruction, Skip, SkipComment, SkipCData };
enum class Field { None, DisplayName, Title, Description };

struct PendingProgramme
{
    int channel = -1;
    std::optional<qint64> start;
    std::optional<qint64> stop;
    bool hasStop = false;
    bool timesValid = true;
    QString title;
    bool titleChinese = false;
    QString description;
    bool descriptionChinese = false;
};

} // namespace

struct XmltvParser::State
{
    GuideWanted wanted;
    GuideLimits limits;
    qint64 windowStart = 0;
    qint64 windowEnd = 0;

    QString error;
    bool failed = false;
    bool rootClosed = false;
    bool sawRoot = false;
    qint64 total = 0;
    bool encodingChecked = false;
    QByteArray head; // the first bytes, until the encoding is known

    // Byte scanner ahead of the XML reader.
    QByteArray in;
    qsizetype scan = 0;     // next byte to look at
    qsizetype passFrom = 0; // first byte not yet handed on (or dropped)
    qint64 inBase = 0;      // bytes dropped from the front of `in` so far
    qint64 runStart = 0;    // absolute offset where the current text, tag or comment began
    Scan state = Scan::Text;
    int skipDepth = 0;
    bool rootEndSeen = false; // the closing tag of the guide went by
    QByteArray out; // bytes for the XML reader
    bool outHasMarkup = false;
    QHash<QByteArray, bool> skipDecisions; // channel attribute → skip, valid while no channel element arrives

    // XML reader and what it is reading.
    QXmlStreamReader reader;
    int depth = 0;
    int ignoreBelow = 0; // > 0: inside an element being ignored, entered at this depth
    enum class Part { None, Channel, Programme } part = Part::None;
    QString channelId;
    QStringList channelNames;
    PendingProgramme programme;
    Field field = Field::None;
    QString fieldText;
    bool fieldChinese = false;

    QList<GuideChannel> channels;
    QHash<QString, int> channelIndex; // wanted channel id → index in channels
    int kept = 0;
    QSet<QString> titles; // one copy of each title text

    void fail(const QString &message)
    {
        if (!failed) {
            failed = true;
            error = message;
        }
    }

    // --- the byte scanner

    void emitBytes(qsizetype from, qsizetype to)
    {
        if (to <= from)
            return;
        out.append(in.constData() + from, to - from);
        if (!outHasMarkup && std::memchr(in.constData() + from, '<', size_t(to - from)))
            outHasMarkup = true;
    }

    void flushOut()
    {
        if (out.isEmpty() || failed || rootClosed)
            return;
        reader.addData(out);
        out.clear();
        outHasMarkup = false;
        pump();
    }

    bool shouldSkip(qsizetype at, qsizetype end)
    {
        const std::optional<QByteArray> channel = channelAttribute(in.constData() + at, in.constData() + end);
        if (!channel || !isPlainAscii(*channel))
            return false;
        // The reader must have seen every channel element before this programme.
        emitBytes(passFrom, at);
        passFrom = at;
        if (outHasMarkup)
            flushOut();
        if (failed || rootClosed)
            return false;
        const auto known = skipDecisions.constFind(*channel);
        if (known != skipDecisions.constEnd())
            return *known;
        const QString id = QString::fromLatin1(*channel);
        const bool skip = !channelIndex.contains(id) && !wanted.ids.contains(id);
        skipDecisions.insert(*channel, skip);
        return skip;
    }

    // Looks for `literal` from `scan`; on a hit moves past it and returns true.
    bool findEnd(const char *literal)
    {
        const qsizetype at = in.indexOf(literal, scan);
        if (at < 0) {
            scan = qMax(scan, in.size() - qsizetype(std::strlen(literal)) + 1);
            return false;
        }
        scan = at + qsizetype(std::strlen(literal));
        return true;
    }

    bool isSkipping() const { return state == Scan::Skip || state == Scan::SkipComment || state == Scan::SkipCData; }

    // Moves `scan` over the bytes; returns when it needs more input.
    void scanBytes(bool final)
    {
        const char *begin = in.constData();
        const char *end = begin + in.size();
        while (scan < in.size() && !failed && !rootClosed && !rootEndSeen) {
            switch (state) {
            case Scan::Comment:
            case Scan::SkipComment:
                if (!findEnd("-->"))
                    return;
                state = state == Scan::Comment ? Scan::Text : Scan::Skip;
                break;
            case Scan::CData:
            case Scan::SkipCData:
                if (!findEnd("]]>"))
                    return;
                state = state == Scan::CData ? Scan::Text : Scan::Skip;
                break;
            case Scan::Instruction:
                if (!findEnd("?>"))
                    return;
                state = Scan::Text;
                break;
            case Scan::Text:
            case Scan::Skip: {
                const void *lt = std::memchr(begin + scan, '<', size_t(in.size() - scan));
                if (!lt) {
                    scan = in.size();
                    return;
                }
                const qsizetype at = static_cast<const char *>(lt) - begin;
                scan = at;
                if (state == Scan::Text)
                    runStart = inBase + at;
                if (in.size() - at < kLookahead && !final)
                    return;
                if (!markupAt(at, begin, end, final))
                    return;
                break;
            }
            }
        }
    }

    // Handles the markup starting at `at`; false when it needs more input.
    bool markupAt(qsizetype at, const char *begin, const char *end, bool final)
    {
        const char *p = begin + at;
        const bool skipping = state == Scan::Skip;
        if (startsWith(p, end, "<!--")) {
            state = skipping ? Scan::SkipComment : Scan::Comment;
            scan = at + 4;
        } else if (startsWith(p, end, "<![CDATA[")) {
            state = skipping ? Scan::SkipCData : Scan::CData;
            scan = at + 9;
        } else if (!skipping && startsWith(p, end, "<?")) {
            state = Scan::Instruction;
            scan = at + 2;
        } else if (isTagNamed(p, end, kProgrammeTag)) {
            const qsizetype close = tagEnd(begin, at, in.size());
            if (close < 0) {
                if (final)
                    scan = at + 1;
                return final;
            }
            const bool selfClosing = begin[close - 1] == '/';
            if (skipping) {
                skipDepth += selfClosing ? 0 : 1;
            } else if (shouldSkip(at, close + 1)) {
                if (selfClosing) {
                    passFrom = close + 1;
                } else {
                    state = Scan::Skip;
                    skipDepth = 1;
                }
            }
            scan = close + 1;
        } else if (!skipping && isTagNamed(p, end, kRootEnd)) {
            // Nothing after the guide's closing tag reaches the reader, so
            // that trailing bytes count for nothing whatever pieces they come in.
            const void *gt = std::memchr(p, '>', size_t(end - p));
            if (!gt) {
                if (final)
                    scan = in.size();
                return final;
            }
            scan = static_cast<const char *>(gt) - begin + 1;
            rootEndSeen = true;
        } else if (skipping && isTagNamed(p, end, kProgrammeEnd)) {
            const void *gt = std::memchr(p, '>', size_t(end - p));
            const qsizetype close = gt ? static_cast<const char *>(gt) - begin : -1;
            if (close < 0) {
                if (final)
                    scan = in.size();
                return final;
            }
            scan = close + 1;
            if (--skipDepth == 0) {
                state = Scan::Text;
                passFrom = scan;
                runStart = inBase + scan;
            }
        } else {
            scan = at + 1;
        }
        return true;
    }

    void consume(const char *data, qsizetype size, bool final)
    {
        in.append(data, size);
        scanBytes(final);
        if (failed || rootClosed)
            return;
        if (rootEndSeen) {
            emitBytes(passFrom, scan);
            flushOut();
            in.clear();
            passFrom = scan = 0;
            return;
        }
        // Waiting for the end of something this long: it is not a guide.
        if (in.size() - scan > limits.maxTokenBytes) {
            fail(QStringLiteral("a tag or comment is longer than %1 bytes").arg(limits.maxTokenBytes));
            return;
        }
        if (isSkipping()) {
            passFrom = scan;
        } else {
            const qsizetype upTo = final ? in.size() : scan;
            emitBytes(passFrom, upTo);
            passFrom = upTo;
            if (state == Scan::Text ? inBase + in.size() - runStart > limits.maxTokenBytes
                                    : inBase + scan - runStart > limits.maxTokenBytes) {
                fail(QStringLiteral("a text, tag or comment is longer than %1 bytes").arg(limits.maxTokenBytes));
                return;
            }
        }
        flushOut();
        const qsizetype drop = qMin(passFrom, scan);
        in.remove(0, drop);
        inBase += drop;
        passFrom -= drop;
        scan -= drop;
    }

    // --- the XML reader

    void pump()
    {
        while (!failed && !rootClosed) {
            const QXmlStreamReader::TokenType token = reader.readNext();
            if (reader.hasError()) {
                if (reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                    fail(QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString()));
                return;
            }
            switch (token) {
            case QXmlStreamReader::StartElement:
                startElement();
                break;
            case QXmlStreamReader::EndElement:
                endElement();
                break;
            case QXmlStreamReader::Characters:
                if (field != Field::None && !ignoreBelow)
                    appendText(reader.text());
                break;
            default:
                break;
            }
        }
    }

    void appendText(QStringView text)
    {
        const int cap = field == Field::Description ? kMaxDescription : kMaxTitle;
        if (fieldText.size() < cap)
            fieldText += text.left(cap - fieldText.size());
    }

    void startElement()
    {
        ++depth;
        if (ignoreBelow)
            return;
        const QStringView name = reader.name();
        if (depth == 1) {
            if (name != u"tv")
                fail(QStringLiteral("this is not an XMLTV guide (root element <%1>)").arg(name));
            sawRoot = true;
        } else if (depth == 2 && name == u"channel") {
            part = Part::Channel;
            channelId = reader.attributes().value(QLatin1String("id")).toString();
            channelNames.clear();
        } else if (depth == 2 && name == u"programme") {
            startProgramme();
        } else if (depth == 3 && part == Part::Channel && name == u"display-name") {
            startField(Field::DisplayName);
        } else if (depth == 3 && part == Part::Programme && name == u"title") {
            startField(Field::Title);
        } else if (depth == 3 && part == Part::Programme && name == u"desc") {
            startField(Field::Description);
        } else if (depth > 2 && part == Part::None) {
            ignoreBelow = depth;
        }
    }

    void startField(Field which)
    {
        field = which;
        fieldText.clear();
        fieldChinese = isChinese(reader.attributes().value(QLatin1String("lang")));
    }

    void startProgramme()
    {
        const QXmlStreamAttributes attributes = reader.attributes();
        const QString id = attributes.value(QLatin1String("channel")).toString();
        int channel = channelIndex.value(id, -1);
        if (channel < 0 && wanted.ids.contains(id))
            channel = addChannel(id, {});
        if (channel < 0) {
            ignoreBelow = depth;
            return;
        }
        part = Part::Programme;
        programme = PendingProgramme();
        programme.channel = channel;
        programme.start = parseXmltvTime(attributes.value(QLatin1String("start")));
        programme.hasStop = attributes.hasAttribute(QLatin1String("stop"));
        if (programme.hasStop)
            programme.stop = parseXmltvTime(attributes.value(QLatin1String("stop")));
        programme.timesValid = programme.start && (!programme.hasStop || programme.stop);
    }

    void endElement()
    {
        const int closing = depth--;
        if (ignoreBelow) {
            if (closing == ignoreBelow)
                ignoreBelow = 0;
            return;
        }
        if (closing == 1) {
            rootClosed = true;
        } else if (closing == 3 && field != Field::None) {
            endField();
        } else if (closing == 2 && part == Part::Channel) {
            endChannel();
            part = Part::None;
        } else if (closing == 2 && part == Part::Programme) {
            endProgramme();
            part = Part::None;
        }
    }

    void endField()
    {
        switch (field) {
        case Field::DisplayName:
            if (const QString name = fieldText.trimmed(); !name.isEmpty())
                channelNames.append(name);
            break;
        case Field::Title:
            if (programme.title.isEmpty() || (fieldChinese && !programme.titleChinese)) {
                programme.title = fieldText.simplified();
                programme.titleChinese = fieldChinese;
            }
            break;
        case Field::Description:
            if (programme.description.isEmpty() || (fieldChinese && !programme.descriptionChinese)) {
                programme.description = fieldText.trimmed();
                programme.descriptionChinese = fieldChinese;
            }
            break;
        case Field::None:
            break;
        }
        field = Field::None;
    }

    int addChannel(const QString &id, const QStringList &names)
    {
        const int index = int(channels.size());
        channels.append({id, names, {}});
        channelIndex.insert(id, index);
        return index;
    }

    void endChannel()
    {
        skipDecisions.clear();
        if (channelId.isEmpty())
            return;
        const int known = channelIndex.value(channelId, -1);
        if (known >= 0) {
            for (const QString &name : std::as_const(channelNames)) {
                if (!channels[known].names.contains(name))
                    channels[known].names.append(name);
            }
        } else if (wanted.wantsChannel(channelId, channelNames)) {
            addChannel(channelId, channelNames);
        }
    }

    void endProgramme()
    {
        PendingProgramme &p = programme;
        if (!p.timesValid || p.title.isEmpty())
            return;
        const qint64 start = *p.start;
        const qint64 stop = p.hasStop ? *p.stop : 0;
        if (p.hasStop && (stop <= start || stop <= windowStart))
            return;
        if (start >= windowEnd || (!p.hasStop && start < windowStart - kOpenEndedGrace))
            return;
        QList<GuideProgramme> &list = channels[p.channel].programmes;
        if (list.size() >= limits.maxProgrammesPerChannel || kept >= limits.maxProgrammes)
            return;
        auto title = titles.constFind(p.title);
        if (title == titles.constEnd())
            title = titles.insert(p.title);
        list.append({start, stop, *title, p.description});
        ++kept;
    }

    // The scanner reads bytes as ASCII; UTF-16 and UTF-32 start with a BOM or a zero byte.
    void startWithHead(bool final)
    {
        encodingChecked = true;
        const QByteArray bytes = std::exchange(head, {});
        if (bytes.left(4).contains('\0') || bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xFF\xFE")) {
            fail(QStringLiteral("guides in UTF-16 or UTF-32 are not read"));
            return;
        }
        consume(bytes.constData(), bytes.size(), final);
    }

    // --- after the last byte

    void tidy(QList<GuideProgramme> &programmes) const
    {
        std::stable_sort(programmes.begin(), programmes.end(),
                         [](const GuideProgramme &a, const GuideProgramme &b) { return a.start < b.start; });
        QList<GuideProgramme> result;
        result.reserve(programmes.size());
        for (qsizetype i = 0; i < programmes.size(); ++i) {
            GuideProgramme p = programmes.at(i);
            if (p.stop == 0) {
                qsizetype next = i + 1;
                while (next < programmes.size() && programmes.at(next).start == p.start)
                    ++next;
                if (next == programmes.size())
                    continue; // open-ended last programme: its end is unknown
                p.stop = programmes.at(next).start;
            }
            if (!result.isEmpty() && p.start < result.last().stop) {
                if (p.start == result.last().start)
                    continue;
                result.last().stop = p.start;
            }
            if (p.stop <= windowStart || p.start >= windowEnd)
                continue;
            result.append(p);
        }
        // Trimming may have ended a programme before the window opened.
        const auto firstInWindow = std::find_if(result.begin(), result.end(),
                                                [this](const GuideProgramme &p) { return p.stop > windowStart; });
        result.erase(result.begin(), firstInWindow);
        programmes = std::move(result);
    }
};

XmltvParser::XmltvParser(const GuideWanted &wanted, qint64 now, const GuideLimits &limits)
    : d(std::make_unique<State>())
{
    d->wanted = wanted;
    d->limits = limits;
    d->windowStart = now - kKeepBefore - wanted.maxShiftSeconds;
    d->windowEnd = now + kKeepAfter + wanted.maxShiftSeconds;
}

XmltvParser::~XmltvParser() = default;

bool XmltvParser::feed(const char *data, qsizetype size)
{
    if (d->failed)
        return false;
    if (d->rootClosed || d->rootEndSeen || size <= 0)
        return true;
    d->total += size;
    if (d->total > d->limits.maxXmlBytes) {
        d->fail(QStringLiteral("the guide is larger than %1 bytes").arg(d->limits.maxXmlBytes));
        return false;
    }
    if (d->encodingChecked) {
        d->consume(data, size, false);
        return !d->failed;
    }
    d->head.append(data, size);
    if (d->head.size() >= 4)
        d->startWithHead(false);
    return !d->failed;
}

bool XmltvParser::finish()
{
    if (!d->encodingChecked)
        d->startWithHead(true);
    if (!d->failed && !d->rootClosed && !d->rootEndSeen)
        d->consume(nullptr, 0, true);
    if (d->failed)
        return false;
    if (!d->sawRoot) {
        d->fail(QStringLiteral("the guide is empty"));
        return false;
    }
    if (!d->rootClosed) {
        d->fail(QStringLiteral("the guide ends early, at line %1").arg(d->reader.lineNumber()));
        return false;
    }
    for (GuideChannel &channel : d->channels)
        d->tidy(channel.programmes);
    d->channels.removeIf([](const GuideChannel &channel) { return channel.programmes.isEmpty(); });
    if (d->channels.isEmpty()) {
        d->fail(QStringLiteral("the guide has no programmes for these channels in the coming days"));
        return false;
    }
    return true;
}

QString XmltvParser::error() const { return d->error; }

QList<GuideChannel> XmltvParser::takeChannels() { return std::exchange(d->channels, {}); }
