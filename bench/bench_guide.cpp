// The program guide on a large XMLTV file: 3,000 channels for 7 days (about
// 500,000 programmes, 250 MB), of which 300 are ours. Writes the generated
// guide into the build folder, then measures
//   - reading it (wall and CPU time) and the peak memory above the resident
//     size before the read,
//   - loading the cache written afterwards,
//   - the keys of 200,000 directory entries: copying the entries, making
//     the keys and their digest,
//   - the longest stall of the event loop while ProgramGuide reads it: alone,
//     and while the keys of the 200,000 entries are made again every 300 ms,
//     once on the event loop's thread (as the window did before) and once on
//     the guide's worker (as it does now).
// Usage: bench_guide [--channels N] [folder]
//   N channels (default 3,000, 300 of them ours); the files go into the
//   folder (default: the executable's), and the guide is removed afterwards.
#include "directory/channelentries.h"
#include "guide/guidecache.h"
#include "guide/guideentries.h"
#include "guide/guidefile.h"
#include "guide/programguide.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <vector>

namespace {

constexpr int kOurs = 300;
int channelCount = 3000;
int oursEvery() { return qMax(1, channelCount / kOurs); }

const char16_t kShows[][8] = {u"新闻联播", u"天气预报", u"焦点访谈", u"电视剧场", u"综艺大观", u"体育赛事",
                              u"纪录片",  u"动画城",   u"经济半小时", u"晚间新闻", u"法治在线", u"人与自然"};
const char16_t kWords[] = u"本期节目带您走进祖国的大好河山看各地风土人情听百姓讲述身边故事记录时代变迁展现美好生活";

QString channelName(int c) { return QStringLiteral("测试卫视%1").arg(c); }

// How an entry of ours finds its channel: by tvg-id, by name, or only after normalising.
QList<GuideEntryKey> ourEntries()
{
    QList<GuideEntryKey> keys;
    for (int c = 0; c < channelCount && keys.size() < kOurs; c += oursEvery()) {
        GuideEntryKey key;
        switch ((c / oursEvery()) % 3) {
        case 0:
            key.tvgId = QStringLiteral("ch%1").arg(c, 5, 10, QLatin1Char('0'));
            key.name = QStringLiteral("某频道%1").arg(c);
            break;
        case 1:
            key.name = channelName(c);
            break;
        default:
            key.name = channelName(c) + QStringLiteral(" 高清");
            break;
        }
        keys.append(key);
    }
    return keys;
}

QByteArray xmltvTime(qint64 t)
{
    return QDateTime::fromSecsSinceEpoch(t, Qt::OffsetFromUTC, 8 * 3600)
               .toString(QStringLiteral("yyyyMMddHHmmss"))
               .toLatin1()
        + " +0800";
}

qint64 generate(const QString &path, qint64 now)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray out;
    auto flush = [&] {
        file.write(out);
        out.clear();
    };
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
           "<tv generator-info-name=\"bench_guide\">\n";
    for (int c = 0; c < channelCount; ++c) {
        out += "  <channel id=\"ch" + QByteArray::number(c).rightJustified(5, '0') + "\">\n";
        out += "    <display-name lang=\"zh\">" + channelName(c).toUtf8() + "</display-name>\n";
        out += "    <icon src=\"http://logo.example/" + QByteArray::number(c) + ".png\"/>\n  </channel>\n";
    }
    const qint64 first = now - 12 * 3600 - now % 3600;
    const QString words = QString::fromUtf16(kWords);
    quint32 seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int c = 0; c < channelCount; ++c) {
        const QByteArray channel = "ch" + QByteArray::number(c).rightJustified(5, '0');
        qint64 t = first;
        // 167 programmes of 15 to 105 minutes: about 7 days.
        for (int p = 0; p < 167; ++p) {
            const qint64 length = 15 * 60 * (1 + qint64(next() % 7));
            const QString show = QString::fromUtf16(kShows[next() % 12]);
            const int from = int(next() % 20);
            out += "  <programme start=\"" + xmltvTime(t) + "\" stop=\"" + xmltvTime(t + length) + "\" channel=\""
                + channel + "\">\n";
            out += "    <title lang=\"zh\">" + show.toUtf8() + " 第" + QByteArray::number(p + 1) + "集</title>\n";
            out += "    <sub-title lang=\"zh\">" + words.mid(from, 8).toUtf8() + "</sub-title>\n";
            out += "    <desc lang=\"zh\">" + (words.mid(from) + words.left(from)).toUtf8() + " " + channel + "-"
                + QByteArray::number(p) + "</desc>\n";
            out += "    <category lang=\"zh\">综合</category>\n    <date>2024</date>\n";
            out += "    <episode-num system=\"onscreen\">" + QByteArray::number(p + 1) + "</episode-num>\n";
            out += "  </programme>\n";
            t += length;
            if (out.size() > (1 << 20))
                flush();
        }
    }
    out += "</tv>\n";
    flush();
    return file.size();
}

