#include "guideview.h"

#include "account/fetch.h"
#include "directory/channeldirectory.h"
#include "directory/startupschedule.h"
#include "guideentries.h"
#include "guidesource.h"
#include "guidetext.h"
#include "guidewidgets.h"
#include "platform/listbox.h"
#include "programguide.h"
#include "webview/webview.h"

#include <QHelpEvent>
#include <QMenu>
#include <QMessageBox>
#include <QToolTip>

namespace {

// The entry of the directory that plays `url`: the selected row's when it
// plays it (two entries may share an address), else the first; -1 for none.
int entryPlaying(const GuideView::List &list, const QString &url)
{
    const int row = list.list.ListIndex();
    if (row >= 0 && list.directory.urlAt(row) == url)
        return list.directory.rows().at(row);
    const ChannelEntries &entries = list.directory.entries();
    for (int i = 0; i < entries.count(); ++i) {
        if (entries.url(i) == url)
            return i;
    }
    return -1;
}

} // namespace

GuideView::GuideView(const List &tv, const List &radio, WebView &player, ListMenu &menu, StartupSchedule &schedule,
                     const QString &dataFolder, const QString &serviceHost, QObject *parent)
    : QObject(parent)
    , m_tv(tv)
    , m_radio(radio)
    , m_player(player)
    , m_tvViewport(tv.list.viewport())
    , m_radioViewport(radio.list.viewport())
    , m_dataFolder(dataFolder)
    , m_serviceHost(serviceHost)
    , m_chosen(loadGuideSourceChoice(dataFolder))
    , m_guide(new ProgramGuide(dataFolder, GuideFetchSettings(fetchSettings().idleTimeoutMs), this))
    , m_line(new GuideLine(&player))
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    setObjectName(QStringLiteral("guideView"));
    menu.addProvider([this](QMenu &items, const ListMenuTarget &target) { addMenuItems(items, target); });
    for (const List *list : {&m_tv, &m_radio}) {
        list->list.viewport()->installEventFilter(this);
        connect(&list->directory, &ChannelDirectory::entriesReplaced, this, &GuideView::entriesReplaced);
    }
    player.installEventFilter(this);
    connect(&schedule, &StartupSchedule::finished, this, &GuideView::startupFinished);
    connect(m_guide, &ProgramGuide::updateFailed, this, &GuideView::updateFailed);
    connect(m_guide, &ProgramGuide::updatingChanged, this, [this](bool updating) { m_told = m_told && updating; });
    m_entriesDue.setSingleShot(true);
    connect(&m_entriesDue, &QTimer::timeout, this, &GuideView::takeEntries);
    // The cache only: without a source yet, nothing is fetched.
    m_guide->start();
}

GuideView::~GuideView() = default;

QString GuideView::source() const { return m_guide->source(); }

GuideLine *GuideView::line() const { return m_line.data(); }

void GuideView::chooseSource(const QString &source)
{
    m_chosen = source.trimmed();
    saveGuideSourceChoice(m_dataFolder, m_chosen);
    updateNow();
}

void GuideView::updateNow()
{
    m_told = true;
    m_guide->setSource(currentSource());
    m_guide->update();
}

QString GuideView::currentSource() const
{
    return chooseGuideSource(m_chosen, {m_tv.directory.entries().guideUrl(), m_radio.directory.entries().guideUrl()},
                             m_serviceHost);
}

// Both lists load one after the other at start: their keys are taken once.
void GuideView::entriesReplaced() { m_entriesDue.start(0); }

// The keys of 200,000 entries take a tenth of a second: the guide makes them
// on a worker from a copy of the entries (it shares their texts and copies
// only their offsets). Tooltips and the line make an entry's key when shown.
void GuideView::takeEntries()
{
    const QList<ChannelEntries> entries{m_tv.directory.entries(), m_radio.directory.entries()};
    m_guide->setEntries([entries] { return guideEntryKeys(entries); });
    if (m_startupOver) {
        m_guide->setSource(currentSource());
        m_guide->refresh();
    }
}

void GuideView::startupFinished()
{
    m_startupOver = true;
    m_entriesDue.stop();
    takeEntries();
}

