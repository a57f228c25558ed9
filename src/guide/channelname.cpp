#include "channelname.h"

namespace {

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isHan(QChar c) { return c.script() == QChar::Script_Han; }

QChar halfWidth(QChar c)
{
    if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
        return QChar(c.unicode() - 0xFEE0);
    if (c.unicode() == 0x3000)
        return QLatin1Char(' ');
    return c;
}

bool isSeparator(QChar c)
{
    if (c.isSpace())
        return true;
    switch (c.unicode()) {
    case u'-': case u'_': case u'.':
    case u'(': case u')': case u'[': case u']':
    case 0x00B7: // middle dot
    case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015: // hyphens and dashes
    case 0x2212: // minus sign
    case 0x2022: // bullet
    case 0x3002: // ideographic full stop
    case 0x30FB: // katakana middle dot
    case 0x3010: case 0x3011: // 【】
    case 0x300C: case 0x300D: // 「」
        return true;
    default:
        return false;
    }
}

// Longer words first, so that "fhd" goes whole rather than leave an "f".
const char16_t *const kLabels[] = {u"超高清", u"高清", u"超清", u"标清", u"频道", u"fhd", u"uhd",
                                   u"hd",     u"4k",   u"8k",   u"台"};

bool stripOneLabel(QString &name)
{
    for (const char16_t *label : kLabels) {
        const QStringView word(label);
        if (name.size() <= word.size() || !name.endsWith(word))
            continue;
        const qsizetype rest = name.size() - word.size();
        if (isAsciiDigit(word[0]) && isAsciiLetter(name[rest - 1]))
            continue;
        name.truncate(rest);
        return true;
    }
    return false;
}

void stripLabels(QString &name)
{
    while (stripOneLabel(name)) {
    }
}

// "cctv1综合" → "cctv1": letters, digits, an optional "+", then Chinese only.
void dropDescriptorAfterCode(QString &name)
{
    qsizetype i = 0;
    while (i < name.size() && isAsciiLetter(name[i]))
        ++i;
    const qsizetype letters = i;
    while (i < name.size() && isAsciiDigit(name[i]))
        ++i;
    if (letters == 0 || i == letters)
        return;
    if (i < name.size() && name[i] == u'+')
        ++i;
    const qsizetype code = i;
    if (code == name.size())
        return;
    for (; i < name.size(); ++i) {
        if (!isHan(name[i]))
            return;
    }
    name.truncate(code);
}

} // namespace

QString normaliseChannelName(QStringView name)
{
    QString folded;
    folded.reserve(name.size());
    for (QChar c : name) {
        c = halfWidth(c);
        if (!isSeparator(c))
            folded += c;
    }
    folded = folded.toCaseFolded();
    stripLabels(folded);
    dropDescriptorAfterCode(folded);
    stripLabels(folded);
    return folded;
}
