#include "quickselect.h"

#include "platform/listbox.h"
#include "webview/webview.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

QuickSelect::QuickSelect(const QuickSelectControls &controls, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
{
    setObjectName(QStringLiteral("quickSelect"));
    if (m_controls.Text5)
        m_controls.Text5->installEventFilter(this);
}

bool QuickSelect::tvSelected() const
{
    return m_controls.ListMode && m_controls.ListMode() == 1;
}

void QuickSelect::qugg_Click()
{
    QAction *item = m_controls.qugg;
    if (!item)
        return;
    const bool on = item->text() == QString::fromUtf8(OnCaption);
    item->setText(QString::fromUtf8(on ? OffCaption : OnCaption));
    if (on) {
        if (m_controls.Timer2)
            m_controls.Timer2->stop();
        if (m_controls.Text5)
            m_controls.Text5->lower();
        return;
    }
    // A focus keeper the login dialog has already switched on keeps its beat.
    if (m_controls.Timer2 && !m_controls.Timer2->isActive())
        m_controls.Timer2->start();
    prepareFilter();
}

// Builds the search text of the current directory ahead of the keys, so that
// the first key after a new list does not wait for it.
void QuickSelect::prepareFilter()
{
    try {
        if (tvSelected()) {
            if (m_controls.Tv)
                m_tvFilter.prepare(*m_controls.Tv);
        } else if (m_controls.Radio) {
            m_radioFilter.prepare(*m_controls.Radio);
        }
    } catch (...) {
        // Out of memory: the first key builds the search text instead.
    }
}

void QuickSelect::Text5_Change()
{
    try {
        rebuildList();
    } catch (...) {
        // Out of memory while copying the matches: the list stays as it was.
    }
    restartIdleTimer();
}

void QuickSelect::rebuildList()
{
    const bool tv = tvSelected();
    ListBox *list = tv ? m_controls.List2 : m_controls.List1;
    ChannelTables *tables = tv ? m_controls.Tv : m_controls.Radio;
    if (!list || !tables || !m_controls.Text5)
        return;
    const QString text = m_controls.Text5->text();
    FilterResult result = (tv ? m_tvFilter : m_radioFilter).apply(*tables, text);
    list->setItems(result.Line);
    tables->Url = std::move(result.Url);
    tables->Line = std::move(result.Line);
    const bool filtered = !filterKey(text).isEmpty();
    if (filtered && tables->Url.size() == 1 && m_controls.WebBrowser1 && !tables->Url.at(0).isEmpty())
        m_controls.WebBrowser1->Navigate(tables->Url.at(0));
}

void QuickSelect::restartIdleTimer()
{
    if (!m_controls.Timer3)
        return;
    m_controls.Timer3->stop();
    m_controls.Timer3->start();
}

void QuickSelect::Text5_KeyUp(int keyCode)
{
    if (keyCode != KeyEnter && keyCode != KeySpace)
        return;
    if (!m_controls.Text5 || m_controls.Text5->text().isEmpty() || !m_controls.ListMode)
        return;
    const int mode = m_controls.ListMode();
    if (mode == 1)
        playFirstRow(m_controls.List2, m_controls.Tv);
    else if (mode == 2)
        playFirstRow(m_controls.List1, m_controls.Radio);
}

// An empty list (a key that matched nothing) has no first row to play.
void QuickSelect::playFirstRow(const ListBox *list, const ChannelTables *tables)
{
    if (!list || !tables || !m_controls.WebBrowser1)
        return;
    if (list->ListCount() == 0 || tables->Url.isEmpty() || tables->Url.at(0).isEmpty())
        return;
    m_controls.WebBrowser1->Navigate(tables->Url.at(0));
}

void QuickSelect::Timer2_Timer()
{
    QLineEdit *box = m_controls.Text5;
    if (!box)
        return;
    box->setFocus(Qt::OtherFocusReason);
    if (box->text().isEmpty())
        box->lower();
    else
        box->raise();
    prepareFilter();
}

void QuickSelect::Timer3_Timer()
{
    // Setting an empty box to empty is no change: the list stays as it is.
    if (m_controls.Text5)
        m_controls.Text5->setText(QString());
    if (m_controls.Timer3)
        m_controls.Timer3->stop();
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
    if (watched == m_controls.Text5 && event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            Text5_KeyUp(keyCode(key->key()));
    }
    return QObject::eventFilter(watched, event);
}
