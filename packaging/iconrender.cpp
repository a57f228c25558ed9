// Renders the application icon for the desktop's icon theme from the gem the
// program draws for its window: PNG files at the theme's usual sizes and one
// SVG file, laid out as hicolor/<size>/apps/<name>.<ext> below a folder.
//
//   chengyu-icons OUTPUT_FOLDER ICON_NAME

#include "platform/artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr double kDrawnSize = 32.0;

bool writePng(const QString &folder, const QString &name, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.scale(size / kDrawnSize, size / kDrawnSize);
        artwork::paintGem(p, artwork::PinkGem);
    }
    const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(folder).arg(size);
    return QDir().mkpath(dir) && image.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

bool writeSvg(const QString &folder, const QString &name)
{
    const QString dir = folder + QStringLiteral("/hicolor/scalable/apps");
    if (!QDir().mkpath(dir))
        return false;
    QSvgGenerator svg;
    svg.setFileName(dir + QLatin1Char('/') + name + QStringLiteral(".svg"));
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRectF(0, 0, kDrawnSize, kDrawnSize));
    svg.setTitle(QStringLiteral("澄屿高清网络电视"));
    QPainter p;
    if (!p.begin(&svg))
        return false;
    artwork::paintGem(p, artwork::PinkGem);
    return p.end();
}

} // namespace

int main(int argc, char *argv[])
{
    // A build machine has no display; drawing needs none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: chengyu-icons OUTPUT_FOLDER ICON_NAME\n", stderr);
        return 2;
    }
    bool ok = writeSvg(args[1], args[2]);
    for (int size : kSizes)
        ok = writePng(args[1], args[2], size) && ok;
    if (!ok)
        std::fputs("chengyu-icons: cannot write the icons\n", stderr);
    return ok ? 0 : 1;
}
