#include "httpsession.h"

#include <QStringList>

namespace {

bool isFramingHeader(QByteArrayView name)
{
    for (const char *framing : {"Content-Length", "Transfer-Encoding", "Connection", "Content-Type"}) {
        if (QByteArray(framing).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool isSafeHeader(const QByteArray &name, const QByteArray &value)
{
    if (name.isEmpty() || isFramingHeader(name))
        return false;
    for (char c : name) {
        if (uchar(c) <= 0x20 || uchar(c) >= 0x7F || c == ':')
            return false;
    }
    for (char c : value) {
        if ((uchar(c) < 0x20 && c != '\t') || uchar(c) == 0x7F)
            return false;
    }
    return true;
}

} // namespace

namespace httpanswer {

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Payload Too Large";
    case 414: return "URI Too Long";
    case 416: return "Range Not Satisfiable";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Status";
    }
}

QByteArray head(const ServiceAnswer &answer, bool keepAlive)
{
    const int status = answer.status >= 100 && answer.status <= 999 ? answer.status : 500;
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    if (!answer.contentType.isEmpty() && isSafeHeader("X", answer.contentType))
        out += "Content-Type: " + answer.contentType + "\r\n";
    for (const auto &header : answer.headers) {
        if (isSafeHeader(header.first, header.second))
            out += header.first + ": " + header.second + "\r\n";
    }
    const qint64 streamed = answer.stream ? answer.stream->size() : 0;
    if (streamed >= 0)
        out += "Content-Length: " + QByteArray::number(answer.body.size() + streamed) + "\r\n";
    out += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return out;
}

} // namespace httpanswer

HttpSession::HttpSession(Handler handler, Logger logger, const ServiceLimits &limits)
    : m_handler(std::move(handler))
    , m_logger(std::move(logger))
    , m_reader(limits)
{
}

bool HttpSession::wantsInput() const
{
    return !m_closing && !m_timedOut && !m_stream && m_reader.state() == HttpRequestReader::State::Reading;
}

void HttpSession::receive(QByteArrayView bytes)
{
    m_pending.append(bytes);
    feedPending();
}

bool HttpSession::partialRequest() const
{
    return m_reader.state() == HttpRequestReader::State::Reading && m_reader.started();
}

void HttpSession::timeOut()
{
    if (!m_closing && !m_stream)
        m_timedOut = true;
}

QByteArray HttpSession::pull(qsizetype room)
{
    if (m_stream) {
        const QByteArray piece = streamPiece(room);
        if (!piece.isEmpty() || m_stream)
            return piece;
    }
    return nextAnswer();
}

QByteArray HttpSession::nextAnswer()
{
    if (m_closing)
        return {};
    if (m_timedOut) {
        m_closing = true;
        return partialRequest() ? refusal(408, m_reader.head()) : QByteArray();
    }
    if (m_reader.state() == HttpRequestReader::State::Reading)
        return {};
    if (m_reader.state() == HttpRequestReader::State::Failed) {
        m_closing = true;
        return refusal(m_reader.failure(), m_reader.head());
    }
    const HttpRequestHead head = m_reader.head();
    const ServiceAnswer answer = m_handler(ServiceRequest::fromHead(head));
    log(head, answer.status);
    // A body of unknown length ends with the connection.
    const bool keepAlive = head.keepAlive() && !(answer.stream && answer.stream->size() < 0);
    m_closing = !keepAlive;
    m_reader.reset();
    if (answer.stream) {
        m_stream = answer.stream;
        m_streamLeft = answer.stream->size();
    } else if (!m_closing) {
        feedPending();
    }
    return httpanswer::head(answer, keepAlive) + answer.body;
}

QByteArray HttpSession::streamPiece(qsizetype room)
{
    const qsizetype want = m_streamLeft >= 0 ? qsizetype(qMin<qint64>(room, m_streamLeft)) : room;
    QByteArray piece = want > 0 ? m_stream->read(want) : QByteArray();
    if (piece.size() > want)
        piece.truncate(want);
    if (m_streamLeft >= 0)
        m_streamLeft -= piece.size();
    if (m_streamLeft != 0 && !m_stream->atEnd())
        return piece;
    // A body that ends short of its announced length leaves the client
    // waiting for the rest; only closing tells it.
    if (m_streamLeft > 0)
        m_closing = true;
    m_stream.reset();
    if (!m_closing)
        feedPending();
    return piece;
}

QByteArray HttpSession::refusal(int status, const HttpRequestHead &head)
{
    log(head, status);
    ServiceAnswer answer;
    answer.status = status;
    answer.contentType = "text/plain; charset=us-ascii";
    answer.body = QByteArray::number(status) + ' ' + httpanswer::reason(status) + '\n';
    return httpanswer::head(answer, false) + answer.body;
}

void HttpSession::feedPending()
{
    m_pendingUsed += m_reader.feed(QByteArrayView(m_pending).sliced(m_pendingUsed));
    if (m_pendingUsed == m_pending.size()) {
        m_pending.clear();
        m_pendingUsed = 0;
    }
}

void HttpSession::log(const HttpRequestHead &head, int status)
{
    if (!m_logger)
        return;
    const QString target = head.target.isEmpty() ? QStringLiteral("-") : ServiceRequest::fromHead(head).logged();
    const QString method = head.method.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(head.method);
    m_logger(QStringLiteral("%1 %2 %3").arg(method, target, QString::number(status)));
}
