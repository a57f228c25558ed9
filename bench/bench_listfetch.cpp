// One fetch of a 4401-entry TV list from the reference service on loopback:
// request, transfer and decoding, as the list download does it.
#include "account/endpoints.h"
#include "account/fetch.h"
#include "platform/codepage936.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kEntries = 4401;
QString g_host2;
QByteArray g_listBytes;

QByteArray makeList()
{
    static const char *const names[] = {"湖南卫视", "浙江卫视", "江苏卫视", "东方卫视", "北京卫视", "CCTV-1 综合"};
    QStringList lines;
    for (int i = 1; i <= kEntries; ++i) {
        lines << QStringLiteral("%1 %2").arg(QString::fromUtf8(names[i % 6])).arg(i, 4, 10, QLatin1Char('0'));
        lines << QStringLiteral("http://127.0.0.1:8801/play/tv/%1").arg(i);
    }
    return cp936::fromUnicode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Starts the service on free ports; returns host 2's base URL, empty on failure.
QString startService(QProcess &service, const QString &dataFolder)
{
    service.setProgram(QStringLiteral(CHENGYU_SERVICE_EXE));
    service.setArguments({QStringLiteral("--data"), dataFolder, QStringLiteral("--port1"), QStringLiteral("0"),
                          QStringLiteral("--port2"), QStringLiteral("0")});
    service.start();
    static const QRegularExpression listening(QStringLiteral("host2 listening on (\\S+)"));
    QString output;
    for (int i = 0; i < 100 && service.state() != QProcess::NotRunning; ++i) {
        service.waitForReadyRead(100);
        output += QString::fromUtf8(service.readAllStandardOutput());
        const QRegularExpressionMatch match = listening.match(output);
        if (match.hasMatch())
            return match.captured(1);
    }
    return {};
}

void BM_FetchTvList4401(benchmark::State &state)
{
    const QString url = Endpoints(ServiceHosts{g_host2, g_host2}).tvList(Endpoints::Host2, QStringLiteral("vip"));
    qsizetype lines = 0;
    for (auto _ : state) {
        const QString text = FetchUrlText(url, QStringLiteral("gb2312"));
        lines = text.count(QStringLiteral("\r\n")) + 1;
        benchmark::DoNotOptimize(text.constData());
    }
    if (lines != 2 * kEntries)
        state.SkipWithError("the service did not send the whole list");
    state.counters["entries"] = double(lines / 2);
}
BENCHMARK(BM_FetchTvList4401)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DecodeTvList4401(benchmark::State &state)
{
    for (auto _ : state) {
        const QString text = DecodeResponseBytes(g_listBytes, QStringLiteral("gb2312"));
        benchmark::DoNotOptimize(text.constData());
    }
    state.counters["bytes"] = double(g_listBytes.size());
}
BENCHMARK(BM_DecodeTvList4401)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir data;
    g_listBytes = makeList();
    g_listBytes.chop(2); // as served: no line break after the last URL
    if (!data.isValid() || !QDir(data.path()).mkdir(QStringLiteral("lists"))
        || !writeFile(data.filePath(QStringLiteral("lists/dianshibiao.ini")), makeList())
        || !writeFile(data.filePath(QStringLiteral("accounts.txt")), "vip 123456 vip\n")) {
        std::fprintf(stderr, "cannot write the data folder\n");
        return 1;
    }
    QProcess service;
    g_host2 = startService(service, data.path());
    if (g_host2.isEmpty()) {
        std::fprintf(stderr, "the service did not start\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    service.kill();
    service.waitForFinished(5000);
    return 0;
}
