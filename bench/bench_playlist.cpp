// Playlist import: the whole import of a generated M3U8 file (read, parse,
// entries, rows shown, list file written; the companion after it), the
// start-up read of a list file with its companion, and the parts of an
// import on their own.
#include "directory/channeldirectory.h"
#include "directory/channellist.h"
#include "directory/directoryplaylist.h"
#include "playlist/companion.h"
#include "playlist/listfile.h"
#include "playlist/playlist.h"
#include "playlist/playlistsource.h"

#include <QFile>
#include <QTemporaryDir>

#include "benchmain.h"
#include "shownlist.h"

namespace {

const char *const kNames[] = {"湖南卫视", "浙江卫视", "凤凰卫视中文台", "CCTV-1 综合", "北京新闻", "中央1台"};
const char *const kGroups[] = {"卫视", "央视", "新闻", "地方"};

// A playlist as people keep them: attributes on every entry, headers on one in ten.
QByteArray generatedM3u8(int entries)
{
    QByteArray text = "#EXTM3U url-tvg=\"http://epg.example/e.xml\"\n";
    for (int i = 0; i < entries; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "#EXTINF:-1 tvg-id=\"ch" + n + "\" tvg-name=\"" + kNames[i % std::size(kNames)] + n
            + "\" tvg-logo=\"http://logo.example/" + n + ".png\" group-title=\"" + kGroups[i % std::size(kGroups)]
            + "\"," + kNames[i % std::size(kNames)] + n + '\n';
        if (i % 10 == 0)
            text += "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (Windows NT 10.0)\n#EXTVLCOPT:http-referrer=http://site/\n";
        text += "http://stream.example/live/" + n + "/index.m3u8\n";
    }
    return text;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// From the file chosen to the rows shown and the list file written, when
// the import is done; the companion is written after that, timed only with
// a second argument of 2. With 0 without the files (a directory that keeps
// no list file), the part of an import that does not wait for the disk.
// CPU time is that of all threads.
void BM_ImportPlaylistFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString playlist = writeFile(dir, QStringLiteral("tv.m3u8"), generatedM3u8(int(state.range(0))));
    const bool keepFiles = state.range(1) != 0;
    const bool companionTimed = state.range(1) == 2;
    const QString listFile = keepFiles ? dir.filePath(QStringLiteral("dianshibiao.ini")) : QString();
    ChannelDirectory directory;
    const ShownList shown(directory);
    for (auto _ : state) {
        const PlaylistBytes loaded = loadPlaylistBytes(playlist);
        const ImportResult result =
            importPlaylist(directory, listFile, loaded.bytes, loaded.source, ImportMode::Replace, false);
        QCoreApplication::processEvents();
        if (result.added != state.range(0) || result.stored != keepFiles)
            state.SkipWithError("import failed");
        // The companion follows on its own thread; the next import must not
        // share the machine with it.
        if (!companionTimed)
            state.PauseTiming();
        waitForCompanionFiles();
        if (!companionTimed)
            state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportPlaylistFile)
    ->Args({4401, 1})
    ->Args({200000, 1})
    ->Args({200000, 2})
    ->Args({200000, 0})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// At start: the list file an import wrote, with its companion.
void BM_LoadImportedListFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray bytes = generatedM3u8(int(state.range(0)));
    const QString listFile = dir.filePath(QStringLiteral("dianshibiao.ini"));
    ChannelDirectory directory;
    importPlaylist(directory, listFile, bytes, QUrl(), ImportMode::Replace, false);
    waitForCompanionFiles();
    const ShownList shown(directory);
    for (auto _ : state) {
        loadDirectory(listFile, directory);
        QCoreApplication::processEvents();
        if (directory.entries().count() != state.range(0) || !directory.entries().hasExtras())
            state.SkipWithError("extras lost");
    }
}
BENCHMARK(BM_LoadImportedListFile)->Arg(4401)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_ParsePlaylist(benchmark::State &state)
{
    const QByteArray bytes = generatedM3u8(int(state.range(0)));
    for (auto _ : state) {
        const Playlist playlist = parsePlaylist(bytes, QUrl(QStringLiteral("http://lists.example/tv.m3u8")));
        if (playlist.entries.size() != state.range(0))
            state.SkipWithError("entries lost");
        benchmark::DoNotOptimize(playlist.entries.data());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ParsePlaylist)->Arg(4401)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_ReadPlaylistOnly(benchmark::State &state)
{
    const QByteArray bytes = generatedM3u8(int(state.range(0)));
    for (auto _ : state) {
        qsizetype n = 0;
        readPlaylist(bytes, QUrl(QStringLiteral("http://lists.example/tv.m3u8")), [&n](const PlaylistEntryView &) { ++n; return true; });
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_ReadPlaylistOnly)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_ReadIntoEntries(benchmark::State &state)
{
    const QByteArray bytes = generatedM3u8(int(state.range(0)));
    for (auto _ : state) {
        ChannelEntries entries;
        entries.reserveForPlaylist(bytes.size());
        readPlaylist(bytes, QUrl(), [&](const PlaylistEntryView &e) { entries.append(e.name, e.url, {e.group, e.logo, e.tvgId, e.tvgName, e.tvgShift}); return true; });
        benchmark::DoNotOptimize(entries.count());
    }
}
BENCHMARK(BM_ReadIntoEntries)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_WriteListFileAndCompanion(benchmark::State &state)
{
    const Playlist playlist = parsePlaylist(generatedM3u8(int(state.range(0))));
    for (auto _ : state) {
        const QByteArray list = listFileContent(PlaylistEntryViews::of(playlist));
        const QByteArray companion = exportM3u8(playlist);
        benchmark::DoNotOptimize(list.data());
        benchmark::DoNotOptimize(companion.data());
    }
}
BENCHMARK(BM_WriteListFileAndCompanion)->Arg(4401)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace

CHENGYU_BENCHMARK_WIDGETS_MAIN()
