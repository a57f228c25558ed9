#include "channeldownload.h"

#include "account/fetch.h"
#include "account/login.h"
#include "directory/channellist.h"
#include "platform/atomicfile.h"
#include "platform/codepage936.h"
#include "platform/listbox.h"
#include "webview/webview.h"

#include "platform/multilinetextbox.h"
#include <QPushButton>

namespace {

const QString kCharset = QStringLiteral("gb2312");
constexpr int kMinimumAccepted = 3;

} // namespace

void storeDownloadedList(const QString &text, ListBox &list, ChannelTables &tables, const QString &listFile)
{
    showDirectory(parseDownloadedList(text), list, tables);
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
    const QStringList previousRows = m.list->items();
    m.list->Clear();
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

    if (accepted.isEmpty()) {
        // Nothing accepted: the directory stays as it was. A quick-select
        // rebuild that ran during the fetch has already put rows in step
        // with the working tables; those stay.
        if (m.list->ListCount() == 0)
            m.list->setItems(previousRows);
    } else {
        storeDownloadedList(accepted, *m.list, *m.tables, m.listFile);
    }
    end();
}

// The window counts the runs under way, so that the busy cursor stays until
// the last of two overlapping runs has ended.
static const char *const kRunningCount = "channelDownloadsRunning";

void ChannelDownload::begin()
{
    m_running = true;
    if (m.button)
        m.button->setEnabled(false);
    if (m.window) {
        m.window->setProperty(kRunningCount, m.window->property(kRunningCount).toInt() + 1);
        m.window->setCursor(Qt::BusyCursor);
    }
}

void ChannelDownload::end()
{
    m_running = false;
    if (m.button)
        m.button->setEnabled(true);
    if (m.window) {
        const int running = m.window->property(kRunningCount).toInt() - 1;
        m.window->setProperty(kRunningCount, running);
        if (running <= 0)
            m.window->unsetCursor();
    }
}
