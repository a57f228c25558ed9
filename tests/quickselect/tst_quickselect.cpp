#include "directory/channeldirectory.h"
#include "platform/codepage936.h"
#include "platform/listbox.h"
#include "quickselect/quickselect.h"
#include "form1controls.h"
#include "shell/form1.h"
#include "support/listrows.h"
#include "support/recordingwebview.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QStringList kTvNames = {
    QStringLiteral("湖南卫视"), QStringLiteral("湖南经视"), QStringLiteral("CCTV-1综合"), QStringLiteral("凤凰卫视中文台"),
    QStringLiteral("北京新闻"), QStringLiteral("东方卫视"), QStringLiteral("广东 体育"), QStringLiteral("旅游卫视"),
    QStringLiteral("cctv5+"),   QStringLiteral("江苏城市"), QStringLiteral("浙江影视"), QStringLiteral("天津文艺"),
    QStringLiteral("中央1台"),
};
const QStringList kRadioNames = {QStringLiteral("中国之声"), QStringLiteral("经济之声"), QStringLiteral("湖南交通"),
                                 QStringLiteral("音乐之声")};

QString tvUrl(int n) { return QStringLiteral("http://127.0.0.1/tv/%1").arg(n); }
QString radioUrl(int n) { return QStringLiteral("http://127.0.0.1/radio/%1").arg(n); }

// A list file as the service sends it: GBK, CR LF, name line then URL line.
bool writeListFile(const QString &path, const QStringList &names, QString (*url)(int))
{
    QString text;
    for (int n = 0; n < names.size(); ++n)
        text += names[n] + QStringLiteral("\r\n") + url(n) + QStringLiteral("\r\n");
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(cp936::fromUnicode(text)) > 0;
}

// The entry numbers of a list box's rows, as ints.
QList<int> entryNumbers(const ListBox *list)
{
    QList<int> numbers;
    for (int r = 0; r < list->ListCount(); ++r)
        numbers.append(list->List(r).section(u'.', 0, 0).toInt());
    return numbers;
}

// Row r shows working entry line r, and working URL r belongs to the same entry.
bool inStep(const ListBox *list, const QStringList &lines, const QStringList &urls, QString (*url)(int))
{
    if (lines.size() != list->ListCount() || urls.size() != list->ListCount())
        return false;
    const QList<int> numbers = entryNumbers(list);
    for (int r = 0; r < numbers.size(); ++r) {
        if (lines.at(r) != list->List(r) || urls.at(r) != url(numbers[r]))
            return false;
    }
    return true;
}

// Quick select over a TV directory of its own, without a main window.
struct Rig
{
    QWidget window;
    QLineEdit *box = new QLineEdit(&window);
    ListBox *list = new ListBox(&window);
    ChannelDirectory tv;
    ChannelDirectory radio;
    QuickSelect quickSelect{*box, tv, radio};
    QStringList played;

    explicit Rig(ChannelEntries entries)
    {
        tv.setEntries(std::move(entries));
        list->setModel(&tv);
        list->resize(200, 300);
        QObject::connect(&quickSelect, &QuickSelect::play, &window,
                         [this](const ChannelDirectory *d, int row) { played.append(d->urlAt(row)); });
        window.show();
    }
};

int stackPosition(const QWidget *w)
{
    int position = 0;
    for (const QObject *sibling : w->parentWidget()->children()) {
        if (sibling == w)
            return position;
        if (sibling->isWidgetType())
            ++position;
    }
    return -1;
}

bool isAbove(const QWidget *a, const QWidget *b) { return stackPosition(a) > stackPosition(b); }

} // namespace

class tst_QuickSelect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void filtering_data();
    void filtering();
    void enterAndSpace_data();
    void enterAndSpace();
    void autoRepeatedReleaseIsIgnored();
    void idleClearing();
    void idleClearingOfAnEmptyBox();
    void changeRestartsIdleTimer();
    void focusKeeper();
    void rowsAndTablesInStep();
    void emptyUrlHidesNothing();
    void longDirectory();

