// The playlist side of an import: reading a generated M3U8 (decode and
// parse), and what the import writes: the list file and the companion M3U8.
// The rows shown and the tables are the directory's part and are measured
// with it.
#include "playlist/companion.h"
#include "playlist/listfile.h"
#include "playlist/playlist.h"

#include <benchmark/benchmark.h>

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

void BM_WriteListFileAndCompanion(benchmark::State &state)
{
    const Playlist playlist = parsePlaylist(generatedM3u8(int(state.range(0))));
    for (auto _ : state) {
        const QByteArray list = listFileContent(playlist.entries);
        const QByteArray companion = exportM3u8(playlist);
        benchmark::DoNotOptimize(list.data());
        benchmark::DoNotOptimize(companion.data());
    }
}
BENCHMARK(BM_WriteListFileAndCompanion)->Arg(4401)->Arg(200000)->Unit(benchmark::kMillisecond);

// At start: the companion read and matched against the list file's URLs.
void BM_CompanionAtStart(benchmark::State &state)
{
    const Playlist playlist = parsePlaylist(generatedM3u8(int(state.range(0))));
    const QByteArray companion = exportM3u8(playlist);
    QStringList urls;
    for (const PlaylistEntry &entry : playlist.entries)
        urls << entry.url;
    for (auto _ : state) {
        const auto extras = companionExtras(urls, parsePlaylist(companion).entries);
        if (!extras)
            state.SkipWithError("companion does not match");
    }
}
BENCHMARK(BM_CompanionAtStart)->Arg(4401)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
