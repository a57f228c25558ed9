#pragma once

#include "directory/listmenu.h"
#include "guide.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class ChannelDirectory;
class GuideLine;
class GuideScheduleDialog;
class ListBox;
class ProgramGuide;
class StartupSchedule;
class WebView;

// The program guide in the window. It owns the ProgramGuide and shows it:
// - a row's tooltip gains what runs now and next (after the playlist's own
//   lines, such as its group and logo);
// - when a channel starts, and when the mouse rests on the player, the line
//   "正在播出 title (start–end), 下一个 title" over the player for 5 seconds;
// - the lists' context menu gets 节目单 (today's and tomorrow's programmes
//   of the entry), 节目指南来源… (a guide address or file, kept between
//   runs) and 更新节目指南 (read the guide again now).
// Entries the guide does not cover show none of it.
//
// The guide is read from the chosen source, else the url-tvg of the TV (then
// the radio) playlist, else the service's own guide. The cached guide is
// read when the window is made; the source is asked once the start-up
// schedule has finished, and only when the cache is due (see
// guideUpdateDue()), so the start-up keeps its order and pace. Later, a new
// set of entries (an import, a download) reads the guide again when it is
// due for them.
class GuideView : public QObject
{
    Q_OBJECT
public:
    struct List
    {
        ChannelDirectory &directory;
        ListBox &list;
    };

    // window: where the dialogs show. serviceHost: the service's main host.
    GuideView(const List &tv, const List &radio, WebView &player, ListMenu &menu, StartupSchedule &schedule,
              const QString &dataFolder, const QString &serviceHost, QObject *parent = nullptr);
    ~GuideView() override;

    // The player was told to play this address (empty: nothing): shows the
    // line of its entry.
    void channelStarted(const QString &url);

    // The source read now, and the one chosen with 节目指南来源… (empty: none).
    QString source() const;
    QString chosenSource() const { return m_chosen; }
    // Keeps the choice and reads the guide from the source it gives.
    void chooseSource(const QString &source);

    ProgramGuide &programGuide() { return *m_guide; }
    GuideLine *line() const;
    // The local time the guide is shown for; now unless a test sets another.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Playing
    {
        GuideEntryKey key;
        QString url;
    };

    void addMenuItems(QMenu &menu, const ListMenuTarget &target);
    void entriesReplaced();
    void takeEntries();
    void startupFinished();
    // Reads the guide again now, from the source of the moment.
    void updateNow();
    void updateFailed(const QString &reason);
    QString currentSource() const;
    bool showToolTip(const List &list, QEvent *event);
    void showLineFor(const GuideEntryKey &key);
    void showSchedule(const ListMenuTarget &target);
    void askForSource();

    List m_tv;
    List m_radio;
    WebView &m_player;
    // Kept to tell their events apart while the lists are being destroyed.
    QPointer<QWidget> m_tvViewport;
    QPointer<QWidget> m_radioViewport;
    QString m_dataFolder;
    QString m_serviceHost;
    QString m_chosen;
    ProgramGuide *m_guide;
    QPointer<GuideLine> m_line; // a child of the player
    QPointer<GuideScheduleDialog> m_scheduleDialog;
    std::function<QDateTime()> m_clock;
    Playing m_playing;
    QTimer m_entriesDue; // the entries changed; their keys are yet to be taken
    bool m_startupOver = false;
    bool m_told = false; // the update running was asked for by the user
};