// Resident and peak resident size in kB, from /proc.
qint64 statusField(const char *name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(qsizetype(qstrlen(name))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// 150,000 TV and 50,000 radio entries, each with a tvg-id, every tenth with a tvg-shift.
QList<ChannelEntries> manyEntries()
{
    QList<ChannelEntries> directories(2);
    for (int i = 0; i < 200000; ++i) {
        const QString name = QStringLiteral("频道名称 %1 高清").arg(i);
        const QString url = QStringLiteral("http://live.example/%1.m3u8").arg(i);
        const QString id = QStringLiteral("id%1").arg(i);
        EntryExtras extras;
        extras.tvgId = id;
        extras.tvgShift = i % 10 == 0 ? u"+8" : u"";
        directories[i < 150000 ? 0 : 1].append(name, url, extras);
    }
    for (ChannelEntries &entries : directories)
        entries.squeeze();
    return directories;
}

enum class KeysOn { Nowhere, EventLoop, Worker };

// The CPU time of the calling thread so far.
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// A stall of the event loop: its wall time, and how much of it the thread
// spent running (the rest it waited for a core, on a loaded machine).
struct Gap
{
    qint64 wallMs = 0;
    double cpuMs = 0;
    double mostCpuMs = 0; // the most the thread ran between two ticks, in any gap
};

// The longest gap between 5 ms ticks while `guide` reads `xml` afresh; once
// the read has begun, the keys of `entries` are made again every 300 ms
// (unless `keysOn` is Nowhere).
// A wall time of -1 when the read fails.
Gap longestGap(QCoreApplication &app, const QString &cacheFolder, const QString &xml,
               const QList<GuideEntryKey> &ours, const QList<ChannelEntries> &entries, KeysOn keysOn, double &seconds)
{
    Gap longest;
    QFile::remove(guideCachePath(cacheFolder));
    ProgramGuide guide(cacheFolder, GuideFetchSettings(15000));
    guide.setEntries(ours);
    guide.setSource(xml);
    QElapsedTimer gap;
    double gapCpu = threadCpuMs();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double cpu = threadCpuMs();
        const qint64 wall = gap.restart();
        if (wall > longest.wallMs) {
            longest.wallMs = wall;
            longest.cpuMs = cpu - gapCpu;
        }
        longest.mostCpuMs = std::max(longest.mostCpuMs, cpu - gapCpu);
        gapCpu = cpu;
    });
    QList<GuideEntryKey> held; // what the window kept before: the keys, freed on its thread when replaced
    QTimer rebuild;
    QObject::connect(&rebuild, &QTimer::timeout, [&] {
        if (keysOn == KeysOn::Worker) {
            const QList<ChannelEntries> copy{entries.at(0), entries.at(1)}; // as the window copies them
            guide.setEntries([copy] { return guideEntryKeys(copy); });
        } else {
            held = guideEntryKeys(entries);
            if (guideKeysDigest(held).isEmpty())
                std::fprintf(stderr, "no digest\n");
        }
    });
    // Other keys before the read has taken its own would make it read nothing of ours.
    QObject::connect(&guide, &ProgramGuide::updatingChanged, [&rebuild, keysOn](bool updating) {
        if (updating && keysOn != KeysOn::Nowhere)
            rebuild.start(300);
    });
    QObject::connect(&guide, &ProgramGuide::guideChanged, &app, &QCoreApplication::quit);
    QObject::connect(&guide, &ProgramGuide::updateFailed, &app, [&app](const QString &reason) {
        std::fprintf(stderr, "the update failed: %s\n", qPrintable(reason));
        app.exit(1);
    });
    QElapsedTimer timer;
    tick.start(5);
    gap.start();
    timer.start();
    guide.start();
    const int status = app.exec();
    seconds = timer.elapsed() / 1000.0;
    return status == 0 ? longest : Gap{-1, 0, 0};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() >= 2 && args.first() == u"--channels") {
        channelCount = qMax(1, args.at(1).toInt());
        args = args.mid(2);
    }
    const QString folder = args.isEmpty() ? QCoreApplication::applicationDirPath() : args.first();
    const QString xml = QDir(folder).filePath(QStringLiteral("bench-guide.xml"));
    const QString cacheFolder = QDir(folder).filePath(QStringLiteral("bench-guide-data"));
    QDir().mkpath(cacheFolder);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QList<GuideEntryKey> keys = ourEntries();

    QElapsedTimer timer;
    timer.start();
    const qint64 size = generate(xml, now);
    if (size < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(xml));
        return 1;
    }
    std::printf("generated %s: %.1f MB in %.1f s\n", qPrintable(xml), double(size) / 1e6, timer.elapsed() / 1000.0);

    // Reading, three times; the figures of the median run by wall time.
    std::vector<double> walls, cpus, peaks;
    int kept = 0;
    int channels = 0;
    for (int run = 0; run < 3; ++run) {
        GuideReadResult result;
        malloc_trim(0); // what the last run freed goes back, so that each run is measured alike
        resetPeak();
        const qint64 before = statusField("VmRSS:");
        const double cpu = cpuSeconds();
        timer.restart();
        result = readGuideFile(xml, keys, now, xml);
        walls.push_back(timer.nsecsElapsed() / 1e9);
        cpus.push_back(cpuSeconds() - cpu);
        peaks.push_back(double(statusField("VmHWM:") - before) / 1024.0);
        std::printf("  run %d: wall %.2f s, CPU %.2f s, peak %.1f MB above %.1f MB resident\n", run + 1, walls.back(),
                    cpus.back(), peaks.back(), double(before) / 1024.0);
        if (!result.guide) {
            std::fprintf(stderr, "the guide was refused: %s\n", qPrintable(result.error));
            return 1;
        }
        kept = result.guide->programmeCount();
        channels = int(result.guide->channels().size());
        if (run == 2 && !saveGuideCache(cacheFolder, *result.guide)) {
            std::fprintf(stderr, "cannot write the cache\n");
            return 1;
        }
    }
    std::printf("read: %d channels, %d programmes kept; wall %.2f s, CPU %.2f s (median of 3); "
                "peak %.1f MB above the resident size\n",
                channels, kept, median(walls), median(cpus), median(peaks));

    std::vector<double> loads, loadCpus;
    for (int run = 0; run < 5; ++run) {
        const double cpu = cpuSeconds();
        timer.restart();
        const std::shared_ptr<Guide> cached = loadGuideCache(cacheFolder);
        loads.push_back(timer.nsecsElapsed() / 1e6);
        loadCpus.push_back((cpuSeconds() - cpu) * 1000);
        if (!cached || cached->programmeCount() != kept) {
            std::fprintf(stderr, "the cache did not read back\n");
            return 1;
        }
    }
    std::printf("cache: %.1f MB, loaded in %.1f ms wall, %.1f ms CPU (medians of 5)\n",
                double(QFile(guideCachePath(cacheFolder)).size()) / 1e6, median(loads), median(loadCpus));

    // The keys of 200,000 entries: the copy the window takes on its own
    // thread, and the keys and digest made from it (on the guide's worker).
    const QList<ChannelEntries> entries = manyEntries();
    std::vector<double> copies, makes, digests;
    for (int run = 0; run < 5; ++run) {
        timer.restart();
        const QList<ChannelEntries> copy{entries.at(0), entries.at(1)};
        copies.push_back(copy.at(0).count() + copy.at(1).count() == 200000 ? timer.nsecsElapsed() / 1e6 : -1);
        timer.restart();
        const QList<GuideEntryKey> many = guideEntryKeys(copy);
        makes.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        const QByteArray digest = guideKeysDigest(many);
        digests.push_back(digest.isEmpty() ? -1 : timer.nsecsElapsed() / 1e6);
    }
    std::printf("keys of 200,000 entries: copying the entries %.1f ms, making the keys %.1f ms, "
                "their digest %.1f ms (medians of 5)\n",
                median(copies), median(makes), median(digests));

    // The event loop while the program guide reads the file on its worker
    // and the keys are made again.
    int status = 0;
    const char *const where[] = {"none made", "keys of 200,000 entries made every 300 ms on the event loop's thread",
                                 "the same on the guide's worker"};
    for (const KeysOn keysOn : {KeysOn::Nowhere, KeysOn::EventLoop, KeysOn::Worker}) {
        double seconds = 0;
        const Gap longest = longestGap(app, cacheFolder, xml, keys, entries, keysOn, seconds);
        if (longest.wallMs < 0) {
            status = 1;
            break;
        }
        std::printf("event loop while the guide loads in the background (%.2f s), %s: longest gap between 5 ms "
                    "ticks %lld ms (%.1f ms of it running); the most it ran between two ticks %.1f ms\n",
                    seconds, where[int(keysOn)], longest.wallMs, longest.cpuMs, longest.mostCpuMs);
    }
    QFile::remove(xml);
    return status;
}
