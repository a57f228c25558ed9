#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

class QPainter;

// Pictures the program draws itself.
namespace artwork {

inline const QColor PinkGem(0xF0, 0x5A, 0x9C);
inline const QColor GreenGem(0x2E, 0xB8, 0x5C);

// The gem of the window icon, drawn in a 32 x 32 square of the painter's
// coordinates: a gem of the given colour in a golden diamond frame. Scale
// the painter for other sizes.
void paintGem(QPainter &p, const QColor &gem);

// 32 x 32 window icon: paintGem() on a transparent picture.
QPixmap gemPixmap(const QColor &gem);
QIcon gemIcon(const QColor &gem);

// 5 x 53 list-panel handle: a green vertical bar with a white triangle
// pointing right.
QPixmap handlePixmap();

// 16 x 16 mark of a favourite: a golden five-pointed star with a darker rim
// on a transparent picture.
QIcon starIcon();

} // namespace artwork
