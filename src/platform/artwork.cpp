#include "artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace artwork {

void paintGem(QPainter &p, const QColor &gem)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF frame({{16, 1}, {31, 16}, {16, 31}, {1, 16}});
    QLinearGradient gold(0, 0, 32, 32);
    gold.setColorAt(0, QColor(0xFF, 0xE0, 0x70));
    gold.setColorAt(0.5, QColor(0xD4, 0xA0, 0x17));
    gold.setColorAt(1, QColor(0x8C, 0x64, 0x0A));
    p.setPen(QPen(QColor(0x6E, 0x4E, 0x08), 1));
    p.setBrush(gold);
    p.drawPolygon(frame);

    const QPolygonF stone({{16, 7}, {25, 16}, {16, 25}, {7, 16}});
    QRadialGradient shine(13, 13, 12);
    shine.setColorAt(0, gem.lighter(170));
    shine.setColorAt(0.6, gem);
    shine.setColorAt(1, gem.darker(160));
    p.setPen(QPen(gem.darker(200), 1));
    p.setBrush(shine);
    p.drawPolygon(stone);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawPolygon(QPolygonF({{16, 9}, {19, 12}, {16, 15}, {13, 12}}));
}

QPixmap gemPixmap(const QColor &gem)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    paintGem(p, gem);
    return pixmap;
}

QIcon gemIcon(const QColor &gem)
{
    return QIcon(gemPixmap(gem));
}

QPixmap handlePixmap()
{
    QPixmap pixmap(5, 53);
    pixmap.fill(QColor(0x1E, 0x9E, 0x3C));
    QPainter p(&pixmap);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{1, 22}, {4, 26}, {1, 30}}));
    return pixmap;
}

QIcon starIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    constexpr double kPi = 3.14159265358979323846;
    QPolygonF star;
    // Points alternate between the outer and the inner circle, the first at the top.
    for (int k = 0; k < 10; ++k) {
        const double radius = k % 2 == 0 ? 7.5 : 3.1;
        const double angle = kPi / 5 * k - kPi / 2;
        star << QPointF(8 + radius * std::cos(angle), 8.4 + radius * std::sin(angle));
    }
    p.setPen(QPen(QColor(0xB0, 0x78, 0x00), 1));
    p.setBrush(QColor(0xFF, 0xC8, 0x20));
    p.drawPolygon(star);
    return QIcon(pixmap);
}

} // namespace artwork
