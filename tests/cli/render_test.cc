// render: BMP files byte for byte from the library's own frame bitmaps.
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "iff/iff_types.h"
#include "platform/byte_order.h"
#include "sprites/spr2.h"
#include "support/spr2_builder.h"

using namespace testsupport;

namespace {

// Sprite 128: frame 0 is 5 x 3 with every kind of run, so rows need padding at both bit
// depths; frame 1 names a palette that exists but is unusable. 129: 1 x 2, colour 1 above 2.
Bytes RenderFile() {
    Spr2Grid grid(5, 3), column(1, 2);
    grid.Set(0, 0, 1);
    grid.Set(4, 0, 3, 40);
    grid.Set(0, 1, 4, 50, 128);
    grid.Set(1, 1, 5, 60, 0);
    grid.Set(2, 2, 6, 70);
    column.Set(0, 0, 1);
    column.Set(0, 1, 2);
    Spr2Spec sprite, top, broken;
    sprite.paletteId = top.paletteId = 1;
    sprite.frames = {FrameFromGrid(grid, 1), FrameFromGrid(grid, 2)};
    top.frames = {FrameFromGrid(column, 1)};
    broken.version = 1;
    PaltSpec unusable = TestPalette();
    unusable.colorCount = 255;
    IffSpec spec;
    spec.chunks = {PaltChunk(1, TestPalette()), PaltChunk(2, unusable), Spr2Chunk(128, sprite),
                   Spr2Chunk(129, top), Spr2Chunk(130, broken)};
    return BuildIff(spec);
}

// The BMP file a bitmap of the library must become.
Bytes BmpOf(const CBitmap& bitmap) {
    DIBSECTION ds{};
    EXPECT_EQ(GetObject(static_cast<HBITMAP>(bitmap), sizeof ds, &ds), int(sizeof ds));
    const BITMAP& bm = ds.dsBm;
    const DWORD rowBytes = DWORD(bm.bmWidth) * bm.bmBitsPixel / 8, stride = (rowBytes + 3) & ~3u;
    const DWORD offBits = 54 + (bm.bmBitsPixel == 8 ? 1024 : 0), image = stride * bm.bmHeight;
    Bytes out(offBits + image, 0);
    out[0] = 'B';
    out[1] = 'M';
    StoreLE32(&out[2], offBits + image);
    StoreLE32(&out[10], offBits);
    StoreLE32(&out[14], 40);
    StoreLE32(&out[18], DWORD(bm.bmWidth));
    StoreLE32(&out[22], DWORD(bm.bmHeight));  // positive: bottom-up
    StoreLE16(&out[26], 1);
    StoreLE16(&out[28], bm.bmBitsPixel);
    StoreLE32(&out[34], image);  // BI_RGB is 0
    for (DWORD i = 0; offBits > 54 && i < 256; ++i)
        out[54 + 4 * i] = out[55 + 4 * i] = out[56 + 4 * i] = BYTE(i);
    const auto* bits = static_cast<const BYTE*>(bm.bmBits);
    for (LONG row = 0; row < bm.bmHeight; ++row)
        std::copy_n(bits + row * bm.bmWidthBytes, rowBytes, &out[offBits + row * stride]);
    return out;
}

struct LibraryFrame {
    CIffFile iff;
    CSpr2 sprite;
    CBitmap color, depth, alpha;
    LibraryFrame(const Bytes& bytes, RGBQUAD background) {
        CIffChunk* chunk = nullptr;
        EXPECT_TRUE(LoadIffBytes(iff, bytes) && iff.FindChunk(&chunk, IFF_TYPE_SPR2, 128) &&
                    sprite.Attach(&iff, chunk) &&
                    sprite.BuildFrameBitmaps(&iff, 0, &color, &depth, &alpha, background, 0, 0, 0));
    }
    ~LibraryFrame() { iff.Reset(); }
};

}  // namespace

TEST(CliRender, WritesTheLibrarysBitmapsOnAnyBackground) {
    const Bytes bytes = RenderFile();
    const std::string path = clitest::WriteTemp("render.iff", bytes);
    const std::string out = TempPath("c.bmp"), depth = TempPath("d.bmp"), alpha = TempPath("a.bmp");
    const std::vector<std::string> args = {"render",  path, "--sprite", "128",
                                           "--frame", "0",  "--out",    out};

    auto withPlanes = args;
    withPlanes.insert(withPlanes.end(),
                      {"--background", "1a2B3c", "--depth", depth, "--alpha", alpha});
    ASSERT_EQ(clitest::RunCli(withPlanes).status, 0);
    EXPECT_EQ(ReadFileBytes(path), bytes);
    LibraryFrame custom(bytes, RGBQUAD{0x3C, 0x2B, 0x1A, 0});
    EXPECT_EQ(ReadFileBytes(out), BmpOf(custom.color));
    EXPECT_EQ(ReadFileBytes(depth), BmpOf(custom.depth));
    EXPECT_EQ(ReadFileBytes(alpha), BmpOf(custom.alpha));

    ASSERT_EQ(clitest::RunCli(args).status, 0);
    EXPECT_EQ(ReadFileBytes(out), BmpOf(LibraryFrame(bytes, RGBQUAD{0xF0, 0xF0, 0xF0, 0}).color));

    // Independently of the library: the file's first row is the frame's bottom row.
    ASSERT_EQ(
        clitest::RunCli({"render", path, "--sprite", "129", "--frame", "0", "--out", out}).status,
        0);
    const Bytes bmp = ReadFileBytes(out);
    const Rgb bottom = TestColor(2), above = TestColor(1);
    EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.end()),
              (Bytes{bottom.b, bottom.g, bottom.r, 0, above.b, above.g, above.r, 0}));
}

// Commands that find nothing to do: a warning, and nothing written or saved.
using Refusal = std::pair<std::string, std::string>;  // command line, message

class CliRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(CliRefusal, WarnsAndWritesNothing) {
    const Bytes bytes = RenderFile();
    const std::string path = clitest::WriteTemp("render.iff", bytes), out = TempPath("c.bmp");
    const clitest::CliResult r = clitest::RunCli(GetParam().first, path, out);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind(path + ": " + GetParam().second, 0), 0u) << r.err;
    EXPECT_EQ(r.out + (clitest::Exists(out) ? "OUT written" : ""), "");
    EXPECT_EQ(ReadFileBytes(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliRefusal,
    testing::Values(
        Refusal{"render FILE --sprite 200 --frame 0 --out OUT", "Can't find this item!"},
        Refusal{"render FILE --sprite 130 --frame 0 --out OUT", "Can't load this resource!"},
        Refusal{"render FILE --sprite 128 --frame 2 --out OUT", "Can't find this frame!"},
        Refusal{"render FILE --sprite 128 --frame 1 --out OUT --depth OUT",
                "Can't draw this frame!"},
        Refusal{"set-palette FILE --sprite 200 --palette 4 --common", "Can't find this item!"},
        Refusal{"set-palette FILE --sprite 130 --palette 4 --common", "Can't load this resource!"},
        Refusal{"set-palette FILE --sprite 129 --palette 4 --frame 1", "Can't find this frame!"}));
