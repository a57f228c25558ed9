#include "companion.h"

#include "byteoutput.h"
#include "listfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Bytes handed to the disk at a time: large enough for few writes, small
// enough that the disk starts early.
constexpr qsizetype kPiece = 4 * 1024 * 1024;

// Writes the bytes and has the system put them on the disk now, while the
// next bytes are made, rather than all at the commit; the commit replaces
// the old file only with data that is on the disk.
bool writePiece(QSaveFile &file, const QByteArray &bytes)
{
    if (file.write(bytes) != bytes.size() || !file.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fdatasync(file.handle()) == 0;
#else
    return true;
#endif
}

// The two files of an import, written a piece at a time by a thread of their
// own. The old files stay until finish(); unfinished files leave them as
// they were.
class ImportedFiles
{
public:
    ImportedFiles(const QString &listFilePath, QStringView guideUrl)
        : m_list(kPiece + kPiece / 4)
        , m_companion(kPiece + kPiece / 4)
        , m_companionPath(companionFilePath(listFilePath))
        , m_listFile(listFilePath)
        , m_companionFile(m_companionPath)
    {
        appendM3u8Header(m_companion, guideUrl);
        m_listFailed = !m_listFile.open(QIODevice::WriteOnly);
        m_companionFailed = m_listFailed || !m_companionFile.open(QIODevice::WriteOnly);
        if (!m_listFailed)
            m_writer = std::thread([this] { writeOnDisk(); });
    }

    ~ImportedFiles()
    {
        stopWriting();
        m_listFile.cancelWriting();
        m_companionFile.cancelWriting();
    }

    ImportedFiles(const ImportedFiles &) = delete;
    ImportedFiles &operator=(const ImportedFiles &) = delete;

    void add(const PlaylistEntryView &entry)
    {
        appendListFileEntry(m_list, entry);
        appendM3u8Entry(m_companion, entry);
        handOver(false);
    }

    // Puts the files in place; true when the list file was stored.
    bool finish()
    {
        handOver(true);
        stopWriting();
        if (m_listFailed || !m_listFile.commit())
            return false;
        if (m_companionFailed || !m_companionFile.commit()) {
            m_companionFile.cancelWriting();
            QFile::remove(m_companionPath);
        }
        return true;
    }

private:
    struct Piece
    {
        bool companion = false;
        QByteArray bytes;
    };

    // Passes on what has gathered: everything with `all`, else what fills a piece.
    void handOver(bool all)
    {
        if (all || m_list.size() >= kPiece)
            push({false, std::exchange(m_list, ByteOutput(kPiece + kPiece / 4)).take()});
        if (all || m_companion.size() >= kPiece)
            push({true, std::exchange(m_companion, ByteOutput(kPiece + kPiece / 4)).take()});
    }

    void push(Piece piece)
    {
        if (piece.bytes.isEmpty() || !m_writer.joinable())
            return;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.push_back(std::move(piece));
        }
        m_wake.notify_one();
    }

    // The writer thread: takes pieces in order until there are no more.
    void writeOnDisk()
    {
        for (;;) {
            Piece piece;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_noMore || !m_queue.empty(); });
                if (m_queue.empty())
                    return;
                piece = std::move(m_queue.front());
                m_queue.pop_front();
            }
            if (!piece.companion && !m_listFailed)
                m_listFailed = !writePiece(m_listFile, piece.bytes);
            else if (piece.companion && !m_companionFailed)
                m_companionFailed = !writePiece(m_companionFile, piece.bytes);
        }
    }

    void stopWriting()
    {
        if (!m_writer.joinable())
            return;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_noMore = true;
        }
        m_wake.notify_one();
        m_writer.join();
    }

    ByteOutput m_list;
    ByteOutput m_companion;
    QString m_companionPath;
    QSaveFile m_listFile;
    QSaveFile m_companionFile;
    // Set by the writer thread, read after it ended.
    bool m_listFailed = false;
    bool m_companionFailed = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Piece> m_queue;
    bool m_noMore = false;
    std::thread m_writer;
};

} // namespace

QString companionFilePath(const QString &listFilePath)
{
    const QFileInfo info(listFilePath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    return info.dir().filePath(stem + QStringLiteral(".m3u8"));
}

bool writeImportedDirectory(const QString &listFilePath, const PlaylistEntryViews &entries)
{
    if (listFilePath.isEmpty())
        return false;
    ImportedFiles files(listFilePath, entries.guideUrl);
    for (qsizetype i = 0; i < entries.count; ++i)
        files.add(entries.at(i));
    return files.finish();
}
