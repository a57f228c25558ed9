#pragma once

#include "playlist/urlheaders.h"

#include <QString>

// Addresses the stream player plays instead of the page view. An address may
// carry the headers its stream needs after a "|" (see playlist/urlheaders.h):
//   http://host/live.m3u8|User-Agent=xyz&Referer=http://site/
namespace streamurl {

struct StreamAddress
{
    QString url; // the part before the first "|", trimmed
    HttpHeaders headers;
    // False when the part after "|" is no header list: not one header can be
    // read from it, or it is too long to send. Such an address is not played,
    // as its headers would be guessed.
    bool headersValid = true;
};

// The longest header list taken after "|".
constexpr int MaxHeaderTextLength = 8192;

StreamAddress parse(const QString &text);

// Whether the text is a stream address: a streaming scheme, an http(s) path
// with a media or playlist extension, or any address that carries headers.
bool isStream(const QString &text);

// Whether the text asks for the blank page ("about:blank", any case).
bool isBlank(const QString &text);

} // namespace streamurl
