#include "servicedata.h"

#include "platform/codepage936.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <optional>

namespace {

std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

bool ServiceData::load(const QString &folder, QString *error, QStringList *warnings)
{
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) {
        if (error)
            *error = QStringLiteral("data folder %1 not found").arg(folder);
        return false;
    }
    auto warn = [warnings](const QString &text) {
        if (warnings)
            warnings->append(text);
    };
    if (auto bytes = readFile(dir.filePath(QStringLiteral("accounts.txt"))))
        m_accounts = parseAccounts(QString::fromUtf8(*bytes));
    else
        warn(QStringLiteral("no accounts.txt in %1: every login is refused").arg(folder));
    if (auto bytes = readFile(dir.filePath(QStringLiteral("lists/dianshibiao.ini"))))
        m_tv = parseList(cp936::toUnicode(*bytes));
    else
        warn(QStringLiteral("no lists/dianshibiao.ini in %1: the TV list is empty").arg(folder));
    if (auto bytes = readFile(dir.filePath(QStringLiteral("lists/diantaibiao.ini"))))
        m_radio = parseList(cp936::toUnicode(*bytes));
    else
        warn(QStringLiteral("no lists/diantaibiao.ini in %1: the radio list is empty").arg(folder));
    return true;
}

const ServiceAccount *ServiceData::account(const QString &name) const
{
    for (const ServiceAccount &account : m_accounts) {
        if (account.name == name)
            return &account;
    }
    return nullptr;
}

ServiceData::SignUp ServiceData::addAccount(const ServiceAccount &account)
{
    if (account.name.isEmpty() || this->account(account.name))
        return SignUp::Taken;
    if (m_signUps >= kMaxSignUps)
        return SignUp::Full;
    m_accounts.append(account);
    ++m_signUps;
    return SignUp::Added;
}

QString ServiceData::servedUrl(const QString &listedUrl) const
{
    const QString listed = QString::fromLatin1(kListedBase);
    if (m_pageBase == listed || !listedUrl.startsWith(listed + QLatin1Char('/')))
        return listedUrl;
    return m_pageBase + listedUrl.mid(listed.size());
}

QString ServiceData::listText(const QList<ServiceChannel> &channels) const
{
    QStringList lines;
    lines.reserve(channels.size() * 2);
    for (const ServiceChannel &channel : channels) {
        lines.append(channel.name);
        lines.append(servedUrl(channel.url));
    }
    return lines.join(QStringLiteral("\r\n"));
}

QList<ServiceChannel> ServiceData::parseList(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    QList<ServiceChannel> channels;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        if (lines.at(i).trimmed().isEmpty() && lines.at(i + 1).trimmed().isEmpty())
            continue;
        channels.append({lines.at(i), lines.at(i + 1).trimmed()});
    }
    return channels;
}

QList<ServiceAccount> ServiceData::parseAccounts(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QList<ServiceAccount> accounts;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(blanks);
        if (fields.size() < 3)
            continue;
        accounts.append({fields.at(0), fields.at(1), fields.at(2).compare(u"vip", Qt::CaseInsensitive) == 0});
    }
    return accounts;
}
