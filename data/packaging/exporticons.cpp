// Writes the program's icon for the desktop's icon theme: PNGs of the sizes
// given and, where Qt's SVG module is there, a scalable SVG, all painted by
// the same code as the window icon.
//
// Usage: kelvaro_icons OUTPUT_FOLDER SIZE...
#include "resources/artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#ifdef KELVARO_HAVE_SVG
#include <QSvgGenerator>
#endif

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: kelvaro_icons OUTPUT_FOLDER SIZE...\n");
        return 2;
    }
    const QDir out(arguments.at(1));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kelvaro_icons: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    for (int i = 2; i < arguments.size(); ++i) {
        bool ok = false;
        const int size = arguments.at(i).toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "kelvaro_icons: bad size %s\n", qPrintable(arguments.at(i)));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        Artwork::paintAppIcon(painter, size);
        painter.end();
        const QString file = out.filePath(QStringLiteral("kelvaro-%1.png").arg(size));
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "kelvaro_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
#ifdef KELVARO_HAVE_SVG
    const QString svgFile = out.filePath(QStringLiteral("kelvaro.svg"));
    QSvgGenerator svg;
    svg.setFileName(svgFile);
    svg.setSize(QSize(64, 64));
    svg.setViewBox(QRectF(0, 0, 64, 64));
    svg.setTitle(QStringLiteral("Kelvaro"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        std::fprintf(stderr, "kelvaro_icons: cannot write %s\n", qPrintable(svgFile));
        return 1;
    }
    Artwork::paintAppIcon(painter, 64);
    painter.end();
#endif
    return 0;
}
