#include "companion.h"

#include "byteoutput.h"
#include "listfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
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

// The list file of an import, written a piece at a time by a thread of its
// own while the next piece is made. The old file stays until finish();
// an unfinished file leaves it as it was.
class ListFileWriter
{
public:
    explicit ListFileWriter(const QString &listFilePath)
        : m_list(kPiece + kPiece / 4)
        , m_file(listFilePath)
    {
        m_failed = !m_file.open(QIODevice::WriteOnly);
        if (!m_failed)
            m_writer = std::thread([this] { writeOnDisk(); });
    }

    ~ListFileWriter()
    {
        stopWriting();
        m_file.cancelWriting();
    }

    ListFileWriter(const ListFileWriter &) = delete;
    ListFileWriter &operator=(const ListFileWriter &) = delete;

    void add(const PlaylistEntryView &entry)
    {
        appendListFileEntry(m_list, entry);
        if (m_list.size() >= kPiece)
            handOver();
    }

    // Puts the file in place; true when it was stored.
    bool finish()
    {
        handOver();
        stopWriting();
        return !m_failed && m_file.commit();
    }

private:
    void handOver()
    {
        QByteArray piece = std::exchange(m_list, ByteOutput(kPiece + kPiece / 4)).take();
        if (piece.isEmpty() || !m_writer.joinable())
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
            QByteArray piece;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_noMore || !m_queue.empty(); });
                if (m_queue.empty())
                    return;
                piece = std::move(m_queue.front());
                m_queue.pop_front();
            }
            if (!m_failed)
                m_failed = !writePiece(m_file, piece);
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
    QSaveFile m_file;
    bool m_failed = false; // set by the writer thread, read after it ended
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<QByteArray> m_queue;
    bool m_noMore = false;
    std::thread m_writer;
};

// Writes companions one after another on a thread of its own, after their
// imports are done. Each write or removal asked for a companion takes a
// ticket; only the newest ticket of a file may change it, so a write that a
// newer write or a removal overtook is dropped, and never puts its file in
// place after them. Removals and the final rename happen under the lock.
class CompanionWriter
{
public:
    static CompanionWriter &instance()
    {
        static CompanionWriter writer;
        return writer;
    }

    // Ending the program waits for the writes asked for.
    ~CompanionWriter()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }

    void write(const QString &path, const PlaylistEntryViews &entries)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_thread.joinable())
                m_thread = std::thread([this] { run(); });
            const quint64 ticket = ++m_lastTicket;
            m_newest[path] = ticket;
            m_jobs.push_back({path, entries, ticket});
        }
        m_wake.notify_one();
    }

    void remove(const QString &path)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_newest[path] = ++m_lastTicket;
        QFile::remove(path);
    }

    void waitUntilIdle()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }

private:
    struct Job
    {
        QString path;
        PlaylistEntryViews entries;
        quint64 ticket = 0;
    };

    CompanionWriter() = default;

    // With the lock held.
    bool newest(const Job &job) const { return m_newest.value(job.path) == job.ticket; }

    bool stillNewest(const Job &job)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return newest(job);
    }

    void run()
    {
        for (;;) {
            {
                std::optional<Job> job;
                {
                    std::unique_lock<std::mutex> lock(m_mutex);
                    m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
                    if (m_jobs.empty())
                        return;
                    job = std::move(m_jobs.front());
                    m_jobs.pop_front();
                    m_busy = true;
                }
                writeCompanion(*job);
            }
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_busy = false;
            }
            m_idle.notify_all();
        }
    }

    void writeCompanion(const Job &job)
    {
        {
            // The old companion describes the list file replaced before.
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (!newest(job))
                return;
            QFile::remove(job.path);
        }
        QSaveFile file(job.path);
        bool written = file.open(QIODevice::WriteOnly);
        ByteOutput out(kPiece + kPiece / 4);
        appendM3u8Header(out, job.entries.guideUrl);
        for (qsizetype i = 0; i < job.entries.count; ++i) {
            appendM3u8Entry(out, job.entries.at(i));
            if (out.size() >= kPiece) {
                const QByteArray piece = std::exchange(out, ByteOutput(kPiece + kPiece / 4)).take();
                written = written && file.write(piece) == piece.size();
                if (!written || !stillNewest(job))
                    return; // the unfinished file goes; a newer ticket decides what stands
            }
        }
        // Synced before the lock: the rename under it is then quick.
        written = written && writePiece(file, out.take());
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (newest(job) && written)
            file.commit();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    QHash<QString, quint64> m_newest;
    quint64 m_lastTicket = 0;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;
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
    ListFileWriter list(listFilePath);
    for (qsizetype i = 0; i < entries.count; ++i)
        list.add(entries.at(i));
    if (!list.finish())
        return false;
    CompanionWriter::instance().write(companionFilePath(listFilePath), entries);
    return true;
}

void removeCompanionFile(const QString &listFilePath)
{
    CompanionWriter::instance().remove(companionFilePath(listFilePath));
}

void waitForCompanionFiles()
{
    CompanionWriter::instance().waitUntilIdle();
}
