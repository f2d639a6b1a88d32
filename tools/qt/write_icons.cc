// palvane2-write-icons DIR: writes the application icon's images as DIR/16x16/palvane2.png
// and DIR/32x32/palvane2.png, the layout of a desktop icon theme.
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
    for (int size : {16, 32}) {
        const IconImage* image = FindIconImage(&AppIcon(), size);
        const QString sub = QStringLiteral("%1x%1").arg(size);
        if (!image || image->width != size || !dir.mkpath(sub) ||
            !qtui::ToQImage(*image).save(dir.filePath(sub + "/palvane2.png"), "PNG")) {
            std::fprintf(stderr, "palvane2-write-icons: no %dx%d icon written\n", size, size);
            return 1;
        }
    }
    return 0;
}
