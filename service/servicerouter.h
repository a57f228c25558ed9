#pragma once

#include "servicedata.h"
#include "servicerequest.h"
#include "streamchannels.h"

// Answers every address of the service from its data. Both hosts share one
// router: host 2 serves the same addresses as host 1.
class ServiceRouter
{
public:
    // media: the test streams; without them the stream addresses answer 503.
    explicit ServiceRouter(ServiceData &data, const StreamMedia *media = nullptr);

    ServiceAnswer answer(const ServiceRequest &request);

private:
    ServiceAnswer login(const ServiceRequest &request) const;
    ServiceAnswer verification(const ServiceRequest &request) const;
    ServiceAnswer list(const QList<ServiceChannel> &channels) const;
    ServiceAnswer accountPage(const ServiceRequest &request) const;
    ServiceAnswer signUp(const ServiceRequest &request);
    ServiceAnswer play(const QString &path) const;
    ServiceAnswer tone(const QString &path) const;
    ServiceAnswer notice(const QString &path) const;
    ServiceAnswer index() const;
    QString channelGrid(const QList<ServiceChannel> &channels) const;

    ServiceData &m_data;
    StreamChannels m_streams;
};

// Pieces of the answers, shared with the tests.
namespace servicepages {

// The HTML in code page 936; characters the code page lacks become character references.
QByteArray encodeHtml(const QString &html);
// "$$$*title1*url1*title2*url2*$$$": the announcement block of the verification page.
QString announcementBlock(const QList<QPair<QString, QString>> &items);

} // namespace servicepages