// Only an update the user asked for is told; one at start or after an
// import fails quietly and keeps the guide there was.
void GuideView::updateFailed(const QString &reason)
{
    if (!m_told)
        return;
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("节目指南"),
                                QStringLiteral("节目指南未能更新：") + reason, QMessageBox::Ok, m_player.window());
    box->setObjectName(QStringLiteral("guideMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void GuideView::channelStarted(const QString &url)
{
    if (url.isEmpty())
        return; // nothing was started
    for (const List *list : {&m_tv, &m_radio}) {
        const int entry = entryPlaying(*list, url);
        if (entry >= 0) {
            m_playing = {guideEntryKey(list->directory.entries(), entry), url};
            showLineFor(m_playing.key);
            return;
        }
    }
    m_playing = {};
    showLineFor({});
}

// An entry without a guide (or none at all) hides the line.
void GuideView::showLineFor(const GuideEntryKey &key)
{
    if (m_line)
        m_line->showLine(key.name.isEmpty() ? QString() : guideOverlayLine(m_guide->nowAndNext(key, m_clock())));
}

bool GuideView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return false;
    if (watched == m_tvViewport)
        return showToolTip(m_tv, event);
    if (watched == m_radioViewport)
        return showToolTip(m_radio, event);
    // The mouse rests on the player (the event comes up from the picture).
    if (watched == &m_player && !m_playing.url.isEmpty() && m_player.LocationURL() == m_playing.url) {
        showLineFor(m_playing.key);
        return m_line && m_line->isVisible();
    }
    return false;
}

// The playlist's tip of the row, then the guide's lines; the list shows the
// playlist's tip alone when the guide has nothing for the row.
bool GuideView::showToolTip(const List &list, QEvent *event)
{
    const auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = list.list.indexAt(help->pos());
    const QList<int> &rows = list.directory.rows();
    if (!index.isValid() || index.row() >= rows.size())
        return false;
    const GuideEntryKey key = guideEntryKey(list.directory.entries(), rows.at(index.row()));
    const QString lines = guideToolTip(m_guide->nowAndNext(key, m_clock()));
    if (lines.isEmpty())
        return false;
    const QString own = index.data(Qt::ToolTipRole).toString();
    QToolTip::showText(help->globalPos(), own.isEmpty() ? lines : own + QLatin1Char('\n') + lines,
                       list.list.viewport(), list.list.visualRect(index));
    return true;
}

void GuideView::addMenuItems(QMenu &menu, const ListMenuTarget &target)
{
    if (target.entry >= 0 && target.directory) {
        const GuideEntryKey key = guideEntryKey(target.directory->entries(), target.entry);
        if (!m_guide->todayAndTomorrow(key, m_clock()).items.isEmpty()) {
            QAction *list = menu.addAction(QStringLiteral("节目单"));
            list->setObjectName(QStringLiteral("guideScheduleItem"));
            connect(list, &QAction::triggered, this, [this, target] {
                if (target.entryStillThere())
                    showSchedule(target);
            });
        }
    }
    QAction *source = menu.addAction(QStringLiteral("节目指南来源…"));
    source->setObjectName(QStringLiteral("guideSourceItem"));
    connect(source, &QAction::triggered, this, &GuideView::askForSource);
    const bool updating = m_guide->isUpdating();
    QAction *update = menu.addAction(updating ? QStringLiteral("正在更新节目指南…") : QStringLiteral("更新节目指南"));
    update->setObjectName(QStringLiteral("guideUpdateItem"));
    update->setEnabled(!updating && !currentSource().isEmpty());
    connect(update, &QAction::triggered, this, &GuideView::updateNow);
}

void GuideView::showSchedule(const ListMenuTarget &target)
{
    const QDateTime now = m_clock();
    const ChannelEntries &entries = target.directory->entries();
    const GuideSchedule schedule = m_guide->todayAndTomorrow(guideEntryKey(entries, target.entry), now);
    if (m_scheduleDialog)
        m_scheduleDialog->close();
    m_scheduleDialog = new GuideScheduleDialog(entries.name(target.entry).trimmed().toString(), schedule,
                                               now.toLocalTime().date(), m_player.window());
    m_scheduleDialog->show();
    m_scheduleDialog->raise();
    m_scheduleDialog->activateWindow();
}

void GuideView::askForSource()
{
    auto *dialog = new GuideSourceDialog(m_chosen, m_player.window());
    connect(dialog, &QDialog::accepted, this, [this, dialog] { chooseSource(dialog->source()); });
    dialog->open();
}
