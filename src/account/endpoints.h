#pragma once

#include "servicehosts.h"

#include <QString>

// A query value as it goes on the wire: ASCII letters, digits and - _ . ~
// unchanged; every other ASCII character percent-encoded; every other
// character percent-encoded as its code page 936 bytes, because the service
// speaks GB2312. A character the code page lacks goes as "?" (%3F).
QString encodeQueryValue(const QString &value);

// Every address of the service, built from the two configured hosts. Account
// names and passwords are encoded with encodeQueryValue, so a password such as
// a&b+c reaches the service as typed.
class Endpoints
{
public:
    enum Host { Host1 = 1, Host2 = 2 };

    explicit Endpoints(const ServiceHosts &hosts);

    const ServiceHosts &hosts() const { return m_hosts; }
    QString base(Host host) const;

    // Fetched: the login answer, and the TV and radio list texts.
    QString login(const QString &name, const QString &password) const;
    QString tvList(Host host, const QString &name) const;
    QString radioList(Host host, const QString &name) const;

    // Shown in a browser view: the verification page (which carries the
    // announcements), the account page and the sign-up page.
    QString verification(const QString &name) const;
    QString verificationGuest() const;
    QString verificationPlain() const;
    QString verificationHost2(const QString &name) const;
    QString accountPage(const QString &name) const;
    QString signUp() const;

private:
    QString withName(Host host, const char *path, const QString &name) const;

    ServiceHosts m_hosts;
};
