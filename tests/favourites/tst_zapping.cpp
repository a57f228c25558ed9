#include "favourites/zapping.h"

#include <QTest>

class tst_Zapping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rows_data();
    void rows();
    void back_data();
    void back();
    void keys_data();
    void keys();
};

void tst_Zapping::rows_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");
    QTest::newRow("middle") << 2 << 5 << 3 << 1;
    QTest::newRow("last row wraps to the first") << 4 << 5 << 0 << 3;
    QTest::newRow("first row wraps to the last") << 0 << 5 << 1 << 4;
    QTest::newRow("no row") << -1 << 5 << 0 << 4;
    QTest::newRow("row gone after a shorter list") << 7 << 5 << 0 << 4;
    QTest::newRow("one row") << 0 << 1 << 0 << 0;
    QTest::newRow("no rows") << -1 << 0 << -1 << -1;
    QTest::newRow("no rows left") << 3 << 0 << -1 << -1;
}

void tst_Zapping::rows()
{
    QFETCH(int, current);
    QFETCH(int, count);
    QFETCH(int, next);
    QFETCH(int, previous);
    QCOMPARE(nextRow(current, count), next);
    QCOMPARE(previousRow(current, count), previous);
}

// Steps: a letter plays that channel, "<" is the back key (it plays what
// previous() names, when anything).
void tst_Zapping::back_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("playing");
    QTest::addColumn<QString>("previous");
    QTest::newRow("nothing played") << "<" << "" << "";
    QTest::newRow("one channel: back does nothing") << "a <" << "a" << "";
    QTest::newRow("back after a zap") << "a b <" << "a" << "b";
    QTest::newRow("back twice returns") << "a b < <" << "b" << "a";
    QTest::newRow("only the last two count") << "a b c < < <" << "b" << "c";
    QTest::newRow("playing the same channel again") << "a b b <" << "a" << "b";
    QTest::newRow("an entry without URL is no channel") << "a b - <" << "a" << "b";
}

void tst_Zapping::back()
{
    QFETCH(QString, steps);
    QFETCH(QString, playing);
    QFETCH(QString, previous);
    ZapHistory history;
    for (const QString &step : steps.split(u' ')) {
        if (step != QLatin1String("<")) {
            const QString url = step == QLatin1String("-") ? QString() : QStringLiteral("http://h/") + step;
            history.played({DirectoryKind::Tv, step, url});
        } else if (const auto back = history.previous()) {
            history.played(*back);
        }
    }
    QCOMPARE(history.current() ? history.current()->name : QString(), playing);
    QCOMPARE(history.previous() ? history.previous()->name : QString(), previous);
}


void tst_Zapping::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<RemoteKey>("does"); // the plain keys are played through the window's own test
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("keypad Ctrl+Down") << int(Qt::Key_Down) << int(ctrl | Qt::KeypadModifier) << RemoteKey::Next;
    QTest::newRow("Ctrl+D") << int(Qt::Key_D) << ctrl << RemoteKey::Mark;
    QTest::newRow("Down alone stays the list's") << int(Qt::Key_Down) << 0 << RemoteKey::None;
    QTest::newRow("Shift+PageDown stays the list's") << int(Qt::Key_PageDown) << int(Qt::ShiftModifier)
                                                     << RemoteKey::None;
    QTest::newRow("Ctrl+Shift+D") << int(Qt::Key_D) << int(ctrl | Qt::ShiftModifier) << RemoteKey::None;
    QTest::newRow("Ctrl+Backspace") << int(Qt::Key_Backspace) << ctrl << RemoteKey::None;
    QTest::newRow("D alone") << int(Qt::Key_D) << 0 << RemoteKey::None;
}

void tst_Zapping::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(RemoteKey, does);
    QCOMPARE(int(remoteKey(key, Qt::KeyboardModifiers(modifiers))), int(does));
}

QTEST_GUILESS_MAIN(tst_Zapping)
#include "tst_zapping.moc"
