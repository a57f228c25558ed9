#include "app/launchoptions.h"

#include <QDir>
#include <QTest>

namespace {

const ServiceHosts kBuiltIn{QStringLiteral("http://127.0.0.1:8801"), QStringLiteral("http://127.0.0.1:8802")};

QProcessEnvironment environment(const QStringList &pairs)
{
    QProcessEnvironment env;
    for (const QString &pair : pairs)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    return env;
}

} // namespace

class TestLaunchOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void validRuns_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<QString>("host1");
        QTest::addColumn<QString>("host2");
        QTest::addColumn<bool>("dataDirGiven");
        QTest::addColumn<QString>("dataDir");
        QTest::addColumn<QString>("playlist");

        const QString h1 = kBuiltIn.host1;
        const QString h2 = kBuiltIn.host2;
        QTest::newRow("nothing given") << QStringList{} << QStringList{} << h1 << h2 << false << QString() << QString();
        QTest::newRow("both hosts") << QStringList{"--service-host1", "http://a:1", "--service-host2", "https://b"}
                                    << QStringList{} << "http://a:1" << "https://b" << false << QString() << QString();
        QTest::newRow("value after =") << QStringList{"--service-host2=http://b:2/"} << QStringList{} << h1
                                       << "http://b:2" << false << QString() << QString();
        QTest::newRow("path kept, slashes dropped")
            << QStringList{"--service-host1", "https://tv.example/api//"} << QStringList{}
            << "https://tv.example/api" << h2 << false << QString() << QString();
        QTest::newRow("chinese host name") << QStringList{"--service-host1", "http://电视.中国:8080"} << QStringList{}
                                           << "http://电视.中国:8080" << h2 << false << QString() << QString();
        QTest::newRow("environment")
            << QStringList{} << QStringList{"CHENGYU_SERVICE_HOST1=http://e1", "CHENGYU_SERVICE_HOST2=http://e2"}
            << "http://e1" << "http://e2" << false << QString() << QString();
        QTest::newRow("command line wins") << QStringList{"--service-host1", "http://c1"}
                                           << QStringList{"CHENGYU_SERVICE_HOST1=http://e1",
                                                          "CHENGYU_SERVICE_HOST2=http://e2"}
                                           << "http://c1" << "http://e2" << false << QString() << QString();
        QTest::newRow("empty variable is unset") << QStringList{} << QStringList{"CHENGYU_SERVICE_HOST2="} << h1 << h2
                                                 << false << QString() << QString();
        QTest::newRow("data folder") << QStringList{"--data-dir", "/srv/tv"} << QStringList{} << h1 << h2 << true
                                     << "/srv/tv" << QString();
        // Not refused here: the folder choice keeps nothing for it.
        QTest::newRow("empty data folder") << QStringList{"--data-dir="} << QStringList{} << h1 << h2 << true
                                           << QString() << QString();
        QTest::newRow("Qt's own options") << QStringList{"-platform", "offscreen", "-style=fusion", "-reverse"}
                                          << QStringList{} << h1 << h2 << false << QString() << QString();
        QTest::newRow("a playlist file, found from the working folder")
            << QStringList{"--data-dir", "/srv/tv", "lists/tv.m3u8"} << QStringList{} << h1 << h2 << true << "/srv/tv"
            << QDir::current().absoluteFilePath(QStringLiteral("lists/tv.m3u8"));
        QTest::newRow("a playlist address, as given")
            << QStringList{"https://lists.example/tv.m3u8?a=1"} << QStringList{} << h1 << h2 << false << QString()
            << "https://lists.example/tv.m3u8?a=1";
    }
    void validRuns()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, env);
        const LaunchRequest request =
            parseLaunchOptions(QStringList{"chengyu-tv"} + arguments, environment(env), kBuiltIn);
        QCOMPARE(int(request.action), int(LaunchRequest::Action::Run));
        QTEST(request.options.hosts.host1, "host1");
        QTEST(request.options.hosts.host2, "host2");
        QTEST(request.options.dataDirGiven, "dataDirGiven");
        QTEST(request.options.dataDir, "dataDir");
        QTEST(request.options.playlist, "playlist");
    }

    void helpAndVersion_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QStringList>("texts");
        const int help = int(LaunchRequest::Action::ShowHelp);
        const QStringList helpTexts{"用法：chengyu-tv [选项] [播放列表]", "radio=\"true\"", "--service-host1 URL", "--service-host2 URL", "--data-dir DIR",
                                    "--version", "CHENGYU_SERVICE_HOST1", "http://127.0.0.1:8802"};
        QTest::newRow("--help") << QStringList{"--help"} << help << helpTexts;
        QTest::newRow("-h among others") << QStringList{"--data-dir", "/x", "-h"} << help << helpTexts;
        QTest::newRow("--version") << QStringList{"--version"} << int(LaunchRequest::Action::ShowVersion)
                                   << QStringList{"chengyu-tv 2.7\n"};
    }
    void helpAndVersion()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, texts);
        const LaunchRequest request = parseLaunchOptions(QStringList{"chengyu-tv"} + arguments, {}, kBuiltIn);
        QTEST(int(request.action), "action");
        for (const QString &text : texts)
            QVERIFY2(request.message.contains(text), qPrintable(text));
    }

    void refused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<QString>("error");
        QTest::newRow("ftp host") << QStringList{"--service-host1", "ftp://a"} << QStringList{}
                                  << "--service-host1 的值 “ftp://a” 不是 http 或 https 地址";
        QTest::newRow("no scheme") << QStringList{"--service-host2", "127.0.0.1:8802"} << QStringList{}
                                   << "--service-host2 的值";
        QTest::newRow("no host") << QStringList{"--service-host1", "http://"} << QStringList{} << "--service-host1";
        QTest::newRow("empty") << QStringList{"--service-host1="} << QStringList{} << "--service-host1 的值 “”";
        QTest::newRow("query") << QStringList{"--service-host1", "http://a/?x=1"} << QStringList{} << "--service-host1";
        QTest::newRow("fragment") << QStringList{"--service-host1", "http://a/#x"} << QStringList{}
                                  << "--service-host1";
        QTest::newRow("port out of range") << QStringList{"--service-host1", "http://a:70000"} << QStringList{}
                                           << "--service-host1";
        QTest::newRow("space") << QStringList{"--service-host1", "http://a b"} << QStringList{} << "--service-host1";
        QTest::newRow("line break kept on one line") << QStringList{"--service-host1", "x\ny"} << QStringList{}
                                                     << "“x?y”";
        QTest::newRow("bad variable") << QStringList{} << QStringList{"CHENGYU_SERVICE_HOST2=file:///etc"}
                                      << "环境变量 CHENGYU_SERVICE_HOST2 的值 “file:///etc”";
        // A bad variable is an error even when the command line overrides the other host.
        QTest::newRow("bad variable, other host given")
            << QStringList{"--service-host2", "http://b"} << QStringList{"CHENGYU_SERVICE_HOST1=javascript:x"}
            << "CHENGYU_SERVICE_HOST1";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << QStringList{} << "未知的选项 --bogus";
        QTest::newRow("unknown single dash") << QStringList{"-x=1"} << QStringList{} << "未知的选项 -x";
        QTest::newRow("unknown before help") << QStringList{"--bogus", "--help"} << QStringList{} << "--bogus";
        QTest::newRow("missing value") << QStringList{"--data-dir"} << QStringList{} << "选项 --data-dir 缺少值";
        QTest::newRow("missing host") << QStringList{"--service-host2"} << QStringList{}
                                      << "选项 --service-host2 缺少值";
        QTest::newRow("a second playlist") << QStringList{"a.m3u", "http://a"} << QStringList{}
                                           << "多余的参数 “http://a”";
        QTest::newRow("an empty playlist") << QStringList{""} << QStringList{} << "播放列表的参数是空的";
    }
    void refused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, env);
        QFETCH(QString, error);
        const LaunchRequest request =
            parseLaunchOptions(QStringList{"chengyu-tv"} + arguments, environment(env), kBuiltIn);
        QCOMPARE(int(request.action), int(LaunchRequest::Action::Fail));
        QVERIFY2(request.message.startsWith(QStringLiteral("chengyu-tv: ")), qPrintable(request.message));
        QVERIFY2(request.message.contains(error), qPrintable(request.message));
        QVERIFY(!request.message.contains(QLatin1Char('\n')));
    }
};

QTEST_GUILESS_MAIN(TestLaunchOptions)
#include "tst_launchoptions.moc"
