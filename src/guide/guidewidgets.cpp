#include "guidewidgets.h"

#include "guidetext.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kMargin = 8;

QString dayCaption(const QString &word, QDate day)
{
    return word + QLatin1Char(' ') + QLocale(QLocale::Chinese, QLocale::China).toString(day, QStringLiteral("M月d日 dddd"));
}

void addDayRow(QListWidget *list, const QString &caption)
{
    auto *row = new QListWidgetItem(caption, list);
    row->setFlags(Qt::ItemIsEnabled);
    QFont font = row->font();
    font.setBold(true);
    row->setFont(font);
    row->setBackground(list->palette().alternateBase());
}

} // namespace

GuideLine::GuideLine(QWidget *player)
    : QLabel(player)
    , m_hide(new QTimer(this))
{
    setObjectName(QStringLiteral("guideLine"));
    setAccessibleDescription(QStringLiteral("节目指南"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setStyleSheet(QStringLiteral(
        "QLabel { background-color: rgba(0, 0, 0, 180); color: white; padding: 6px 12px; border-radius: 6px; }"));
    hide();
    m_hide->setObjectName(QStringLiteral("guideLineTimer"));
    m_hide->setSingleShot(true);
    m_hide->setInterval(ShownMs);
    connect(m_hide, &QTimer::timeout, this, &QWidget::hide);
    player->installEventFilter(this);
}

void GuideLine::showLine(const QString &text)
{
    if (text.isEmpty()) {
        m_hide->stop();
        hide();
        return;
    }
    setText(text);
    place();
    show();
    // Above the player's pictures, which it places on every resize.
    raise();
    m_hide->start();
}

bool GuideLine::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize && isVisible())
        place();
    return QLabel::eventFilter(watched, event);
}

// One line when it fits the player, else wrapped to the player's width.
void GuideLine::place()
{
    const int room = qMax(1, parentWidget()->width() - 2 * kMargin);
    setWordWrap(false);
    const QSize oneLine = sizeHint();
    setWordWrap(oneLine.width() > room);
    const int width = qMin(oneLine.width(), room);
    setGeometry(kMargin, kMargin, width, wordWrap() ? heightForWidth(width) : oneLine.height());
}

GuideScheduleDialog::GuideScheduleDialog(const QString &entryName, const GuideSchedule &schedule, QDate today,
                                         QWidget *parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("guideSchedule"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("节目单 - ") + entryName);
    m_list->setObjectName(QStringLiteral("scheduleList"));
    m_list->setAccessibleName(QStringLiteral("节目单"));
    m_list->setUniformItemSizes(true);

    const QDate tomorrow = today.addDays(1);
    addDayRow(m_list, dayCaption(QStringLiteral("今天"), today));
    bool tomorrowShown = false;
    for (qsizetype i = 0; i < schedule.items.size(); ++i) {
        const GuideSlot &slot = schedule.items.at(i);
        if (!tomorrowShown && slot.start.toLocalTime().date() >= tomorrow) {
            addDayRow(m_list, dayCaption(QStringLiteral("明天"), tomorrow));
            tomorrowShown = true;
        }
        const bool current = i == schedule.current;
        auto *row = new QListWidgetItem(
            (current ? QStringLiteral("正在播出 ") : QString()) + guideSlotText(slot), m_list);
        row->setToolTip(slot.description);
        if (current) {
            QFont font = row->font();
            font.setBold(true);
            row->setFont(font);
            m_list->setCurrentItem(row);
        }
    }
    if (!tomorrowShown)
        addDayRow(m_list, dayCaption(QStringLiteral("明天"), tomorrow));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(420, 520);
}

// Only a list laid out at its size can bring the running programme to its middle.
void GuideScheduleDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_list->currentItem())
        m_list->scrollToItem(m_list->currentItem(), QAbstractItemView::PositionAtCenter);
}

GuideSourceDialog::GuideSourceDialog(const QString &current, QWidget *parent)
    : QDialog(parent)
    , m_source(new QLineEdit(current, this))
{
    setObjectName(QStringLiteral("guideSourceDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("节目指南来源"));
    m_source->setObjectName(QStringLiteral("guideSourceBox"));
    m_source->setAccessibleName(QStringLiteral("节目指南的网址或文件"));
    m_source->setPlaceholderText(QStringLiteral("http://… 或 .xml / .xml.gz 文件"));
    m_source->setMinimumWidth(360);
    auto *browse = new QPushButton(QStringLiteral("浏览…"), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    connect(browse, &QPushButton::clicked, this, &GuideSourceDialog::browse);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto check = [this, ok] { ok->setEnabled(acceptable(m_source->text())); };
    connect(m_source, &QLineEdit::textChanged, this, check);
    check();

    auto *row = new QHBoxLayout;
    row->addWidget(m_source, 1);
    row->addWidget(browse);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("节目指南的网址或文件（留空则使用播放列表或服务器的节目指南）："), this);
    label->setBuddy(m_source);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

QString GuideSourceDialog::source() const { return m_source->text().trimmed(); }

bool GuideSourceDialog::acceptable(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return true;
    const QUrl url(t, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https")
        return url.isValid() && !url.host().isEmpty();
    if (scheme == u"file")
        return url.isValid() && QFileInfo(url.toLocalFile()).isFile();
    return QFileInfo(t).isFile();
}

void GuideSourceDialog::browse()
{
    const QFileInfo now(m_source->text().trimmed());
    auto *dialog = new QFileDialog(this, QStringLiteral("选择节目指南文件"), now.isFile() ? now.absolutePath() : QString(),
                                   QStringLiteral("节目指南 (*.xml *.xml.gz *.gz);;所有文件 (*)"));
    dialog->setObjectName(QStringLiteral("guideFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, m_source, &QLineEdit::setText);
    dialog->open();
}
