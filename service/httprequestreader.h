#pragma once

#include "servicelimits.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>

// The head of one request as it arrived, nothing decoded.
struct HttpRequestHead
{
    QByteArray method;
    QByteArray target;
    int minorVersion = 1; // HTTP/1.0 or HTTP/1.1
    QList<QPair<QByteArray, QByteArray>> headers; // names as sent, values without surrounding blanks

    // The value of the first header of that name (names match without regard to case).
    QByteArray header(QByteArrayView name) const;
    // Whether the client lets the connection stay open after the answer.
    bool keepAlive() const;
};

// Reads HTTP/1.0 and HTTP/1.1 requests from bytes that arrive in pieces of
// any size, one request at a time, within the limits. A body is counted and
// dropped: no address of the service takes one.
class HttpRequestReader
{
public:
    enum class State { Reading, Complete, Failed };

    explicit HttpRequestReader(const ServiceLimits &limits);

    // Takes bytes up to the end of the current request and returns how many it
    // took; takes none once the request is complete or has failed.
    qsizetype feed(QByteArrayView bytes);
    // Ready for the next request.
    void reset();

    State state() const { return m_state; }
    // Some bytes of the current request have arrived.
    bool started() const { return m_started; }
    // The status that answers a failed request (400, 413, 414, 431, 501, 505).
    int failure() const { return m_failure; }
    // Complete, or as far as it was read when the request failed.
    const HttpRequestHead &head() const { return m_head; }

private:
    enum class Part { RequestLine, Headers, Body };

    qsizetype readLine(QByteArrayView bytes, qsizetype limit, int tooLong);
    void takeRequestLine();
    void takeHeaderLine();
    void endOfHeaders();
    void fail(int status);

    ServiceLimits m_limits;
    State m_state = State::Reading;
    Part m_part = Part::RequestLine;
    bool m_started = false;
    bool m_lineDone = false;
    int m_failure = 0;
    QByteArray m_line;
    qsizetype m_headerBytes = 0;
    qsizetype m_skippedBytes = 0;
    qint64 m_bodyLeft = 0;
    HttpRequestHead m_head;
};
