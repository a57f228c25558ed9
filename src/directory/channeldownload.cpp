#include "channeldownload.h"

#include "account/fetch.h"
#include "account/login.h"
#include "directory/channeldirectory.h"
#include "directory/channellist.h"
#include "platform/atomicfile.h"
#include "platform/codepage936.h"
#include "platform/multilinetextbox.h"
#include "webview/webview.h"

#include <QGuiApplication>
#include <QPushButton>

namespace {

const QString kCharset = QStringLiteral("gb2312");
constexpr int kMinimumAccepted = 3;

} // namespace

void storeDownloadedList(const QString &text, ChannelDirectory &directory, const QString &listFile)
{
    directory.setEntries(parseDownloadedList(text));
    writeFileAtomically(listFile, cp936::fromUnicode(text + QStringLiteral("\r\n")));
}

ChannelDownload::ChannelDownload(Context context, QObject *parent)
    : QObject(parent)
    , m(std::move(context))
{
}

QString ChannelDownload::marker(Kind kind)
{
    return kind == Kind::Tv ? QStringLiteral("卫视") : QStringLiteral("广播");
}

QString ChannelDownload::fetch(Endpoints::Host host, const QString &name) const
{
    const QString url = m.kind == Kind::Tv ? m.endpoints.tvList(host, name) : m.endpoints.radioList(host, name);
    return FetchUrlText(url, kCharset);
}

void ChannelDownload::requestVerificationPage(const QString &name) const
{
    if (m.kind != Kind::Tv || !m.noticeView || name.isEmpty())
        return;
    const QString status = m.loginStatus ? m.loginStatus() : QString();
    if (accountGrade(status) == AccountGrade::None)
        m.noticeView->Navigate(m.endpoints.verificationHost2(name));
}

void ChannelDownload::run()
{
    if (m_running)
        return; // the button is disabled meanwhile; a tick must not start a second run either
    begin();
    try {
        refresh();
    } catch (...) {
        // Out of memory on a huge reply: the run ends, the program goes on.
    }
    end();
}

void ChannelDownload::refresh()
{
    ChannelDirectory &directory = *m.directory;
    const QList<int> previousRows = directory.rows();
    const ChannelDirectory::RowText previousText = directory.shown();
    directory.setRows({}, previousText);
    const quint64 cleared = directory.rowChanges();
    m.holder->setText(QString());

    const QString name = m.accountName ? m.accountName() : QString();
    const QString mark = marker(m.kind);
    QString accepted;
    QString reply = fetch(Endpoints::Host2, name);
    if (reply.contains(mark)) {
        accepted = reply;
        m.holder->setText(accepted);
        requestVerificationPage(name);
    }
    if (accepted.size() < kMinimumAccepted) {
        reply = fetch(Endpoints::Host1, name);
        if (reply.contains(mark)) {
            accepted = reply;
            m.holder->setText(accepted);
        }
    }

    if (!accepted.isEmpty()) {
        storeDownloadedList(accepted, directory, m.listFile);
        return;
    }
    // Nothing accepted: the rows come back as they were, unless a quick-select
    // rebuild during the fetch has shown rows of its own.
    if (directory.rowChanges() == cleared)
        directory.setRows(previousRows, previousText);
}

// The busy cursor is the application's override cursor, so that it shows over
// the web views too; two overlapping runs stack it and restore it in turn.
void ChannelDownload::begin()
{
    m_running = true;
    if (m.button)
        m.button->setEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
}

void ChannelDownload::end()
{
    m_running = false;
    if (m.button)
        m.button->setEnabled(true);
    QGuiApplication::restoreOverrideCursor();
}
