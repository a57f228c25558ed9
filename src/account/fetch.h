#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Limits of one fetch. The program runs with the defaults; tests shorten them.
struct FetchSettings
{
    // A fetch gives up after this long without any progress (connection,
    // headers or body bytes), so a service that accepts the connection and
    // never answers cannot hold a handler for ever.
    int idleTimeoutMs = 15000;
    // An answer body larger than this counts as a failed fetch.
    qint64 maxBodyBytes = 16 * 1024 * 1024;
    int maxRedirects = 10;
    // Sent as the User-Agent header when not empty; otherwise the network
    // stack's own is sent.
    QByteArray userAgent;
};

// The settings the two-argument FetchUrlText uses.
FetchSettings fetchSettings();
// Test seam: replaces those settings and returns the previous ones.
FetchSettings setFetchSettings(const FetchSettings &settings);

// HTTP GET of an http or https URL; the answer body decoded from the named
// charset. The HTTP status is never examined: an error page's body comes back
// like any other answer. Every failure (refused, unreachable, timed out, cut
// off, oversized, undecodable) yields empty text.
//
// The wait runs the event loop: clicks, timer ticks and browser events are
// handled while the fetch waits, and a fetch started by such a handler
// completes inside this one. Callers must not rely on any state being
// unchanged across the call.
QString FetchUrlText(const QString &url, const QString &charset);
QString FetchUrlText(const QString &url, const QString &charset, const FetchSettings &settings);

// The answer body as it came, under the same rules; nothing on any failure.
std::optional<QByteArray> FetchUrlBytes(const QString &url, const FetchSettings &settings);

// The bytes as text in the named charset. "gb2312" and the other names of
// code page 936 decode as GBK, its superset. Empty bytes or an unknown
// charset yield empty text; invalid byte sequences come out as U+FFFD.
QString DecodeResponseBytes(const QByteArray &bytes, const QString &charset);