private:
    RecordingWebView *player() const { return static_cast<RecordingWebView *>(controls(*m_form).WebBrowser1); }
    QuickSelect *quickSelect() const { return m_form->findChild<QuickSelect *>(); }
    void setView(int mode);
    void type(const QString &text);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form1> m_form;
};

void tst_QuickSelect::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(writeListFile(m_dir->filePath(QStringLiteral("dianshibiao.ini")), kTvNames, tvUrl));
    QVERIFY(writeListFile(m_dir->filePath(QStringLiteral("diantaibiao.ini")), kRadioNames, radioUrl));
    m_form = std::make_unique<Form1>(m_dir->path(), ServiceHosts{}, recordingWebViewFactory());
    m_form->show();
    QVERIFY(quickSelect());
    QCOMPARE(controls(*m_form).List2->ListCount(), kTvNames.size());
    QCOMPARE(controls(*m_form).List1->ListCount(), kRadioNames.size());
    player()->navigations.clear();
}

void tst_QuickSelect::cleanup()
{
    m_form.reset();
    m_dir.reset();
}

void tst_QuickSelect::setView(int mode)
{
    if (mode == 2)
        controls(*m_form).jiemian->trigger();
    else if (mode == 0)
        Q_EMIT controls(*m_form).Image1->Click();
    QCOMPARE(int(m_form->ListMode()), mode);
}

// Brings the box to the given text. Latin text is typed key by key after
// what the box holds; other text is set by the program, which runs the same
// change handler.
void tst_QuickSelect::type(const QString &text)
{
    const QString held = controls(*m_form).Text5->text();
    bool latin = text.startsWith(held);
    for (const QChar c : text)
        latin = latin && c.unicode() < 0x80;
    if (latin)
        QTest::keyClicks(controls(*m_form).Text5, text.mid(held.size()));
    else
        controls(*m_form).Text5->setText(text);
}

void tst_QuickSelect::filtering_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("played");
    QTest::newRow("one match plays at once") << 1 << QStringLiteral("HNWS") << QList<int>{0} << QStringList{tvUrl(0)};
    QTest::newRow("lower-case initials") << 1 << QStringLiteral("hnjs") << QList<int>{1} << QStringList{tvUrl(1)};
    QTest::newRow("several matches play nothing") << 1 << QStringLiteral("ws") << QList<int>{0, 3, 5, 7} << QStringList();
    QTest::newRow("name piece") << 1 << QStringLiteral("湖南") << QList<int>{0, 1} << QStringList();
    QTest::newRow("no match") << 1 << QStringLiteral("xyz") << QList<int>{} << QStringList();
    QTest::newRow("entry number") << 1 << QStringLiteral("0012") << QList<int>{12} << QStringList{tvUrl(12)};
    QTest::newRow("leading spaces") << 1 << QStringLiteral("  dfws") << QList<int>{5} << QStringList{tvUrl(5)};
    // The last Space both changes the text (one match) and is released (first row).
    QTest::newRow("trailing spaces") << 1 << QStringLiteral("bjxw  ") << QList<int>{4}
                                     << QStringList{tvUrl(4), tvUrl(4)};
    QTest::newRow("inner space where the name has it") << 1 << QStringLiteral("广东 体育") << QList<int>{6} << QStringList{tvUrl(6)};
    QTest::newRow("inner space where no line has it") << 1 << QStringLiteral("hn ws") << QList<int>{} << QStringList();
    QTest::newRow("player-only view filters radio") << 0 << QStringLiteral("zs") << QList<int>{0, 1, 3} << QStringList();
    QTest::newRow("radio view") << 2 << QStringLiteral("hnjt") << QList<int>{2} << QStringList{radioUrl(2)};
}

