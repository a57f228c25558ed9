#include "account/fetch.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

// The lines the service prints to standard output, read as they come.
class ServiceProcess
{
public:
    explicit ServiceProcess(const QStringList &arguments)
    {
        m_process.setProgram(QStringLiteral(CHENGYU_SERVICE_EXE));
        m_process.setArguments(QStringList{QStringLiteral("--data"), QStringLiteral(CHENGYU_DEMO_DIR)} + arguments);
        m_process.start();
    }
    ~ServiceProcess()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QProcess &process() { return m_process; }

    // Waits until a line holding the text has been printed; returns it.
    QString waitForLine(const QString &text)
    {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                m_output += QString::fromUtf8(m_process.readAllStandardOutput());
                for (const QString &line : m_output.split(QLatin1Char('\n'))) {
                    if (line.contains(text)) {
                        found = line;
                        return true;
                    }
                }
                return m_process.state() == QProcess::NotRunning;
            },
            10000);
        return found;
    }
    QString output() const { return m_output; }

private:
    QProcess m_process;
    QString m_output;
};

QString baseUrlOf(const QString &listeningLine)
{
    static const QRegularExpression base(QStringLiteral("listening on (http://127\\.0\\.0\\.1:\\d+)$"));
    return base.match(listeningLine.trimmed()).captured(1);
}

} // namespace

// The executable: its options and its log on standard output.
class TestServiceProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bothHostsAnswerAndEveryAnswerIsLogged();
    void onlyOneHost_data();
    void onlyOneHost();
    void badOptionsStopTheService_data();
    void badOptionsStopTheService();
};

void TestServiceProcess::bothHostsAnswerAndEveryAnswerIsLogged()
{
    ServiceProcess service({QStringLiteral("--port1"), QStringLiteral("0"), QStringLiteral("--port2"), QStringLiteral("0")});
    const QString host1 = baseUrlOf(service.waitForLine(QStringLiteral("host1 listening on")));
    const QString host2 = baseUrlOf(service.waitForLine(QStringLiteral("host2 listening on")));
    QVERIFY2(!host1.isEmpty() && !host2.isEmpty() && host1 != host2, qPrintable(service.output()));

    QVERIFY(FetchUrlText(host2 + QStringLiteral("/user/jiemubiao.asp?yh=vip"), QStringLiteral("gb2312"))
                .contains(QStringLiteral("卫视")));
    QVERIFY(FetchUrlText(host1 + QStringLiteral("/user/denglu.asp?yh=vip&pw=123456"), QStringLiteral("gb2312"))
                .startsWith(QStringLiteral("VIP用户")));

    QCOMPARE(service.waitForLine(QStringLiteral("jiemubiao")).trimmed(),
             QStringLiteral("host2 GET /user/jiemubiao.asp?yh=vip 200"));
    QCOMPARE(service.waitForLine(QStringLiteral("denglu")).trimmed(),
             QStringLiteral("host1 GET /user/denglu.asp?yh=vip&pw=*** 200"));
    QVERIFY(!service.output().contains(QStringLiteral("123456")));
}

void TestServiceProcess::onlyOneHost_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("running");
    QTest::addColumn<QString>("stopped");

    QTest::newRow("host 1 only") << "--only-host1" << "host1" << "host2";
    QTest::newRow("host 2 only") << "--only-host2" << "host2" << "host1";
}

void TestServiceProcess::onlyOneHost()
{
    QFETCH(QString, option);
    QFETCH(QString, running);
    QFETCH(QString, stopped);
    ServiceProcess service({option, QStringLiteral("--port1"), QStringLiteral("0"), QStringLiteral("--port2"),
                            QStringLiteral("0")});

    const QString base = baseUrlOf(service.waitForLine(running + QStringLiteral(" listening on")));
    QVERIFY2(!base.isEmpty(), qPrintable(service.output()));
    QVERIFY(!service.waitForLine(QStringLiteral("data from")).isEmpty());
    QVERIFY(!service.output().contains(stopped + QStringLiteral(" listening")));

    // The pages link to the host that runs.
    const QString list = FetchUrlText(base + QStringLiteral("/user/diantaibiao.asp?yh="), QStringLiteral("gb2312"));
    QVERIFY(list.contains(QStringLiteral("广播")));
    QVERIFY2(list.contains(base + QStringLiteral("/play/radio/1")), qPrintable(list));
}

void TestServiceProcess::badOptionsStopTheService_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("both only-options") << QStringList{"--only-host1", "--only-host2"} << 2;
    QTest::newRow("port out of range") << QStringList{"--port1", "70000"} << 2;
    QTest::newRow("port not a number") << QStringList{"--port2", "x"} << 2;
    QTest::newRow("missing data folder") << QStringList{"--port1", "0", "--port2", "0", "--data", "/nonexistent"} << 1;
}

void TestServiceProcess::badOptionsStopTheService()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    ServiceProcess service(arguments);

    QVERIFY(service.process().waitForFinished(10000));
    QCOMPARE(service.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(service.process().exitCode(), exitCode);
    QVERIFY(!service.process().readAllStandardError().isEmpty());
}

QTEST_GUILESS_MAIN(TestServiceProcess)
#include "tst_serviceprocess.moc"
