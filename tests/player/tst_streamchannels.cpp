#include "streamchannels.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A loop of three 2-second segments.
const QList<StreamMedia::Segment> kLoop = {{"a.ts", 2.0}, {"b.ts", 2.0}, {"c.ts", 2.0}};

// "first..last" of the listed segments, with "|" before each discontinuity.
QString listed(const QByteArray &playlist)
{
    QStringList out;
    bool discontinuity = false;
    for (const QByteArray &line : playlist.split('\n')) {
        if (line == "#EXT-X-DISCONTINUITY")
            discontinuity = true;
        else if (line.endsWith(".ts")) {
            out << (discontinuity ? QStringLiteral("|") : QString()) + QString::fromLatin1(line.mid(4, line.size() - 7));
            discontinuity = false;
        }
    }
    return out.join(QLatin1Char(' '));
}

QByteArray tagValue(const QByteArray &playlist, const QByteArray &tag)
{
    for (const QByteArray &line : playlist.split('\n')) {
        if (line.startsWith(tag + ':'))
            return line.mid(tag.size() + 1);
    }
    return {};
}

// Splits an ICY stream with the given interval into its audio and its titles.
bool readIcy(const QByteArray &stream, int interval, QByteArray *audio, QStringList *titles)
{
    qsizetype at = 0;
    while (at < stream.size()) {
        const qsizetype take = qMin<qsizetype>(interval, stream.size() - at);
        *audio += stream.mid(at, take);
        at += take;
        if (take < interval || at >= stream.size())
            return true;
        const int length = quint8(stream.at(at)) * 16;
        const QByteArray block = stream.mid(at + 1, length);
        if (block.size() < length)
            return false;
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^StreamTitle='(.*)';\\x00*$"),
                                                             QRegularExpression::DotMatchesEverythingOption)
                                              .match(QString::fromUtf8(block));
        if (!m.hasMatch())
            return false;
        *titles << m.captured(1);
        at += 1 + length;
    }
    return true;
}

QByteArray repeated(const QByteArray &loop, qsizetype size)
{
    QByteArray out;
    while (out.size() < size)
        out += loop;
    return out.left(size);
}

} // namespace

class tst_StreamChannels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void livePlaylist_data();
    void livePlaylist();
    void icyStream();
    void loadsTheMedia();
};

void tst_StreamChannels::livePlaylist_data()
{
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<QString>("segments");
    QTest::addColumn<QByteArray>("sequence");
    QTest::addColumn<QByteArray>("discontinuities");
    QTest::newRow("on air") << qint64(0) << "0 1 2 |3 4" << QByteArray("0") << QByteArray("0");
    QTest::newRow("inside a segment") << qint64(1999) << "0 1 2 |3 4" << QByteArray("0") << QByteArray("0");
    QTest::newRow("one segment on") << qint64(2000) << "1 2 |3 4 5" << QByteArray("1") << QByteArray("0");
    QTest::newRow("two loop starts") << qint64(5000) << "2 |3 4 5 |6" << QByteArray("2") << QByteArray("0");
    QTest::newRow("past the first loop start") << qint64(8000) << "4 5 |6 7 8" << QByteArray("4") << QByteArray("1");
    QTest::newRow("an hour on") << qint64(3600000) << "1800 1801 1802 |1803 1804" << QByteArray("1800")
                                << QByteArray("600");
}

void tst_StreamChannels::livePlaylist()
{
    QFETCH(qint64, elapsedMs);
    QFETCH(QString, segments);
    QFETCH(QByteArray, sequence);
    QFETCH(QByteArray, discontinuities);
    const QByteArray playlist = streamchannels::livePlaylist(kLoop, elapsedMs, QStringLiteral("seg/"));
    QVERIFY(playlist.startsWith("#EXTM3U\n"));
    QVERIFY(!playlist.contains("#EXT-X-ENDLIST")); // live: it never ends
    QCOMPARE(tagValue(playlist, "#EXT-X-TARGETDURATION"), QByteArray("2"));
    QCOMPARE(listed(playlist), segments);
    QCOMPARE(tagValue(playlist, "#EXT-X-MEDIA-SEQUENCE"), sequence);
    QCOMPARE(tagValue(playlist, "#EXT-X-DISCONTINUITY-SEQUENCE"), discontinuities);
}

void tst_StreamChannels::icyStream()
{
    qint64 now = 1000;
    QByteArray loop;
    for (int i = 0; i < 1000; ++i)
        loop += char(i % 251);
    // 1000 bytes a second after the head start.
    const int headStart = int(PacedLoop::HeadStartSeconds * 1000);
    PacedLoop stream(loop, 1.0, [&now] { return now; });
    stream.setMetadata(300, {QStringLiteral("晨曲"), QStringLiteral("It's late")}, 5000);

    QByteArray sent = stream.read(1 << 20);
    QCOMPARE(stream.read(1 << 20), QByteArray()); // nothing more is due yet
    now += 1500;
    sent += stream.read(1 << 20);
    now += 4000;
    const QByteArray small = stream.read(100); // a small read takes only what fits
    QVERIFY(!small.isEmpty() && small.size() <= 100);
    sent += small + stream.read(1 << 20);

    QByteArray audio;
    QStringList titles;
    QVERIFY(readIcy(sent, 300, &audio, &titles));
    QCOMPARE(audio.size(), headStart + 5500); // the head start and 5.5 s of the loop, to the byte
    QCOMPARE(audio, repeated(loop, audio.size()));
    QCOMPARE(titles.size(), (headStart + 5500 - 1) / 300); // a block between every 300 bytes
    QCOMPARE(titles.first(), QStringLiteral("晨曲"));
    QCOMPARE(titles.last(), QStringLiteral("It\u2019s late"));
}

void tst_StreamChannels::loadsTheMedia()
{
    StreamMedia media;
    QString error;
    QVERIFY2(media.load(QStringLiteral(CHENGYU_MEDIA_DIR), &error), qPrintable(error));
    QCOMPARE(media.loopSeconds(), 30.0);
    QCOMPARE(media.segment(media.segments().size()), media.segment(0)); // numbers wrap onto the loop

    QTemporaryDir empty;
    QVERIFY(!media.load(empty.path(), &error));
    QVERIFY(error.contains(QLatin1String("make-test-media")));
}

QTEST_APPLESS_MAIN(tst_StreamChannels)
#include "tst_streamchannels.moc"