void tst_QuickSelect::filtering()
{
    QFETCH(int, mode);
    QFETCH(QString, typed);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, played);
    setView(mode);
    const bool tv = mode == 1;
    ListBox *list = tv ? controls(*m_form).List2 : controls(*m_form).List1;
    ListBox *other = tv ? controls(*m_form).List1 : controls(*m_form).List2;
    const QStringList otherRows = listRows(other);
    const QStringList otherUrls = tv ? m_form->RadioUrl() : m_form->TvUrl();

    // What the last change plays; earlier changes may have played single matches.
    type(typed.chopped(1));
    player()->navigations.clear();
    type(typed);

    QCOMPARE(controls(*m_form).Text5->text(), typed);
    QCOMPARE(entryNumbers(list), rows);
    QVERIFY(inStep(list, tv ? m_form->TvLine() : m_form->RadioLine(), tv ? m_form->TvUrl() : m_form->RadioUrl(),
                   tv ? tvUrl : radioUrl));
    QCOMPARE(player()->navigations, played);
    // The other directory is not touched.
    QCOMPARE(listRows(other), otherRows);
    QCOMPARE(tv ? m_form->RadioUrl() : m_form->TvUrl(), otherUrls);
}

void tst_QuickSelect::enterAndSpace_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("played");
    QTest::newRow("Enter plays the first row") << 1 << QStringLiteral("ws") << int(Qt::Key_Return) << tvUrl(0);
    QTest::newRow("keypad Enter") << 1 << QStringLiteral("hn") << int(Qt::Key_Enter) << tvUrl(0);
    QTest::newRow("Space after no match plays nothing") << 1 << QStringLiteral("jz") << int(Qt::Key_Space) << QString();
    QTest::newRow("Space after several matches") << 1 << QStringLiteral("卫视") << int(Qt::Key_Space) << tvUrl(0);
    QTest::newRow("radio view") << 2 << QStringLiteral("zs") << int(Qt::Key_Return) << radioUrl(0);
    QTest::newRow("Enter after no match plays nothing") << 1 << QStringLiteral("xyz") << int(Qt::Key_Return)
                                                       << QString();
    QTest::newRow("player-only view plays nothing") << 0 << QStringLiteral("zs") << int(Qt::Key_Return) << QString();
    QTest::newRow("Enter in an empty box plays nothing") << 1 << QString() << int(Qt::Key_Return) << QString();
    QTest::newRow("Space into an empty box plays the first entry") << 1 << QString() << int(Qt::Key_Space)
                                                                   << tvUrl(0);
    QTest::newRow("other keys play nothing") << 1 << QStringLiteral("ws") << int(Qt::Key_Tab) << QString();
}

void tst_QuickSelect::enterAndSpace()
{
    QFETCH(int, mode);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QString, played);
    setView(mode);
    type(typed);
    const QStringList rowsBefore = listRows(mode == 1 ? controls(*m_form).List2 : controls(*m_form).List1);
    player()->navigations.clear();

    QTest::keyClick(controls(*m_form).Text5, Qt::Key(key));

    QCOMPARE(player()->navigations, played.isEmpty() ? QStringList() : QStringList{played});
    if (key == Qt::Key_Space && typed.isEmpty()) {
        // The Space made a blank key: the whole directory came back as entry lines.
        QCOMPARE(listRows(controls(*m_form).List2), m_form->TvLineAll());
        QVERIFY(inStep(controls(*m_form).List2, m_form->TvLine(), m_form->TvUrl(), tvUrl));
    } else if (key == Qt::Key_Space) {
        QCOMPARE(listRows(mode == 1 ? controls(*m_form).List2 : controls(*m_form).List1), rowsBefore);
    }
}

void tst_QuickSelect::autoRepeatedReleaseIsIgnored()
{
    type(QStringLiteral("ws"));
    player()->navigations.clear();
    QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(controls(*m_form).Text5, &repeated);
    QVERIFY(player()->navigations.isEmpty());
    QKeyEvent released(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), false);
    QApplication::sendEvent(controls(*m_form).Text5, &released);
    QCOMPARE(player()->navigations, QStringList{tvUrl(0)});
}

