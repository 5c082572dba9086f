// Writes the program's icon into an icon-theme tree for the package: hicolor/<n>x<n>/apps/jsjxc.png
// at the theme's sizes and hicolor/scalable/apps/jsjxc.svg, all painted by the program's own icon code.
//   jsjxc_icons <output folder>
#include "app/startup.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: jsjxc_icons <output folder>\n");
        return 2;
    }
    const QDir theme(arguments[1] + QStringLiteral("/hicolor"));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = theme.filePath(QStringLiteral("%1x%1/apps").arg(size));
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            paintProgramIcon(painter, size);
        }
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/jsjxc.png"), "PNG")) {
            std::fprintf(stderr, "cannot write %s/jsjxc.png\n", qPrintable(folder));
            return 1;
        }
    }
    const QString scalable = theme.filePath(QStringLiteral("scalable/apps"));
    if (!QDir().mkpath(scalable)) return 1;
    QSvgGenerator svg;
    svg.setFileName(scalable + QStringLiteral("/jsjxc.svg"));
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("嘉穗进销存"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        std::fprintf(stderr, "cannot write %s/jsjxc.svg\n", qPrintable(scalable));
        return 1;
    }
    paintProgramIcon(painter, 256);
    return painter.end() ? 0 : 1;
}
