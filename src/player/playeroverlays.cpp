#include "playeroverlays.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kStateFadeMs = 3000;
constexpr int kVolumeShownMs = 1500;

QTimer *singleShot(QObject *parent, int ms)
{
    auto *timer = new QTimer(parent);
    timer->setSingleShot(true);
    timer->setInterval(ms);
    return timer;
}

void styleOverlay(QLabel *label, const char *name)
{
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet(QStringLiteral(
        "QLabel { background-color: rgba(0, 0, 0, 170); color: white; padding: 4px 12px; border-radius: 6px; }"));
    label->hide();
}

} // namespace

StateLine::StateLine(QWidget *parent)
    : QLabel(parent)
    , m_fade(singleShot(this, kStateFadeMs))
{
    styleOverlay(this, "StreamState");
    setAccessibleDescription(QStringLiteral("播放状态"));
    connect(m_fade, &QTimer::timeout, this, &QWidget::hide);
}

void StateLine::showState(const QString &text, bool fade)
{
    setText(text);
    adjustSize();
    setVisible(!text.isEmpty());
    if (fade)
        m_fade->start();
    else
        m_fade->stop();
}

VolumeOsd::VolumeOsd(QWidget *parent)
    : QLabel(parent)
    , m_hide(singleShot(this, kVolumeShownMs))
{
    styleOverlay(this, "VolumeOsd");
    setAccessibleDescription(QStringLiteral("音量"));
    connect(m_hide, &QTimer::timeout, this, &QWidget::hide);
}

void VolumeOsd::showVolume(int volume, bool muted)
{
    setText(muted ? QStringLiteral("静音") : QStringLiteral("音量 %1%").arg(volume));
    adjustSize();
    show();
    raise();
    m_hide->start();
}

RadioCard::RadioCard(QWidget *parent)
    : QWidget(parent)
    , m_station(new QLabel(this))
    , m_title(new QLabel(this))
{
    setObjectName(QStringLiteral("RadioCard"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_station->setObjectName(QStringLiteral("StationName"));
    m_title->setObjectName(QStringLiteral("NowPlaying"));
    m_station->setAccessibleDescription(QStringLiteral("电台"));
    m_title->setAccessibleDescription(QStringLiteral("正在播放的节目"));
    for (QLabel *label : {m_station, m_title}) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
    }
    m_station->setStyleSheet(QStringLiteral("color: #F4F1E8; font-size: 22pt;"));
    m_title->setStyleSheet(QStringLiteral("color: #CFE3E0; font-size: 14pt;"));
    auto *layout = new QVBoxLayout(this);
    layout->addStretch(2);
    layout->addWidget(m_station);
    layout->addSpacing(12);
    layout->addWidget(m_title);
    layout->addStretch(3);
}

void RadioCard::setStation(const QString &name, const QString &nowPlaying)
{
    m_station->setText(name);
    m_title->setText(nowPlaying);
}

void RadioCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0x1B, 0x2A, 0x41));
    sky.setColorAt(1, QColor(0x24, 0x5A, 0x5E));
    painter.fillRect(rect(), sky);
    // Three soft waves across the lower part.
    for (int wave = 0; wave < 3; ++wave) {
        QPainterPath path;
        const double base = height() * (0.72 + 0.08 * wave);
        const double amplitude = height() * 0.025;
        auto y = [&](int x) {
            return base + amplitude * std::sin(x / double(qMax(1, width())) * 6.283 * (1.5 + wave) + wave);
        };
        path.moveTo(0, y(0));
        for (int x = 8; x < width(); x += 8)
            path.lineTo(x, y(x));
        path.lineTo(width(), y(width()));
        path.lineTo(width(), height());
        path.lineTo(0, height());
        path.closeSubpath();
        painter.fillPath(path, QColor(255, 255, 255, 14 + 8 * wave));
    }
}