void tst_QuickSelect::idleClearing()
{
    type(QStringLiteral("ws"));
    QCOMPARE(controls(*m_form).List2->ListCount(), 4);
    QVERIFY(controls(*m_form).Timer3->isActive());

    quickSelect()->Timer3_Timer();

    QVERIFY(controls(*m_form).Text5->text().isEmpty());
    QVERIFY(!controls(*m_form).Timer3->isActive());
    // The full list is back, as entry lines with their initials.
    QCOMPARE(entryNumbers(controls(*m_form).List2).size(), kTvNames.size());
    QCOMPARE(controls(*m_form).List2->List(0), QStringLiteral("0000.湖南卫视            HNWS"));
    QVERIFY(inStep(controls(*m_form).List2, m_form->TvLine(), m_form->TvUrl(), tvUrl));
    QCOMPARE(m_form->TvUrl(), m_form->TvUrlAll());
}

// Emptying an empty box is no change: the start-up rows stay.
void tst_QuickSelect::idleClearingOfAnEmptyBox()
{
    const QStringList startRows = listRows(controls(*m_form).List2);
    QCOMPARE(startRows.first(), QStringLiteral("0000.湖南卫视"));
    quickSelect()->Timer3_Timer();
    QCOMPARE(listRows(controls(*m_form).List2), startRows);
    QVERIFY(!controls(*m_form).Timer3->isActive());
}

void tst_QuickSelect::changeRestartsIdleTimer()
{
    controls(*m_form).Timer3->stop();
    type(QStringLiteral("h"));
    QVERIFY(controls(*m_form).Timer3->isActive());
    QCOMPARE(controls(*m_form).Timer3->interval(), 9000);
    QVERIFY(controls(*m_form).Timer3->remainingTime() > 8000);
    controls(*m_form).Text5->clear();
    QVERIFY(controls(*m_form).Timer3->isActive());
}

void tst_QuickSelect::focusKeeper()
{
    QLineEdit *box = controls(*m_form).Text5;
    QVERIFY(box->geometry().intersects(controls(*m_form).WebBrowser1->geometry()));
    QCOMPARE(controls(*m_form).qugg->text(), QStringLiteral("快速选台"));
    QVERIFY(!controls(*m_form).Timer2->isActive());

    controls(*m_form).qugg->trigger();
    QCOMPARE(controls(*m_form).qugg->text(), QStringLiteral("快速选台√"));
    QVERIFY(controls(*m_form).Timer2->isActive());
    QCOMPARE(controls(*m_form).Timer2->interval(), 1000);

    // Switched on while the login dialog had already started the focus keeper:
    // its countdown goes on.
    controls(*m_form).qugg->trigger();
    controls(*m_form).Timer2->start();
    QTest::qWait(300);
    const int remaining = controls(*m_form).Timer2->remainingTime();
    controls(*m_form).qugg->trigger();
    QVERIFY(controls(*m_form).Timer2->remainingTime() <= remaining);

    // Empty: focused, behind the views.
    quickSelect()->Timer2_Timer();
    QCOMPARE(m_form->focusWidget(), box);
    QVERIFY(isAbove(controls(*m_form).WebBrowser1, box));
    QVERIFY(isAbove(controls(*m_form).List2, box));

    // Holding text: in front of them.
    type(QStringLiteral("ws"));
    quickSelect()->Timer2_Timer();
    QCOMPARE(m_form->focusWidget(), box);
    QVERIFY(isAbove(box, controls(*m_form).WebBrowser1));
    QVERIFY(isAbove(box, controls(*m_form).List2));

    // Switching off sends the box back but leaves text and list as they are.
    controls(*m_form).qugg->trigger();
    QCOMPARE(controls(*m_form).qugg->text(), QStringLiteral("快速选台"));
    QVERIFY(!controls(*m_form).Timer2->isActive());
    QVERIFY(isAbove(controls(*m_form).WebBrowser1, box));
    QCOMPARE(box->text(), QStringLiteral("ws"));
    QCOMPARE(entryNumbers(controls(*m_form).List2), (QList<int>{0, 3, 5, 7}));

    // Emptied again while on: back behind the views on the next tick.
    controls(*m_form).qugg->trigger();
    quickSelect()->Timer2_Timer();
    QVERIFY(isAbove(box, controls(*m_form).WebBrowser1));
    quickSelect()->Timer3_Timer();
    quickSelect()->Timer2_Timer();
    QVERIFY(isAbove(controls(*m_form).WebBrowser1, box));
}

