#pragma once

#include <QStringView>

#include <optional>

// A guide time, "YYYYMMDDhhmmss +HHMM", as seconds since 1970-01-01 UTC.
// Shorter forms (YYYYMMDD, YYYYMMDDhh, YYYYMMDDhhmm) leave the missing
// fields at zero. Without an offset the time is UTC; the offset may be
// written "+0800" or "+08:00", with or without a blank before it, and lies
// between -1400 and +1400. Anything else (a date that does not exist, an
// offset such as "+2500", trailing text) yields nothing: such a programme
// is dropped rather than shown at a time that cannot be right.
std::optional<qint64> parseXmltvTime(QStringView text);

// The tvg-shift of a playlist entry: hours, possibly fractional or
// negative ("8", "-2.5", "+0.5"), at most 24 either way. Yields the shift in
// seconds, or nothing for text that is not such a number.
std::optional<qint64> parseTvgShift(QStringView text);
