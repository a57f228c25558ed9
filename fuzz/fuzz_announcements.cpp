// Feeds arbitrary page text to the announcement block reader. The fields are
// checked against a plain search with the standard library: the text after
// the first "$$$*" up to the first "*$$$" at or after its end, cut at every
// "*"; and the menu items against the pairs of those fields.
#include "directory/announcements.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Most bytes become one of a few characters, so that markers, separators and
// blank fields are common; a byte from 0xF0 on takes the next two bytes as
// any UTF-16 code unit.
std::u16string pageText(const uint8_t *data, size_t size)
{
    static const char16_t common[] = u"$*$ a:/湖";
    std::u16string text;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] < 0xF0 || i + 2 >= size)
            text += common[data[i] % 8];
        else
            text += char16_t(data[i + 1] | data[i + 2] << 8), i += 2;
    }
    return text;
}

// Not QString::fromStdU16String: that one takes a leading U+FEFF or U+FFFE
// for a byte order mark.
QString qstring(const std::u16string &text)
{
    return QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::u16string plain = pageText(data, size);
    const QString text = qstring(plain);

    const std::optional<QStringList> fields = announcements::noticeFields(text);

    const size_t start = plain.find(u"$$$*");
    const size_t end = start == std::u16string::npos ? start : plain.find(u"*$$$", start + 4);
    if (fields.has_value() != (end != std::u16string::npos))
        std::abort();
    if (!fields)
        return 0;
    const std::u16string payload = plain.substr(start + 4, end - start - 4);
    QStringList expected;
    size_t from = 0;
    for (size_t star; (star = payload.find(u'*', from)) != std::u16string::npos; from = star + 1)
        expected << qstring(payload.substr(from, star - from));
    expected << qstring(payload.substr(from));
    if (*fields != expected)
        std::abort();

    const auto blank = [](const QString &field) { return field.count(QLatin1Char(' ')) == field.size(); };
    QList<announcements::Item> items = announcements::announcedItems(*fields);
    for (int k = 1; k <= announcements::MenuItemCount && 2 * k <= expected.size(); ++k) {
        const QString &title = expected[2 * k - 2];
        const QString &url = expected[2 * k - 1];
        if (blank(title) || blank(url))
            continue;
        if (items.isEmpty() || items.first().k != k || items.first().url != url
            || items.first().caption != QString::number(k) + QLatin1Char('.') + title)
            std::abort();
        items.removeFirst();
    }
    if (!items.isEmpty())
        std::abort();
    return 0;
}
