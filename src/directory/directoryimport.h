#pragma once

#include "directory/directoryplaylist.h"
#include "directory/listmenu.h"
#include "directory/viewmode.h"
#include "playlist/playlistsource.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

class ChannelDirectory;
class ListBox;
class QWidget;

// The playlist commands of the two directory lists: 导入播放列表…,
// 从网址导入播放列表… and 导出播放列表… in their context menu, a playlist
// file or address dropped onto a list, and the playlist given on the command
// line. Imports replace the directory unless asked to append (the dialogs'
// check box 追加到当前列表, Ctrl held while dropping). One runs at a time,
// under the busy cursor; a failure is told in a message box.
class DirectoryImport : public QObject
{
    Q_OBJECT
public:
    struct Directory
    {
        ChannelDirectory &directory;
        ListBox &list;
        QString listFile; // empty when nothing is kept
    };

    // window: where the dialogs and messages show.
    DirectoryImport(const Directory &tv, const Directory &radio, QWidget &window, QObject *parent = nullptr);

    // The items it adds to the lists' context menu.
    ListMenuProvider menuItems();

    // Imports files or addresses into one directory, in turn: the first that
    // yields entries as asked, the others appended. False when nothing was
    // imported (a message says why).
    bool importInto(ViewMode list, const QStringList &sources, ImportMode mode);
    // The playlist of the command line: its radio="true" entries replace the
    // radio directory, the others the TV directory.
    bool importAtStart(const QString &source);
    // Writes the whole directory as an M3U8 file.
    bool exportTo(ViewMode list, const QString &path);

    bool running() const { return m_running; }

Q_SIGNALS:
    // An import or export could not be done as asked; the text says why.
    void failed(const QString &message);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const Directory &of(ViewMode list) const { return list == ViewMode::Radio ? m_radio : m_tv; }
    void chooseFiles(ViewMode list);
    void askForUrl(ViewMode list);
    void chooseExportFile(ViewMode list);
    bool dropped(ViewMode list, QEvent *event);
    std::optional<PlaylistBytes> load(const QString &source, QStringList *why);
    bool store(ViewMode list, const PlaylistBytes &loaded, ImportMode mode, ImportedEntries which, QStringList *why);
    void tell(const QString &message);

    Directory m_tv;
    Directory m_radio;
    QWidget &m_window;
    // The lists' viewports, kept when the filter was installed: a list being
    // destroyed can no longer be asked for its viewport.
    QPointer<QWidget> m_tvViewport, m_radioViewport;
    QString m_folder; // where the file dialogs open
    bool m_running = false;
};
