#pragma once

#include <QList>
#include <QPair>
#include <QString>

// A channel address may carry the request headers its stream needs after a
// "|", as name=value pairs joined by "&":
//   http://host/a.m3u8|User-Agent=Mozilla/5.0&Referer=http://site/
// The part before the "|" is the URL itself.
using HttpHeaders = QList<QPair<QString, QString>>;

struct UrlWithHeaders
{
    QString url;
    HttpHeaders headers;
};

// Splits an address at its first "|". Values are percent-decoded. A pair
// without a name, with a name that is not an HTTP token, with an empty value
// or with a control character in its value (which could forge a header line)
// is dropped; of two pairs with the same name (in any case) the first counts.
// "user-agent" and "referer" (also "referrer") get the names "User-Agent" and
// "Referer".
UrlWithHeaders splitUrlHeaders(const QString &address);

// The address in its one canonical form: the URL alone when there is no
// header; otherwise "|", User-Agent, Referer, then the other headers in their
// order. "%", "&" and "|" in values are percent-encoded, nothing else is.
QString joinUrlHeaders(const QString &url, const HttpHeaders &headers);

// The value of a header (name in any case), empty when absent.
QString headerValue(const HttpHeaders &headers, const QString &name);
