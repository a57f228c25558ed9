#include "endpoints.h"

#include "platform/codepage936.h"

namespace {

bool isUnreserved(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-'
        || c == u'_' || c == u'.' || c == u'~';
}

void appendPercentEncoded(QString &out, const QByteArray &bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const char byte : bytes) {
        const auto b = quint8(byte);
        out += QLatin1Char('%');
        out += QLatin1Char(hex[b >> 4]);
        out += QLatin1Char(hex[b & 0xF]);
    }
}

QString withoutTrailingSlash(QString base)
{
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

} // namespace

QString encodeQueryValue(const QString &value)
{
    QString out;
    out.reserve(value.size() * 3);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar ch = value.at(i);
        if (isUnreserved(ch.unicode())) {
            out += ch;
            continue;
        }
        // A surrogate pair is one character and is converted as one.
        const bool pair = ch.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate();
        appendPercentEncoded(out, cp936::fromUnicode(value.mid(i, pair ? 2 : 1)));
        if (pair)
            ++i;
    }
    return out;
}

Endpoints::Endpoints(const ServiceHosts &hosts)
    : m_hosts{withoutTrailingSlash(hosts.host1), withoutTrailingSlash(hosts.host2)}
{
}

QString Endpoints::base(Host host) const { return host == Host2 ? m_hosts.host2 : m_hosts.host1; }

QString Endpoints::withName(Host host, const char *path, const QString &name) const
{
    return base(host) + QLatin1String(path) + encodeQueryValue(name);
}

QString Endpoints::login(const QString &name, const QString &password) const
{
    return withName(Host1, "/user/denglu.asp?yh=", name) + QLatin1String("&pw=") + encodeQueryValue(password);
}

QString Endpoints::tvList(Host host, const QString &name) const
{
    return withName(host, "/user/jiemubiao.asp?yh=", name);
}

QString Endpoints::radioList(Host host, const QString &name) const
{
    return withName(host, "/user/diantaibiao.asp?yh=", name);
}

QString Endpoints::verification(const QString &name) const { return withName(Host1, "/user/yanzhen.asp?yh=", name); }

QString Endpoints::verificationGuest() const { return base(Host1) + QLatin1String("/user/yanzhen.asp?yh=guest"); }

QString Endpoints::verificationPlain() const { return base(Host1) + QLatin1String("/user/yanzhen.asp"); }

QString Endpoints::verificationHost2(const QString &name) const
{
    return withName(Host2, "/user/yanzhen.asp?yh=", name);
}

QString Endpoints::accountPage(const QString &name) const { return withName(Host1, "/user/Download2.asp?yh=", name); }

QString Endpoints::signUp() const { return base(Host1) + QLatin1String("/user/reg.asp"); }
