#include "quickselect.h"

#include "directory/channeldirectory.h"
#include "quickselect/filter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace {

QTimer *makeTimer(QObject *parent, const char *name, int interval)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    return timer;
}

} // namespace

QuickSelect::QuickSelect(QLineEdit &Text5, ChannelDirectory &tv, ChannelDirectory &radio, QObject *parent)
    : QObject(parent)
    , m_box(Text5)
    , m_tv(tv)
    , m_radio(radio)
    , m_focusTimer(makeTimer(this, "Timer2", 1000))
    , m_idleTimer(makeTimer(this, "Timer3", 9000))
{
    setObjectName(QStringLiteral("quickSelect"));
    m_box.installEventFilter(this);
    connect(&m_box, &QLineEdit::textChanged, this, &QuickSelect::Text5_Change);
    connect(m_focusTimer, &QTimer::timeout, this, &QuickSelect::Timer2_Timer);
    connect(m_idleTimer, &QTimer::timeout, this, &QuickSelect::Timer3_Timer);
}

QLineEdit *QuickSelect::makeBox(QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("Text5"));
    box->setFocusPolicy(Qt::ClickFocus);
    QFont font(QStringLiteral("宋体"));
    font.setStyleHint(QFont::Serif);
    font.setBold(true);
    font.setPointSize(15);
    box->setFont(font);
    box->setStyleSheet(QStringLiteral("QLineEdit { background-color: #000000; color: #FF0000; border: 0; padding: 0; }"));
    return box;
}

ChannelDirectory &QuickSelect::current() const { return m_mode == ViewMode::Tv ? m_tv : m_radio; }

void QuickSelect::qugg_Click(bool on)
{
    keepFocus(on);
    if (!on)
        m_box.lower();
}

void QuickSelect::keepFocus(bool on)
{
    if (!on)
        m_focusTimer->stop();
    else if (!m_focusTimer->isActive()) // a running focus keeper keeps its beat
        m_focusTimer->start();
}

void QuickSelect::startIdleTimer() { m_idleTimer->start(); }

void QuickSelect::Text5_Change()
{
    try {
        rebuildList();
    } catch (...) {
        // Out of memory while listing the matches: the list stays as it was.
    }
    restartIdleTimer();
}

void QuickSelect::rebuildList()
{
    ChannelDirectory &directory = current();
    const QString text = m_box.text();
    directory.setRows(directory.matches(text), ChannelDirectory::RowText::EntryLine);
    const bool filtered = !filterKey(text).isEmpty();
    if (filtered && directory.rowCount() == 1 && !directory.urlAt(0).isEmpty())
        Q_EMIT play(&directory, 0);
}

void QuickSelect::restartIdleTimer()
{
    m_idleTimer->stop();
    m_idleTimer->start();
}

void QuickSelect::Text5_KeyUp(int keyCode)
{
    if (keyCode != KeyEnter && keyCode != KeySpace)
        return;
    if (m_box.text().isEmpty() || m_mode == ViewMode::PlayerOnly)
        return;
    // An empty list (a key that matched nothing) has no first row to play.
    if (!current().urlAt(0).isEmpty())
        Q_EMIT play(&current(), 0);
}

void QuickSelect::Timer2_Timer()
{
    m_box.setFocus(Qt::OtherFocusReason);
    if (m_box.text().isEmpty())
        m_box.lower();
    else
        m_box.raise();
}

void QuickSelect::Timer3_Timer()
{
    // Setting an empty box to empty is no change: the list stays as it is.
    m_box.setText(QString());
    m_idleTimer->stop();
}

int QuickSelect::keyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyEnter;
    case Qt::Key_Space:
        return KeySpace;
    default:
        // Letters and digits carry the same codes; other keys matter to no one.
        return qtKey < 0x80 ? qtKey : 0;
    }
}

bool QuickSelect::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_box && event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            Text5_KeyUp(keyCode(key->key()));
    }
    return QObject::eventFilter(watched, event);
}
