#include "channeldownload.h"

#include "account/fetch.h"
#include "directory/channeldirectory.h"
#include "directory/channellist.h"
#include "platform/atomicfile.h"
#include "playlist/companion.h"
#include "playlist/listfile.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

const QString kCharset = QStringLiteral("gb2312");
constexpr int kMinimumAccepted = 3;

} // namespace

void storeDownloadedList(const QString &text, ChannelDirectory &directory, const QString &listFile)
{
    directory.setEntries(parseDownloadedList(text));
    // The companion of an imported list describes entries that are gone.
    if (writeFileAtomically(listFile, encodeListFileText(text + QStringLiteral("\r\n"))))
        removeCompanionFile(listFile);
}

ChannelDownload::ChannelDownload(Kind kind, ChannelDirectory &directory, const QString &listFile,
                                 const Endpoints &endpoints, const SavedCredentials &saved, QObject *parent)
    : QObject(parent)
    , m_kind(kind)
    , m_directory(directory)
    , m_listFile(listFile)
    , m_endpoints(endpoints)
    , m_saved(saved)
{
}

QString ChannelDownload::marker(Kind kind)
{
    return kind == Kind::Tv ? QStringLiteral("卫视") : QStringLiteral("广播");
}

QString ChannelDownload::fetch(Endpoints::Host host, const QString &name) const
{
    const QString url = m_kind == Kind::Tv ? m_endpoints.tvList(host, name) : m_endpoints.radioList(host, name);
    return FetchUrlText(url, kCharset);
}

// The busy cursor is the application's override cursor, so that it shows over
// the web views too; two overlapping runs stack it and restore it in turn.
void ChannelDownload::run()
{
    if (m_running)
        return; // the button is disabled meanwhile; a tick must not start a second run either
    m_running = true;
    Q_EMIT runningChanged(true);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    try {
        refresh();
    } catch (...) {
        // Out of memory on a huge reply: the run ends, the program goes on.
    }
    m_running = false;
    Q_EMIT runningChanged(false);
    QGuiApplication::restoreOverrideCursor();
}

void ChannelDownload::refresh()
{
    const QList<int> previousRows = m_directory.rowsSet();
    const ChannelDirectory::RowText previousText = m_directory.shown();
    m_directory.setRows({}, previousText);
    const quint64 cleared = m_directory.rowChanges();
    Q_EMIT holderChanged(QString());

    const QString name = m_saved.user;
    const QString mark = marker(m_kind);
    QString accepted;
    QString reply = fetch(Endpoints::Host2, name);
    if (reply.contains(mark)) {
        accepted = reply;
        Q_EMIT holderChanged(accepted);
        if (m_kind == Kind::Tv)
            Q_EMIT verificationDue(name);
    }
    if (accepted.size() < kMinimumAccepted) {
        reply = fetch(Endpoints::Host1, name);
        if (reply.contains(mark)) {
            accepted = reply;
            Q_EMIT holderChanged(accepted);
        }
    }

    if (!accepted.isEmpty()) {
        storeDownloadedList(accepted, m_directory, m_listFile);
        return;
    }
    // Nothing accepted: the rows come back as they were, unless a quick-select
    // rebuild during the fetch has shown rows of its own.
    if (m_directory.rowChanges() == cleared)
        m_directory.setRows(previousRows, previousText);
}
