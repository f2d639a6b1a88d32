#include "ui/qt/icons.h"

#include <QPixmap>

namespace qtui {

QImage ToQImage(const IconImage& image) {
    if (image.width <= 0 || image.height <= 0) return QImage();
    QImage out(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < image.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * image.width + x;
            if (i < image.mask.size() && image.mask[i]) {
                line[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            const BYTE index = i < image.indices.size() ? image.indices[i] : 0;
            if (index < image.colors.size()) {
                const RGBQUAD& c = image.colors[index];
                line[x] = qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
            } else {
                line[x] = qRgb(0, 0, 0);
            }
        }
    }
    return out;
}

QIcon ToQIcon(HICON icon) {
    QIcon qicon;
    if (!icon) return qicon;
    for (const IconImage& image : icon->images) {
        const QImage converted = ToQImage(image);
        if (!converted.isNull()) qicon.addPixmap(QPixmap::fromImage(converted));
    }
    return qicon;
}

}  // namespace qtui
