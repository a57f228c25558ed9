#include "servicerequest.h"

#include "httprequestreader.h"
#include "platform/codepage936.h"

#include <QStringList>
#include <QUrl>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "%XX" becomes the byte XX; a "%" without two hex digits stays as it is.
QString decodeComponent(const QByteArray &raw)
{
    QByteArray bytes;
    bytes.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw.at(i);
        const int high = c == '%' && i + 2 < raw.size() ? hexValue(raw.at(i + 1)) : -1;
        const int low = high >= 0 ? hexValue(raw.at(i + 2)) : -1;
        if (low >= 0) {
            bytes += char(high << 4 | low);
            i += 2;
        } else {
            bytes += c == '+' ? ' ' : c;
        }
    }
    return cp936::toUnicode(bytes);
}

bool isSecret(const QString &key)
{
    return key.compare(u"pw", Qt::CaseInsensitive) == 0 || key.compare(u"password", Qt::CaseInsensitive) == 0;
}

// A value with a line break must not forge a line of the log.
QString printable(QString text)
{
    for (QChar &ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            ch = QLatin1Char('?');
    }
    return text;
}

} // namespace

ServiceRequest ServiceRequest::parse(const QString &method, const QString &path, const QByteArray &encodedQuery,
                                     bool hasQuery)
{
    ServiceRequest request;
    request.method = method;
    request.path = path;
    request.hasQuery = hasQuery;
    for (const QByteArray &item : encodedQuery.split('&')) {
        if (item.isEmpty())
            continue;
        const qsizetype equals = item.indexOf('=');
        const QByteArray key = equals < 0 ? item : item.left(equals);
        const QByteArray value = equals < 0 ? QByteArray() : item.mid(equals + 1);
        request.query.append({decodeComponent(key), decodeComponent(value)});
    }
    return request;
}

ServiceRequest ServiceRequest::fromHead(const HttpRequestHead &head)
{
    QByteArray target = head.target;
    const qsizetype hash = target.indexOf('#');
    if (hash >= 0)
        target.truncate(hash);
    const qsizetype scheme = target.startsWith('/') ? -1 : target.indexOf("://");
    if (scheme > 0) {
        // "http://host:port/path?query" counts by its path and query.
        qsizetype end = scheme + 3;
        while (end < target.size() && target.at(end) != '/' && target.at(end) != '?')
            ++end;
        target = target.mid(end);
        if (!target.startsWith('/'))
            target.prepend('/');
    }
    const qsizetype question = target.indexOf('?');
    const QByteArray path = question < 0 ? target : target.left(question);
    const QByteArray query = question < 0 ? QByteArray() : target.mid(question + 1);
    ServiceRequest request = parse(QString::fromLatin1(head.method), QUrl::fromPercentEncoding(path), query, question >= 0);
    request.headers = head.headers;
    return request;
}

QByteArray ServiceRequest::header(QByteArrayView name) const
{
    for (const auto &item : headers) {
        if (item.first.compare(name, Qt::CaseInsensitive) == 0)
            return item.second;
    }
    return {};
}

bool ServiceRequest::has(const QString &key) const
{
    for (const auto &item : query) {
        if (item.first.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString ServiceRequest::value(const QString &key) const
{
    for (const auto &item : query) {
        if (item.first.compare(key, Qt::CaseInsensitive) == 0)
            return item.second;
    }
    return {};
}

QString ServiceRequest::logged() const
{
    if (!hasQuery)
        return printable(path);
    QStringList items;
    for (const auto &item : query)
        items.append(item.first + QLatin1Char('=') + (isSecret(item.first) ? QStringLiteral("***") : item.second));
    return printable(path + QLatin1Char('?') + items.join(QLatin1Char('&')));
}
