#include "guidetime.h"

#include <QString>

namespace {

constexpr qint64 kMaxOffsetMinutes = 14 * 60;
constexpr double kMaxShiftHours = 24;

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// The number in text[from, from + count), all digits; -1 otherwise.
int digitsAt(QStringView text, qsizetype from, qsizetype count)
{
    if (from + count > text.size())
        return -1;
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        if (!isDigit(text[i]))
            return -1;
        value = value * 10 + (text[i].unicode() - u'0');
    }
    return value;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
qint64 daysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// "+HHMM", "-HHMM", "+HH:MM" as minutes east of UTC.
std::optional<qint64> parseOffset(QStringView text)
{
    if (text.isEmpty() || (text[0] != u'+' && text[0] != u'-'))
        return std::nullopt;
    const bool colon = text.size() == 6 && text[3] == u':';
    if (text.size() != 5 && !colon)
        return std::nullopt;
    const int hours = digitsAt(text, 1, 2);
    const int minutes = digitsAt(text, colon ? 4 : 3, 2);
    if (hours < 0 || minutes < 0 || minutes >= 60)
        return std::nullopt;
    const qint64 total = hours * 60 + minutes;
    if (total > kMaxOffsetMinutes)
        return std::nullopt;
    return text[0] == u'-' ? -total : total;
}

} // namespace

std::optional<qint64> parseXmltvTime(QStringView text)
{
    text = text.trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && isDigit(text[digits]))
        ++digits;
    if (digits != 8 && digits != 10 && digits != 12 && digits != 14)
        return std::nullopt;
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 4, 2);
    const int day = digitsAt(text, 6, 2);
    const int hour = digits >= 10 ? digitsAt(text, 8, 2) : 0;
    const int minute = digits >= 12 ? digitsAt(text, 10, 2) : 0;
    const int second = digits >= 14 ? digitsAt(text, 12, 2) : 0;
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23
        || minute > 59 || second > 59)
        return std::nullopt;
    qint64 offsetMinutes = 0;
    const QStringView rest = text.mid(digits).trimmed();
    if (!rest.isEmpty()) {
        const std::optional<qint64> offset = parseOffset(rest);
        if (!offset)
            return std::nullopt;
        offsetMinutes = *offset;
    }
    const qint64 local = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return local - offsetMinutes * 60;
}

std::optional<qint64> parseTvgShift(QStringView text)
{
    text = text.trimmed();
    if (text.startsWith(u'+'))
        text = text.mid(1);
    // Only plain decimal numbers: no exponent, no "inf", no thousands separators.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isDigit(text[i]) && text[i] != u'.' && !(i == 0 && text[i] == u'-'))
            return std::nullopt;
    }
    bool ok = false;
    const double hours = text.toString().toDouble(&ok);
    if (!ok || hours < -kMaxShiftHours || hours > kMaxShiftHours)
        return std::nullopt;
    return qint64(qRound64(hours * 3600));
}
