#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>

struct HttpRequestHead;

// A request as the service reads it. Query values arrive percent-encoded as
// code page 936 bytes (the service speaks GB2312); "+" stands for a blank.
struct ServiceRequest
{
    QString method = QStringLiteral("GET");
    QString path;
    bool hasQuery = false;
    QList<QPair<QString, QString>> query;
    // The request's headers as sent (User-Agent, Range, Icy-MetaData, ...).
    QList<QPair<QByteArray, QByteArray>> headers;

    static ServiceRequest parse(const QString &method, const QString &path, const QByteArray &encodedQuery,
                                bool hasQuery);
    // From a request head: the target's path is percent-decoded as UTF-8, its
    // query as above; an absolute target ("http://host/path") counts by its path.
    static ServiceRequest fromHead(const HttpRequestHead &head);

    bool has(const QString &key) const;
    // The first value of the key (keys match without regard to case), empty when absent.
    QString value(const QString &key) const;
    // The first header of that name (without regard to case); a null array when absent.
    QByteArray header(QByteArrayView name) const;
    // "path?key=value&..." for the log, with every password masked.
    QString logged() const;
};

// A body made while the client reads: the connection asks for the next piece
// only when the client has taken what was sent before, so a body can be
// endless. Pieces come out in order; the stream lives as long as the answer.
class AnswerStream
{
public:
    virtual ~AnswerStream() = default;
    // Up to maxBytes of the body. An empty piece before the end means that
    // nothing is due yet: the connection asks again a little later.
    virtual QByteArray read(qsizetype maxBytes) = 0;
    virtual bool atEnd() const = 0;
    // The whole length when known in advance (the body then has a length and
    // the connection may stay open); -1 for a body of unknown or endless
    // length, which ends when the connection closes.
    virtual qint64 size() const { return -1; }
};

struct ServiceAnswer
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    // Further response headers ("icy-metaint", "Content-Range", ...). The
    // connection writes the length and connection headers itself.
    QList<QPair<QByteArray, QByteArray>> headers;
    // With a stream, the body is sent first and the stream's pieces after it.
    std::shared_ptr<AnswerStream> stream;
};
