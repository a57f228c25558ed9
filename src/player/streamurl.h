#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Addresses the stream player plays instead of the page view, and the header
// list an address may carry after "|":
//   http://host/live.m3u8|User-Agent=xyz&Referer=http://site/
namespace streamurl {

struct Header
{
    QByteArray name;
    QByteArray value;
    bool operator==(const Header &other) const { return name == other.name && value == other.value; }
};

struct StreamAddress
{
    QString url; // the part before the first "|", trimmed
    QList<Header> headers;
    // False when the part after "|" is not a header list; the address must
    // then not be played (its headers would be guessed).
    bool headersValid = true;
};

// The longest header list taken after "|"; a longer one is not valid.
constexpr int MaxHeaderTextLength = 8192;

// Splits the text at the first "|". The header list is "name=value" items
// joined by "&"; values are percent-decoded; empty items are skipped. A name
// that is not an HTTP token, an item without "=", or a value that would break
// the request (CR, LF, NUL) makes the whole list invalid.
StreamAddress parse(const QString &text);

// Whether the text is a stream address: a streaming scheme, an http(s) path
// with a media or playlist extension, or any address that carries a valid,
// non-empty header list.
bool isStream(const QString &text);

// Whether the text asks for the blank page ("about:blank", any case).
bool isBlank(const QString &text);

} // namespace streamurl
