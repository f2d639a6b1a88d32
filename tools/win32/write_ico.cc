// palvane2-write-ico ICO: writes the application icon's images as an icon file, which the
// program file carries as its icon for the system's shell.
#include <cstdio>
#include <fstream>
#include <vector>

#include "app/app_resources.h"

namespace {

void Put(std::vector<unsigned char>& out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// One image as the file stores it: a header of twice the height, the colour table, the
// colour indices and the transparency mask, rows bottom-up and padded to 4 bytes.
std::vector<unsigned char> ImageBytes(const IconImage& image) {
    const int bits = image.bitCount <= 4 ? 4 : 8;
    const unsigned colorStride = ((static_cast<unsigned>(image.width) * bits + 31) / 32) * 4;
    const unsigned maskStride = ((static_cast<unsigned>(image.width) + 31) / 32) * 4;
    const unsigned h = static_cast<unsigned>(image.height);
    std::vector<unsigned char> out;
    Put(out, 40, 4);
    Put(out, static_cast<unsigned>(image.width), 4);
    Put(out, 2 * h, 4);
    Put(out, 1, 2);
    Put(out, static_cast<unsigned>(bits), 2);
    Put(out, 0, 4);
    Put(out, (colorStride + maskStride) * h, 4);
    for (int i = 0; i < 4; ++i) Put(out, 0, 4);
    for (unsigned i = 0; i < (1u << bits); ++i) {
        const RGBQUAD c = i < image.colors.size() ? image.colors[i] : RGBQUAD{0, 0, 0, 0};
        for (BYTE b : {c.rgbBlue, c.rgbGreen, c.rgbRed, BYTE{0}}) out.push_back(b);
    }
    const auto at = [&](const std::vector<BYTE>& plane, int x, int y) -> unsigned {
        const size_t i = static_cast<size_t>(y) * image.width + x;
        return i < plane.size() ? plane[i] : 0;
    };
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<unsigned char> row(colorStride, 0);
        for (int x = 0; x < image.width; ++x) {
            const unsigned index = at(image.indices, x, y) & ((1u << bits) - 1);
            if (bits == 8)
                row[x] = static_cast<unsigned char>(index);
            else
                row[x / 2] |= static_cast<unsigned char>(x % 2 ? index : index << 4);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<unsigned char> row(maskStride, 0);
        for (int x = 0; x < image.width; ++x)
            if (at(image.mask, x, y)) row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: palvane2-write-ico ICO\n");
        return 2;
    }
    const std::vector<IconImage>& images = AppIcon().images;
    std::vector<std::vector<unsigned char>> data;
    for (const IconImage& image : images) data.push_back(ImageBytes(image));
    std::vector<unsigned char> file;
    Put(file, 0, 2);
    Put(file, 1, 2);  // an icon
    Put(file, static_cast<unsigned>(images.size()), 2);
    unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const IconImage& image = images[i];
        file.push_back(static_cast<unsigned char>(image.width & 0xFF));
        file.push_back(static_cast<unsigned char>(image.height & 0xFF));
        file.push_back(image.bitCount <= 4 ? 16 : 0);
        file.push_back(0);
        Put(file, 1, 2);
        Put(file, image.bitCount <= 4 ? 4 : 8, 2);
        Put(file, static_cast<unsigned>(data[i].size()), 4);
        Put(file, offset, 4);
        offset += static_cast<unsigned>(data[i].size());
    }
    for (const auto& d : data) file.insert(file.end(), d.begin(), d.end());
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out) {
        std::fprintf(stderr, "palvane2-write-ico: %s not written\n", argv[1]);
        return 1;
    }
    return 0;
}
