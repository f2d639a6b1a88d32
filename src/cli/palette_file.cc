#include "cli/palette_file.h"

#include <cstdio>

namespace {

constexpr int kColours = 256;
constexpr int kSwatchSide = 16;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

}  // namespace

std::optional<PaletteFormat> PaletteFormatOf(const std::string& path) {
    const std::string ext = Lower(path.size() < 4 ? path : path.substr(path.size() - 4));
    if (ext == ".gpl") return PaletteFormat::gimp;
    if (ext == ".pal") return PaletteFormat::jasc;
    if (ext == ".png") return PaletteFormat::swatch;
    return std::nullopt;
}

std::string GimpPaletteText(const BYTE* rgb, const std::string& utf8Name) {
    std::string text = "GIMP Palette\nName: " + utf8Name + "\nColumns: 16\n#\n";
    char line[32];
    for (int k = 0; k < kColours; ++k, rgb += 3) {
        std::snprintf(line, sizeof line, "%3d %3d %3d\tIndex %d\n", rgb[0], rgb[1], rgb[2], k);
        text += line;
    }
    return text;
}

// CR LF line ends, as the programs that read the format write it themselves.
std::string JascPaletteText(const BYTE* rgb) {
    std::string text = "JASC-PAL\r\n0100\r\n256\r\n";
    char line[16];
    for (int k = 0; k < kColours; ++k, rgb += 3) {
        std::snprintf(line, sizeof line, "%d %d %d\r\n", rgb[0], rgb[1], rgb[2]);
        text += line;
    }
    return text;
}

bool MakeSwatch(const BYTE* rgb, CBitmap* pSwatch) {
    const BITMAPINFOHEADER header = MakeBitmapInfoHeader(kSwatchSide, kSwatchSide, 24);
    void* pBits = nullptr;
    if (!pSwatch->Attach(
            CreateDIBSection(nullptr, &header, nullptr, DIB_RGB_COLORS, &pBits, nullptr, 0)))
        return false;
    BITMAP bm{};
    pSwatch->GetBitmap(&bm);
    for (int k = 0; k < kColours; ++k, rgb += 3) {
        const int row = kSwatchSide - 1 - k / kSwatchSide;  // bottom-up
        BYTE* px = static_cast<BYTE*>(bm.bmBits) + row * bm.bmWidthBytes + 3 * (k % kSwatchSide);
        px[0] = rgb[2];
        px[1] = rgb[1];
        px[2] = rgb[0];
    }
    return true;
}
