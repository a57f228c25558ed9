#include "urlheaders.h"

#include "textutil.h"


namespace {

const QString kUserAgent = QStringLiteral("User-Agent");
const QString kReferer = QStringLiteral("Referer");

bool isTokenChar(QChar ch)
{
    const char16_t c = ch.unicode();
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
        return true;
    return c < 0x80 && QStringView(u"!#$%&'*+-.^_`|~").contains(QChar(c));
}

bool isToken(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (QChar ch : name) {
        if (!isTokenChar(ch))
            return false;
    }
    return true;
}

bool hasControlChar(const QString &value)
{
    for (QChar ch : value) {
        if ((ch.unicode() < 0x20 && ch != u'\t') || ch.unicode() == 0x7F)
            return true;
    }
    return false;
}

QString canonicalName(const QString &name)
{
    if (equalsIgnoringAsciiCase(name, kUserAgent))
        return kUserAgent;
    if (equalsIgnoringAsciiCase(name, kReferer) || equalsIgnoringAsciiCase(name, u"referrer"))
        return kReferer;
    return name;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "%XX" becomes the byte XX (the bytes read as UTF-8); a "%" without two hex
// digits after it stays as it is.
QString decoded(QStringView text)
{
    if (!text.contains(u'%'))
        return text.toString();
    const QByteArray raw = text.toUtf8();
    QByteArray bytes;
    bytes.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size() && isHexDigit(raw[i + 1]) && isHexDigit(raw[i + 2])) {
            bytes += QByteArray::fromHex(raw.mid(i + 1, 2));
            i += 2;
        } else {
            bytes += raw[i];
        }
    }
    return fromUtf8KeepingBom(bytes);
}

// Appends the value with "%", "&" and "|" percent-encoded.
void appendEncoded(QString &out, const QString &value)
{
    for (const QChar ch : value) {
        if (ch == u'%' || ch == u'&' || ch == u'|')
            out += QStringLiteral("%%1").arg(int(ch.unicode()), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += ch;
    }
}

bool contains(const HttpHeaders &headers, const QString &name)
{
    for (const auto &header : headers) {
        if (equalsIgnoringAsciiCase(header.first, name))
            return true;
    }
    return false;
}

// Adds the header unless it is malformed or its name is there already.
void addHeader(HttpHeaders &headers, const QString &name, const QString &value)
{
    const QString canonical = canonicalName(name.trimmed());
    const QString trimmed = value.trimmed();
    if (isToken(canonical) && !trimmed.isEmpty() && !hasControlChar(trimmed) && !contains(headers, canonical))
        headers.append({canonical, trimmed});
}

} // namespace

UrlWithHeaders splitUrlHeaders(const QString &address)
{
    const qsizetype bar = address.indexOf(u'|');
    if (bar < 0)
        return {address, {}};
    UrlWithHeaders result{address.left(bar), {}};
    const QStringView suffix = QStringView(address).mid(bar + 1);
    qsizetype start = 0;
    while (start <= suffix.size()) {
        qsizetype end = suffix.indexOf(u'&', start);
        if (end < 0)
            end = suffix.size();
        const QStringView pair = suffix.mid(start, end - start);
        start = end + 1;
        const qsizetype equals = pair.indexOf(u'=');
        if (equals <= 0)
            continue;
        addHeader(result.headers, pair.left(equals).toString(), decoded(pair.mid(equals + 1)));
    }
    return result;
}

QString joinUrlHeaders(const QString &url, const HttpHeaders &headers)
{
    HttpHeaders valid; // names canonical from here on
    for (const auto &header : headers)
        addHeader(valid, header.first, header.second);
    if (valid.isEmpty())
        return url;
    QString address = url;
    QChar separator = u'|';
    const auto append = [&address, &separator](const QPair<QString, QString> &header) {
        address += separator;
        address += header.first;
        address += u'=';
        appendEncoded(address, header.second);
        separator = u'&';
    };
    for (const QString &first : {kUserAgent, kReferer}) {
        for (const auto &header : valid) {
            if (header.first == first)
                append(header);
        }
    }
    for (const auto &header : valid) {
        if (header.first != kUserAgent && header.first != kReferer)
            append(header);
    }
    return address;
}

QString headerValue(const HttpHeaders &headers, const QString &name)
{
    const QString wanted = canonicalName(name);
    for (const auto &header : headers) {
        if (equalsIgnoringAsciiCase(canonicalName(header.first), wanted))
            return header.second;
    }
    return {};
}
