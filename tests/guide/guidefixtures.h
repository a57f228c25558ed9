#pragma once

#include "guide/guide.h"

#include <QByteArray>
#include <QString>

// 2024-03-10 12:00:00 UTC, the "now" of the guide tests.
constexpr qint64 kGuideNow = 1710072000;

// An XMLTV document: the body inside <tv>…</tv>, with every "{N}" (hours
// from `now`, may be negative or fractional) replaced by that time in UTC
// ("YYYYMMDDhhmmss +0000").
QByteArray xmltvDocument(const QString &body, qint64 now = kGuideNow);

// The kept programmes as one line each channel: "id: 0-1 新闻, 1-2.5 天气",
// times in hours from `now`; channels joined by " | ".
QString guideSummary(const QList<GuideChannel> &channels, qint64 now = kGuideNow);

// The bytes as one gzip member.
QByteArray gzipped(const QByteArray &bytes);
