// palvane2-write-icons DIR: writes the application icon as DIR/NxN/palvane2.png in the
// sizes of a desktop icon theme. The program's own images (16 and 32 pixels) are drawn
// larger pixel for pixel, so the icon keeps its sharp edges.
#include <QDir>
#include <QImage>
#include <cstdio>

#include "app/app_resources.h"
#include "ui/qt/icons.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: palvane2-write-icons DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    // Each size from the image it is a whole multiple of.
    const struct {
        int size, from;
    } sizes[] = {{16, 16}, {32, 32}, {48, 16}, {64, 32}, {128, 32}, {256, 32}};
    for (const auto& s : sizes) {
        const IconImage* image = FindIconImage(&AppIcon(), s.from);
        const QString sub = QStringLiteral("%1x%1").arg(s.size);
        if (!image || image->width != s.from || !dir.mkpath(sub) ||
            !qtui::ToQImage(*image)
                 .scaled(s.size, s.size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                 .save(dir.filePath(sub + "/palvane2.png"), "PNG")) {
            std::fprintf(stderr, "palvane2-write-icons: no %dx%d icon written\n", s.size, s.size);
            return 1;
        }
    }
    return 0;
}
