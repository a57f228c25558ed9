#include "directoryimport.h"

#include "directory/channeldirectory.h"
#include "directory/playlistdialogs.h"
#include "platform/listbox.h"
#include "playlist/playlistsource.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>

#include <new>

namespace {

using Failure = PlaylistSource::Failure;

QString reason(Failure failure)
{
    switch (failure) {
    case Failure::Missing:
        return QStringLiteral("找不到这个文件");
    case Failure::TooLarge:
        return QStringLiteral("文件太大（超过 64 MB）");
    case Failure::Unreadable:
        return QStringLiteral("无法读取这个文件");
    case Failure::FetchFailed:
        return QStringLiteral("无法下载（网址打不开、没有回应、跳转过多或内容过大）");
    case Failure::NoEntries:
    case Failure::None:
        break;
    }
    return QStringLiteral("其中没有可用的频道");
}

// A file by its name, an address as it was given.
QString shownName(const QString &source)
{
    const QString scheme = QUrl(source).scheme().toLower();
    return scheme == u"http" || scheme == u"https" ? source : QFileInfo(source).fileName();
}

// What a drop brings that can be imported: files, http(s) addresses, or a
// text that is one address.
QStringList sourcesOf(const QMimeData *data)
{
    QStringList sources;
    if (data->hasUrls()) {
        for (const QUrl &url : data->urls()) {
            if (url.isLocalFile())
                sources << url.toLocalFile();
            else if (UrlImportDialog::acceptable(url.toString()))
                sources << url.toString();
        }
    } else if (data->hasText()) {
        const QString text = data->text().trimmed();
        if (UrlImportDialog::acceptable(text))
            sources << text;
    }
    return sources;
}

// A playlist too large for the memory left: what was there stays.
QString outOfMemory() { return QStringLiteral("内存不足，列表没有改变"); }

// The busy cursor over every window while an import runs.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

DirectoryImport::DirectoryImport(const Directory &tv, const Directory &radio, QWidget &window, QObject *parent)
    : QObject(parent)
    , m_tv(tv)
    , m_radio(radio)
    , m_window(window)
{
    for (ListBox *list : {&m_tv.list, &m_radio.list}) {
        list->setAcceptDrops(true);
        list->viewport()->installEventFilter(this);
    }
    m_tvViewport = m_tv.list.viewport();
    m_radioViewport = m_radio.list.viewport();
}

ListMenuProvider DirectoryImport::menuItems()
{
    return [this](QMenu &menu, const ListMenuTarget &target) {
        const ViewMode list = target.list;
        QAction *fromFile = menu.addAction(QStringLiteral("导入播放列表…"));
        fromFile->setObjectName(QStringLiteral("importFile"));
        fromFile->setEnabled(!m_running);
        connect(fromFile, &QAction::triggered, this, [this, list] { chooseFiles(list); });
        QAction *fromUrl = menu.addAction(QStringLiteral("从网址导入播放列表…"));
        fromUrl->setObjectName(QStringLiteral("importUrl"));
        fromUrl->setEnabled(!m_running);
        connect(fromUrl, &QAction::triggered, this, [this, list] { askForUrl(list); });
        QAction *out = menu.addAction(QStringLiteral("导出播放列表…"));
        out->setObjectName(QStringLiteral("exportFile"));
        out->setEnabled(!m_running && of(list).directory.entries().count() > 0);
        connect(out, &QAction::triggered, this, [this, list] { chooseExportFile(list); });
    };
}

// The import runs once the dialog has closed, not inside its handler.
void DirectoryImport::chooseFiles(ViewMode list)
{
    QFileDialog *dialog = makeImportFileDialog(&m_window, m_folder);
    connect(dialog, &QFileDialog::filesSelected, this, [this, list, dialog](const QStringList &files) {
        const ImportMode mode = appendChecked(dialog) ? ImportMode::Append : ImportMode::Replace;
        if (!files.isEmpty())
            m_folder = QFileInfo(files.first()).absolutePath();
        QTimer::singleShot(0, this, [this, list, files, mode] { importInto(list, files, mode); });
    });
    dialog->open();
}

void DirectoryImport::askForUrl(ViewMode list)
{
    auto *dialog = new UrlImportDialog(&m_window);
    connect(dialog, &QDialog::accepted, this, [this, list, dialog] {
        const QString url = dialog->url();
        const ImportMode mode = dialog->append() ? ImportMode::Append : ImportMode::Replace;
        QTimer::singleShot(0, this, [this, list, url, mode] { importInto(list, {url}, mode); });
    });
    dialog->open();
}

void DirectoryImport::chooseExportFile(ViewMode list)
{
    const QString name = list == ViewMode::Radio ? QStringLiteral("网络电台.m3u8") : QStringLiteral("网络电视.m3u8");
    QFileDialog *dialog = makeExportFileDialog(&m_window, m_folder, name);
    connect(dialog, &QFileDialog::fileSelected, this, [this, list](const QString &path) {
        m_folder = QFileInfo(path).absolutePath();
        exportTo(list, path);
    });
    dialog->open();
}

bool DirectoryImport::importInto(ViewMode list, const QStringList &sources, ImportMode mode)
{
    if (m_running || sources.isEmpty())
        return false;
    m_running = true;
    QStringList why;
    int imported = 0;
    try {
        const BusyCursor busy;
        for (const QString &source : sources) {
            const std::optional<PlaylistBytes> loaded = load(source, &why);
            if (loaded && store(list, *loaded, imported == 0 ? mode : ImportMode::Append, ImportedEntries::All, &why))
                ++imported;
        }
    } catch (const std::bad_alloc &) {
        why << outOfMemory();
    }
    m_running = false;
    if (!why.isEmpty())
        tell(why.join(u'\n'));
    return imported > 0;
}

bool DirectoryImport::importAtStart(const QString &source)
{
    if (m_running)
        return false;
    m_running = true;
    QStringList why;
    bool imported = false;
    try {
        const BusyCursor busy;
        if (const std::optional<PlaylistBytes> loaded = load(source, &why)) {
            // The TV directory takes what is not marked radio, the radio
            // directory what is; one that gets nothing stays as it was.
            const bool tv = store(ViewMode::Tv, *loaded, ImportMode::Replace, ImportedEntries::AllButRadio, nullptr);
            const bool radio = store(ViewMode::Radio, *loaded, ImportMode::Replace, ImportedEntries::RadioOnly, nullptr);
            imported = tv || radio;
            if (!imported)
                why << shownName(source) + QStringLiteral("：") + reason(Failure::NoEntries);
        }
    } catch (const std::bad_alloc &) {
        why << outOfMemory();
    }
    m_running = false;
    if (!why.isEmpty())
        tell(why.join(u'\n'));
    return imported;
}

std::optional<PlaylistBytes> DirectoryImport::load(const QString &source, QStringList *why)
{
    PlaylistBytes loaded = loadPlaylistBytes(source);
    if (loaded.failure == Failure::None)
        return loaded;
    *why << shownName(source) + QStringLiteral("：") + reason(loaded.failure);
    return std::nullopt;
}

// Stores what the playlist yields; `why` gets the reason when it yields
// nothing, or when what it yields cannot be kept.
bool DirectoryImport::store(ViewMode list, const PlaylistBytes &loaded, ImportMode mode, ImportedEntries which,
                            QStringList *why)
{
    const auto say = [&](const QString &text) {
        if (why)
            why->append(shownName(loaded.source.isLocalFile() ? loaded.source.toLocalFile() : loaded.source.toString())
                        + QStringLiteral("：") + text);
    };
    // Looked up after the fetch: a download may have replaced the directory
    // while it waited, and the import goes onto what is there now.
    const Directory &target = of(list);
    const ImportResult result = importPlaylist(target.directory, target.listFile, loaded.bytes, loaded.source, mode,
                                               list == ViewMode::Radio, which);
    if (result.added == 0) {
        say(result.read > 0 ? QStringLiteral("其中的频道都已在列表中") : reason(Failure::NoEntries));
        return false;
    }
    if (!result.stored && !target.listFile.isEmpty())
        say(QStringLiteral("频道已列出，但无法保存到 %1，下次启动时不会再有").arg(target.listFile));
    return true;
}

bool DirectoryImport::exportTo(ViewMode list, const QString &path)
{
    if (exportDirectory(of(list).directory.entries(), list == ViewMode::Radio, path))
        return true;
    tell(QStringLiteral("无法保存 %1").arg(path));
    return false;
}

void DirectoryImport::tell(const QString &message)
{
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("播放列表"), message, QMessageBox::Ok, &m_window);
    box->setObjectName(QStringLiteral("playlistMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    Q_EMIT failed(message);
}

bool DirectoryImport::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tvViewport)
        return dropped(ViewMode::Tv, event);
    if (watched == m_radioViewport)
        return dropped(ViewMode::Radio, event);
    return false;
}

// A drop replaces the directory; with Ctrl held it appends. The import
// runs after the drop has ended.
bool DirectoryImport::dropped(ViewMode list, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        if (!m_running && !sourcesOf(drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList sources = sourcesOf(drop->mimeData());
        if (m_running || sources.isEmpty()) {
            drop->ignore();
            return true;
        }
        const ImportMode mode = drop->modifiers().testFlag(Qt::ControlModifier) ? ImportMode::Append : ImportMode::Replace;
        drop->acceptProposedAction();
        QTimer::singleShot(0, this, [this, list, sources, mode] { importInto(list, sources, mode); });
        return true;
    }
    default:
        return false;
    }
}
