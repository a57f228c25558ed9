#include "httprequestreader.h"

#include <cstring>

namespace {

bool isTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return c != '\0' && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

bool isToken(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

// Control characters other than a tab end nowhere good: a bare CR or a NUL
// inside a line is how requests are smuggled past other readers.
bool hasControl(QByteArrayView text, bool tabAllowed)
{
    for (char c : text) {
        const auto u = uchar(c);
        if ((u < 0x20 && !(tabAllowed && c == '\t')) || u == 0x7F)
            return true;
    }
    return false;
}

bool isDigits(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool hasToken(const QList<QPair<QByteArray, QByteArray>> &headers, QByteArrayView name, QByteArrayView token)
{
    for (const auto &header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        for (const QByteArray &item : header.second.split(',')) {
            if (item.trimmed().compare(token, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

QByteArray HttpRequestHead::header(QByteArrayView name) const
{
    for (const auto &header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return {};
}

bool HttpRequestHead::keepAlive() const
{
    if (hasToken(headers, "Connection", "close"))
        return false;
    return minorVersion >= 1 || hasToken(headers, "Connection", "keep-alive");
}

HttpRequestReader::HttpRequestReader(const ServiceLimits &limits)
    : m_limits(limits)
{
}

void HttpRequestReader::reset()
{
    m_state = State::Reading;
    m_part = Part::RequestLine;
    m_started = false;
    m_lineDone = false;
    m_failure = 0;
    m_line.clear();
    m_headerBytes = 0;
    m_skippedBytes = 0;
    m_bodyLeft = 0;
    m_head = HttpRequestHead();
}

qsizetype HttpRequestReader::feed(QByteArrayView bytes)
{
    qsizetype used = 0;
    while (m_state == State::Reading && used < bytes.size()) {
        m_started = true;
        const QByteArrayView rest = bytes.sliced(used);
        if (m_part == Part::Body) {
            const qsizetype take = qsizetype(qMin<qint64>(m_bodyLeft, rest.size()));
            used += take;
            m_bodyLeft -= take;
            if (m_bodyLeft == 0)
                m_state = State::Complete;
            continue;
        }
        const bool requestLine = m_part == Part::RequestLine;
        used += requestLine ? readLine(rest, m_limits.requestLine - m_skippedBytes, 414)
                            : readLine(rest, m_limits.headerBytes - m_headerBytes, 431);
        if (m_state != State::Reading || !m_lineDone)
            continue;
        m_lineDone = false;
        if (requestLine)
            takeRequestLine();
        else
            takeHeaderLine();
        m_line.clear();
    }
    return used;
}

// Adds bytes up to and including the next line feed to the line; the line
// with its line end may be `limit` bytes long.
qsizetype HttpRequestReader::readLine(QByteArrayView bytes, qsizetype limit, int tooLong)
{
    const void *found = std::memchr(bytes.data(), '\n', size_t(bytes.size()));
    const qsizetype take = found ? static_cast<const char *>(found) - bytes.data() + 1 : bytes.size();
    if (m_line.size() + take > limit) {
        fail(tooLong);
        return take;
    }
    m_line.append(bytes.first(take));
    if (!found)
        return take;
    m_lineDone = true;
    const qsizetype whole = m_line.size();
    m_line.chop(m_line.endsWith("\r\n") ? 2 : 1);
    if (m_part == Part::Headers)
        m_headerBytes += whole;
    else if (m_line.isEmpty())
        m_skippedBytes += whole; // blank lines before a request are allowed, within its limit
    return take;
}

void HttpRequestReader::takeRequestLine()
{
    if (m_line.isEmpty())
        return;
    const QList<QByteArray> parts = m_line.split(' ');
    if (parts.size() != 3 || hasControl(m_line, false) || !isToken(parts.at(0)) || parts.at(1).isEmpty())
        return fail(400);
    m_head.method = parts.at(0);
    m_head.target = parts.at(1);
    const QByteArray &version = parts.at(2);
    if (version.size() != 8 || !version.startsWith("HTTP/") || version.at(6) != '.' || !isDigits(version.mid(5, 1))
        || !isDigits(version.mid(7, 1)))
        return fail(400);
    if (version.at(5) != '1')
        return fail(505);
    m_head.minorVersion = version.at(7) == '0' ? 0 : 1;
    m_part = Part::Headers;
}

void HttpRequestReader::takeHeaderLine()
{
    if (m_line.isEmpty())
        return endOfHeaders();
    // A line that starts with a blank continues the previous one: an old
    // form that readers disagree about, so it is refused.
    if (m_line.startsWith(' ') || m_line.startsWith('\t'))
        return fail(400);
    const qsizetype colon = m_line.indexOf(':');
    if (colon <= 0 || !isToken(QByteArrayView(m_line).first(colon)))
        return fail(400);
    QByteArray value = m_line.mid(colon + 1).trimmed();
    if (value.isNull())
        value = QByteArray("", 0); // present, though empty
    if (hasControl(value, true))
        return fail(400);
    if (m_head.headers.size() >= m_limits.headerCount)
        return fail(431);
    m_head.headers.append({m_line.left(colon), value});
}

void HttpRequestReader::endOfHeaders()
{
    if (!m_head.header("Transfer-Encoding").isNull())
        return fail(501);
    QByteArray length;
    for (const auto &header : m_head.headers) {
        if (header.first.compare("Content-Length", Qt::CaseInsensitive) != 0)
            continue;
        // Two different lengths leave the end of the request in doubt.
        if (!isDigits(header.second) || (!length.isNull() && header.second != length))
            return fail(400);
        length = header.second;
    }
    while (length.size() > 1 && length.startsWith('0'))
        length.remove(0, 1);
    if (length.size() > 18)
        return fail(413);
    m_bodyLeft = length.isEmpty() ? 0 : length.toLongLong();
    if (m_bodyLeft > m_limits.body)
        return fail(413);
    m_part = Part::Body;
    if (m_bodyLeft == 0)
        m_state = State::Complete;
}

void HttpRequestReader::fail(int status)
{
    m_state = State::Failed;
    m_failure = status;
}
