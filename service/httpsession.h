#pragma once

#include "httprequestreader.h"
#include "servicelimits.h"
#include "servicerequest.h"

#include <functional>

// One client's conversation with a host, without the socket: request bytes
// go in, answers come out in the order of the requests. The socket side
// decides when to take more input and how much output it has room for, so
// nothing here grows without the client's help: input is read one request
// at a time, and an answer is made only when the output has room for it.
class HttpSession
{
public:
    using Handler = std::function<ServiceAnswer(const ServiceRequest &)>;
    // One line per answer: "GET /user/denglu.asp?yh=abc&pw=*** 200"; "-" for
    // what a refused request did not show.
    using Logger = std::function<void(const QString &line)>;

    HttpSession(Handler handler, Logger logger, const ServiceLimits &limits);

    // Whether the session takes bytes now: not while a request waits for its
    // answer, a body is streamed, or the session is closing.
    bool wantsInput() const;
    // Bytes from the client; call only while wantsInput().
    void receive(QByteArrayView bytes);
    // The next output: the whole of the next answer, or up to `room` bytes of
    // a streamed body. Empty when nothing is due now.
    QByteArray pull(qsizetype room);

    // A streamed body is being sent.
    bool streaming() const { return bool(m_stream); }
    // Nothing more will come out: close once the output has gone.
    bool finished() const { return m_closing && !m_stream; }
    // Part of a request has arrived and the rest has not.
    bool partialRequest() const;
    // The request did not arrive in time: a partial one is answered 408, and
    // the session closes.
    void timeOut();

private:
    QByteArray nextAnswer();
    QByteArray streamPiece(qsizetype room);
    QByteArray refusal(int status, const HttpRequestHead &head);
    void feedPending();
    void log(const HttpRequestHead &head, int status);

    Handler m_handler;
    Logger m_logger;
    HttpRequestReader m_reader;
    QByteArray m_pending; // bytes after a complete request, kept for the requests after it
    qsizetype m_pendingUsed = 0;
    std::shared_ptr<AnswerStream> m_stream;
    qint64 m_streamLeft = -1;
    bool m_closing = false;
    bool m_timedOut = false;
};

namespace httpanswer {

// "HTTP/1.1 200 OK" and the headers of an answer, up to the empty line. The
// route's own headers are kept unless they would break the framing (line
// breaks, invalid names, or the length and connection headers, written here).
QByteArray head(const ServiceAnswer &answer, bool keepAlive);

QByteArray reason(int status);

} // namespace httpanswer