// After every change a click on row r plays the r-th match.
void tst_QuickSelect::rowsAndTablesInStep()
{
    ListBox *list = controls(*m_form).List2;
    const QStringList steps = {QStringLiteral("w"),   QStringLiteral("ws"),  QStringLiteral("w"),
                               QStringLiteral(""),    QStringLiteral(" "),   QStringLiteral("0"),
                               QStringLiteral("00"),  QStringLiteral("001"), QStringLiteral("0012"),
                               QStringLiteral("s"),   QStringLiteral("xyz"), QStringLiteral("卫"),
                               QStringLiteral("S"),   QStringLiteral("")};
    for (const QString &text : steps) {
        controls(*m_form).Text5->setText(text);
        QVERIFY2(inStep(list, m_form->TvLine(), m_form->TvUrl(), tvUrl), qPrintable(text));
        for (int r = list->ListCount() - 1; r >= 0 && r >= list->ListCount() - 2; --r) {
            player()->navigations.clear();
            const QRect rect = list->visualRect(list->model()->index(r, 0));
            QVERIFY(rect.isValid());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
            QCOMPARE(list->ListIndex(), r);
            QCOMPARE(player()->navigations, QStringList{m_form->TvUrl().at(r)});
        }
    }
}

// An entry that lost its URL (a downloaded list whose URL line was empty)
// keeps its row, plays nothing, and later matches still show.
void tst_QuickSelect::emptyUrlHidesNothing()
{
    ChannelEntries entries;
    for (int n = 0; n < kTvNames.size(); ++n)
        entries.append(kTvNames[n], n == 5 ? QString() : tvUrl(n));
    Rig rig(std::move(entries));
    rig.box->setText(QStringLiteral("ws"));
    QCOMPARE(entryNumbers(rig.list), (QList<int>{0, 3, 5, 7}));
    QCOMPARE(rig.tv.Url(), (QStringList{tvUrl(0), tvUrl(3), QString(), tvUrl(7)}));

    rig.box->setText(QStringLiteral("dfws"));
    QCOMPARE(entryNumbers(rig.list), QList<int>{5});
    QTest::keyClick(rig.box, Qt::Key_Return);
    QVERIFY(rig.played.isEmpty());
}

// A directory far longer than the list box lays out in one pass: the rows
// are all there at once, the layout catches up, and clicks play the right URL.
void tst_QuickSelect::longDirectory()
{
    const int count = 30000;
    ChannelEntries entries;
    for (int n = 0; n < count; ++n)
        entries.append(QStringLiteral("频道%1").arg(n), tvUrl(n));
    Rig rig(std::move(entries));
    ListBox *list = rig.list;
    QObject::connect(list, &ListBox::Click, &rig.window, [&rig] { rig.played.append(rig.tv.urlAt(rig.list->ListIndex())); });

    rig.box->setText(QStringLiteral("pd"));
    QCOMPARE(list->ListCount(), count);
    QVERIFY(inStep(list, rig.tv.Line(), rig.tv.Url(), tvUrl));

    rig.box->setText(QStringLiteral("9"));
    QVERIFY(list->ListCount() > 10000);
    QVERIFY(inStep(list, rig.tv.Line(), rig.tv.Url(), tvUrl));
    const int last = list->ListCount() - 1;
    QCOMPARE(list->List(last), rig.tv.LineAll().at(count - 1));
    const auto lastRowShown = [&] {
        list->scrollToBottom();
        return list->visualRect(list->model()->index(last, 0)).intersects(list->viewport()->rect());
    };
    QTRY_VERIFY(lastRowShown());
    rig.played.clear();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(last, 0)).center());
    QCOMPARE(rig.played, QStringList{tvUrl(count - 1)});
}

QTEST_MAIN(tst_QuickSelect)
#include "tst_quickselect.moc"
