// palvane2-cli's pictures: PNG files beside the BMP ones for every plane, transparency and
// enlargement, and a palette's colours in files that other programs read. The PNG files are
// read back by stb_image, a decoder independent of the tool's encoder.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <tuple>

#include "base/byte_order.h"
#include "builders/spr2_builder.h"
#include "cli_run.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb/stb_image.h>

using namespace builders;

namespace {

// Top-down rows of 1 (grey), 3 (RGB) or 4 (RGBA) bytes a pixel.
struct Image {
    int width = 0, height = 0, channels = 0;
    Bytes pixels;
    bool operator==(const Image& o) const {
        return std::tie(width, height, channels, pixels) ==
               std::tie(o.width, o.height, o.channels, o.pixels);
    }
    const BYTE* At(int x, int y) const { return &pixels[(size_t(y) * width + x) * channels]; }
};

std::ostream& operator<<(std::ostream& os, const Image& i) {
    return os << i.width << " x " << i.height << " x " << i.channels;
}

// A BMP file as the tool writes it: two headers, a grey table for 8 bits, bottom-up rows.
Image ReadBmp(const std::string& path) {
    const Bytes b = ReadFileBytes(path);
    if (b.size() < 54) return {};
    Image i{int(LoadLE32(&b[18])), int(LoadLE32(&b[22])), LoadLE16(&b[28]) / 8, {}};
    const size_t stride = (size_t(i.width) * i.channels + 3) & ~size_t{3};
    for (int y = i.height - 1; y >= 0; --y)
        for (int x = 0; x < i.width; ++x)
            for (int c = i.channels - 1; c >= 0; --c)  // blue, green, red becomes RGB
                i.pixels.push_back(b.at(LoadLE32(&b[10]) + y * stride + x * i.channels + c));
    return i;
}

Image ReadPng(const std::string& path) {
    const Bytes b = ReadFileBytes(path);
    Image i;
    stbi_uc* p =
        stbi_load_from_memory(b.data(), int(b.size()), &i.width, &i.height, &i.channels, 0);
    if (p == nullptr) return {};
    i.pixels.assign(p, p + size_t(i.width) * i.height * i.channels);
    stbi_image_free(p);
    return i;
}

Image Enlarged(const Image& i, int n) {
    Image big{i.width * n, i.height * n, i.channels, {}};
    for (int y = 0; y < big.height; ++y)
        for (int x = 0; x < big.width; ++x)
            big.pixels.insert(big.pixels.end(), i.At(x / n, y / n),
                              i.At(x / n, y / n) + i.channels);
    return big;
}

// Sprite 128: a 4 x 3 frame with pixels left undrawn, drawn opaque and blended. Sprite 129:
// one frame of 600 x 600 pixels. Palette 1 is usable, palette 2 is of version 2.
std::string PictureFile() {
    Spr2Grid grid(4, 3);
    grid.Set(0, 0, 1);
    grid.Set(1, 0, 4, 50, 128);
    grid.Set(3, 1, 2, 10);
    grid.Set(2, 2, 200, 20, 255);
    const Spr2Spec small{1000, 1, {FrameFromGrid(grid, 1)}},
        large{1000, 1, {{600, 600, 0, 1, 0, 0, 0, Spr2Stream().End()}}};
    const IffSpec file{
        "2.5",
        {PaltChunk(1, TestPalette(), "Ember\x01\xE9"), PaltChunk(2, {2, 256, TestPalette().colors}),
         Spr2Chunk(128, small), Spr2Chunk(129, large)}};
    return Temp("pictures.iff", BuildIff(file));
}

// A transparent PNG is the colour plane with the alpha plane as its alpha.
TEST(CliPictures, PngHoldsTheBmpsPixelsInEveryPlaneAndAtEveryScale) {
    const std::string file = PictureFile(), render = "render FILE --sprite 128 --frame 0 --out ";
    Image natural[3];  // the planes at scale 1, as BMP
    for (int scale : {1, 3, 16}) {
        SCOPED_TRACE(scale);
        std::vector<std::string> bmp, png;
        for (const char* plane : {"c", "d", "a"}) {
            bmp.push_back(TempPath(plane + std::string(".bmp")));
            png.push_back(TempPath(plane + std::string(".pNg")));
        }
        const std::string opts = " --background 102030 --scale " + std::to_string(scale),
                          t = TempPath("t.png");
        for (const auto& out : {bmp, png})
            ASSERT_EQ(
                Cli(render + out[0] + " --depth " + out[1] + " --alpha " + out[2] + opts, file)
                    .status,
                0);
        ASSERT_EQ(Cli(render + t + " --transparent" + opts, file).status, 0);
        for (size_t plane = 0; plane < 3; ++plane) {
            const Image b = ReadBmp(bmp[plane]), p = ReadPng(png[plane]);
            EXPECT_EQ(p, b) << "plane " << plane;
            if (scale == 1) natural[plane] = b;
            EXPECT_EQ(b, Enlarged(natural[plane], scale));
        }
        const Image rgba = ReadPng(t);
        Image split{rgba.width, rgba.height, 3, {}}, alpha{rgba.width, rgba.height, 1, {}};
        for (size_t k = 0; k < rgba.pixels.size(); ++k)
            (k % 4 == 3 ? alpha : split).pixels.push_back(rgba.pixels[k]);
        EXPECT_EQ(split, ReadBmp(bmp[0]));
        EXPECT_EQ(alpha, ReadBmp(bmp[2]));
    }
    // The colour and depth bytes of a BMP are pinned by CliRender; the alpha here: nothing
    // drawn transparent, drawn by a colour or depth run opaque, blended between.
    const Image& a = natural[2];
    EXPECT_EQ((std::vector<int>{*a.At(2, 0), *a.At(0, 0), *a.At(3, 1)}),
              (std::vector<int>{0, 255, 255}));
    EXPECT_GT(*a.At(1, 0), 0);
    EXPECT_LT(*a.At(1, 0), 255);
}

// The colours as a reader of each format sees them: GIMP's and JASC's text, the swatch's pixels.
Bytes ReadPaletteText(const std::string& path) {
    std::istringstream text(Text(path));
    std::string line;
    while (std::getline(text, line) && line != "#" && line != "256\r") {
    }
    Bytes colours;
    for (int r, g, bl; std::getline(text, line) && std::istringstream(line) >> r >> g >> bl;)
        colours.insert(colours.end(), {BYTE(r), BYTE(g), BYTE(bl)});
    return colours;
}

TEST(CliPalette, WritesTheColoursAsGimpJascAndSwatchFiles) {
    const std::string file = PictureFile();
    Bytes expected;
    for (int k = 0; k < 256; ++k)
        expected.insert(expected.end(), {TestColor(k).r, TestColor(k).g, TestColor(k).b});
    const std::string gpl = TempPath("p.GPL"), pal = TempPath("p.pal"), png = TempPath("p.png");
    for (const std::string& out : {gpl, pal, png})
        ASSERT_EQ(Cli("palette FILE --id 1 --out OUT --scale 2", file, out).status, 0) << out;

    const std::string gimp = "GIMP Palette\nName: Ember \xC3\xA9\nColumns: 16\n#\n",
                      jasc = "JASC-PAL\r\n0100\r\n256\r\n";
    EXPECT_EQ(Text(gpl).substr(0, gimp.size()), gimp);
    EXPECT_EQ(Text(pal).substr(0, jasc.size()), jasc);
    EXPECT_EQ(ReadPaletteText(gpl), expected);
    EXPECT_EQ(ReadPaletteText(pal), expected);
    const Image swatch = ReadPng(png);
    ASSERT_EQ(std::pair(swatch.width, swatch.height), std::pair(32, 32));
    for (int k = 0; k < 256; ++k) {
        const BYTE* px = swatch.At(2 * (k % 16) + 1, 2 * (k / 16) + 1);
        EXPECT_EQ(Bytes(px, px + 3), Bytes(&expected[3 * k], &expected[3 * k + 3])) << k;
    }
}

// Each ends with its status and message (OUT, FILE: those paths) and writes nothing.
TEST(CliPictures, FailuresAreReportedAndWriteNothing) {
    const std::string file = PictureFile(), out = TempPath("out.png"),
                      render = "render FILE --sprite 128 --frame 0 --out OUT";
    const std::vector<std::tuple<std::string, int, std::string>> failures = {
        {"render FILE --sprite 128 --frame 0 --out FILE.bmp --transparent", 2,
         "palvane2-cli: --transparent"},
        {render + " --scale 0", 2, "palvane2-cli: --scale"},
        {render + " --scale 17", 2, "palvane2-cli: --scale"},
        // 9600 x 9600 pixels would pass the bound every frame's bitmap keeps to.
        {"render FILE --sprite 129 --frame 0 --out OUT --scale 16", 2,
         "OUT: Unable to write this bitmap! (9600 x 9600 pixels"},
        {"palette FILE --id 3 --out OUT", 1, "FILE: Can't find this item! (palette 3)"},
        {"palette FILE --id 2 --out OUT", 1, "FILE: Can't load this resource! (palette 2: "},
        {"palette FILE --id 1 --out FILE.txt", 2, "palvane2-cli: --out"},
        {"palette FILE --id 0x1 --out OUT", 2, "palvane2-cli: --id"},
    };
    for (const auto& [line, status, message] : failures) {
        const Result r = Cli(line, file, out);
        EXPECT_EQ(r.status, status) << line;
        std::string err = message;
        for (const auto& [name, path] : {std::pair{"OUT", out}, {"FILE", file}})
            if (err.rfind(name, 0) == 0) err = path + err.substr(std::string(name).size());
        EXPECT_EQ(r.err.rfind(err, 0), 0u) << line << "\n" << r.err;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(out))) << line;
    }
}

}  // namespace
