#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct ServiceAccount
{
    QString name;
    QString password;
    bool vip = false;
};

struct ServiceChannel
{
    QString name;
    QString url;
};

// What the service knows: the accounts and the two channel lists, read from
// a data folder:
//   accounts.txt             one account a line: name, password, grade (vip or
//                            ordinary), separated by blanks; UTF-8; # starts a comment
//   lists/dianshibiao.ini    the TV list: name and URL lines, code page 936
//   lists/diantaibiao.ini    the radio list, the same form
class ServiceData
{
public:
    // The address the demo lists' play pages are written with.
    static constexpr const char *kListedBase = "http://127.0.0.1:8801";

    // False with a reason when the folder cannot be read; a missing list or
    // accounts file only leaves that part empty (and is reported in warnings).
    bool load(const QString &folder, QString *error, QStringList *warnings = nullptr);

    const ServiceAccount *account(const QString &name) const;
    // Sign-up. Accounts made this way live until the service stops, and only
    // so many are kept, so that sign-ups cannot fill the memory.
    enum class SignUp { Added, Taken, Full };
    static constexpr int kMaxSignUps = 1000;
    SignUp addAccount(const ServiceAccount &account);

    qsizetype accountCount() const { return m_accounts.size(); }
    const QList<ServiceChannel> &tv() const { return m_tv; }
    const QList<ServiceChannel> &radio() const { return m_radio; }
    void setTv(const QList<ServiceChannel> &channels) { m_tv = channels; }
    void setRadio(const QList<ServiceChannel> &channels) { m_radio = channels; }

    // Base URL ("http://127.0.0.1:port") of the host that serves the pages
    // the service links to. Listed play-page addresses are moved onto it.
    QString pageBase() const { return m_pageBase; }
    void setPageBase(const QString &base) { m_pageBase = base; }

    // A list as the service sends it: name and URL lines joined by CR LF,
    // no line break after the last URL.
    QString listText(const QList<ServiceChannel> &channels) const;
    QString servedUrl(const QString &listedUrl) const;

    // Name and URL pairs of a list text (CR LF or LF); an unpaired last line is dropped.
    static QList<ServiceChannel> parseList(const QString &text);
    static QList<ServiceAccount> parseAccounts(const QString &text);

private:
    QList<ServiceAccount> m_accounts;
    int m_signUps = 0;
    QList<ServiceChannel> m_tv;
    QList<ServiceChannel> m_radio;
    QString m_pageBase = QString::fromLatin1(kListedBase);
};
