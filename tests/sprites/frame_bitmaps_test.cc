#include <gtest/gtest.h>

#include "iff/iff_types.h"
#include "platform/bitmap.h"
#include "sprites/spr2.h"
#include "support/spr2_builder.h"

using namespace testsupport;

namespace {

constexpr RGBQUAD kBackground{11, 22, 33, 0};

enum Frame { kFiveByThree, kEndOnly, kOwnPaletteMissing, kOpcode7, kWidth0, kTooBig, kCount };

Spr2FrameSpec MakeFrame(int which) {
    Spr2FrameSpec f;
    f.paletteId = 1;
    f.width = 5;
    f.height = 3;
    switch (which) {
        case kFiveByThree: {
            Spr2Grid g(5, 3);
            for (int x = 0; x < 5; ++x) g.Set(x, 0, x + 1, 40);
            g.Set(2, 2, 9);
            f.stream = EncodeGrid(g);
            break;
        }
        case kEndOnly:
            f.stream = Spr2Stream().End();
            break;
        case kOwnPaletteMissing:
            f.paletteId = 9;
            f.stream = Spr2Stream().StartRow().ColorRun({7}).End();
            break;
        case kOpcode7:
            f.stream = Spr2Stream().StartRow().ColorRun({7}).Command(7, 0);
            break;
        case kWidth0:
            f.width = 0;
            f.stream = Spr2Stream().End();
            break;
        case kTooBig:  // rows of 16,384 bytes: one row more than 256 MiB
            f.width = 5461;
            f.height = 16385;
            f.stream = Spr2Stream().End();
            break;
    }
    return f;
}

class FrameBitmapsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Spr2Spec drawn;
        drawn.paletteId = 0x5A5A0001;  // only the low 16 bits name the palette
        for (int i = 0; i < kCount; ++i) drawn.frames.push_back(MakeFrame(i));
        Spr2Spec orphan;
        orphan.paletteId = 7;
        orphan.frames.push_back(MakeFrame(kOwnPaletteMissing));
        ASSERT_TRUE(LoadChunks(
            iff, {PaltChunk(1, TestPalette()), Spr2Chunk(100, drawn), Spr2Chunk(101, orphan)}));
    }

    BOOL Build(WORD spriteId, int nFrame) {
        CIffChunk* chunk = nullptr;
        if (!iff.FindChunk(&chunk, IFF_TYPE_SPR2, spriteId) || !sprite.Attach(&iff, chunk)) {
            ADD_FAILURE() << "sprite " << spriteId << " does not load";
            return FALSE;
        }
        return sprite.BuildFrameBitmaps(&iff, nFrame, &color, &depth, &alpha, kBackground, 0, 0, 0);
    }

    static DIBSECTION Section(const CBitmap& bmp) {
        DIBSECTION ds{};
        EXPECT_EQ(GetObject(bmp.GetSafeHandle(), sizeof ds, &ds), static_cast<int>(sizeof ds));
        return ds;
    }

    CIffFile iff;
    CSpr2 sprite;
    CBitmap color, depth, alpha;
};

TEST_F(FrameBitmapsTest, FiveByThreeFrame) {
    ASSERT_TRUE(Build(100, kFiveByThree));
    const DIBSECTION c = Section(color), d = Section(depth), a = Section(alpha);
    ASSERT_EQ(c.dsBm.bmWidthBytes, 16);
    ASSERT_EQ(d.dsBm.bmWidthBytes, 8);
    ASSERT_EQ(a.dsBm.bmWidthBytes, 8);
    EXPECT_EQ(c.dsBmih.biBitCount, 24);
    EXPECT_EQ(d.dsBmih.biBitCount, 8);
    EXPECT_EQ(AsBitmap(depth.GetSafeHandle())->colors.size(), 256u);
    EXPECT_EQ(AsBitmap(depth.GetSafeHandle())->colors[200].rgbGreen, 200);

    const BYTE* cb = static_cast<const BYTE*>(c.dsBm.bmBits);
    const BYTE* db = static_cast<const BYTE*>(d.dsBm.bmBits);
    const BYTE* ab = static_cast<const BYTE*>(a.dsBm.bmBits);
    for (int memRow = 0; memRow < 3; ++memRow) {
        const int y = 2 - memRow;  // the top row comes last in memory
        for (int x = 0; x < 5; ++x) {
            const BYTE* px = cb + memRow * 16 + 3 * x;
            const bool run = y == 0, single = y == 2 && x == 2;
            const Rgb want =
                run      ? TestColor(x + 1)
                : single ? TestColor(9)
                         : Rgb{kBackground.rgbRed, kBackground.rgbGreen, kBackground.rgbBlue};
            EXPECT_EQ(px[0], want.b) << x << "," << y;
            EXPECT_EQ(px[1], want.g) << x << "," << y;
            EXPECT_EQ(px[2], want.r) << x << "," << y;
            EXPECT_EQ(db[memRow * 8 + x], run ? 40 : 255) << x << "," << y;
            EXPECT_EQ(ab[memRow * 8 + x], run || single ? 255 : 0) << x << "," << y;
        }
        EXPECT_EQ(cb[memRow * 16 + 15], 0);  // padding neither cleared nor drawn
        for (int i = 5; i < 8; ++i) {
            EXPECT_EQ(db[memRow * 8 + i], 0);
            EXPECT_EQ(ab[memRow * 8 + i], 0);
        }
    }
}

TEST_F(FrameBitmapsTest, FrameThatDrawsNothing) {
    ASSERT_TRUE(Build(100, kEndOnly));
    const DIBSECTION c = Section(color), d = Section(depth), a = Section(alpha);
    for (int row = 0; row < 3; ++row) {
        for (int x = 0; x < 5; ++x) {
            const BYTE* px = static_cast<const BYTE*>(c.dsBm.bmBits) + row * 16 + 3 * x;
            EXPECT_EQ(px[0], kBackground.rgbBlue);
            EXPECT_EQ(px[1], kBackground.rgbGreen);
            EXPECT_EQ(px[2], kBackground.rgbRed);
            EXPECT_EQ(static_cast<const BYTE*>(d.dsBm.bmBits)[row * 8 + x], 255);
            EXPECT_EQ(static_cast<const BYTE*>(a.dsBm.bmBits)[row * 8 + x], 0);
        }
    }
}

TEST_F(FrameBitmapsTest, SpritePaletteFieldUsesLowBitsOnly) {
    ASSERT_TRUE(Build(100, kOwnPaletteMissing));
    const BYTE* px = static_cast<const BYTE*>(Section(color).dsBm.bmBits) + 2 * 16;
    EXPECT_EQ(px[2], TestColor(7).r);
    EXPECT_EQ(px[1], TestColor(7).g);
}

struct FailureCase {
    WORD sprite;
    int frame;
};

class FrameBitmapsFailureTest : public FrameBitmapsTest,
                                public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FrameBitmapsFailureTest, NoBitmapLeftBehind) {
    const size_t live = GetLiveBitmapCount();
    EXPECT_FALSE(Build(GetParam().sprite, GetParam().frame));
    EXPECT_TRUE(color.IsEmpty());
    EXPECT_TRUE(depth.IsEmpty());
    EXPECT_TRUE(alpha.IsEmpty());
    EXPECT_EQ(GetLiveBitmapCount(), live);
}

INSTANTIATE_TEST_SUITE_P(Refusals, FrameBitmapsFailureTest,
                         ::testing::Values(FailureCase{100, -1}, FailureCase{100, kCount},
                                           FailureCase{101, 0}, FailureCase{100, kOpcode7},
                                           FailureCase{100, kWidth0}, FailureCase{100, kTooBig}));

TEST_F(FrameBitmapsTest, RefusesTargetsThatHoldABitmap) {
    ASSERT_TRUE(depth.Attach(CreateBitmapObject(1, 1, 8, nullptr, 0)));
    const HGDIOBJ held = depth.GetSafeHandle();
    EXPECT_FALSE(Build(100, kEndOnly));
    EXPECT_EQ(depth.GetSafeHandle(), held);
    EXPECT_TRUE(color.IsEmpty());
}

TEST(FrameSizeTest, ColourMemoryBound) {
    EXPECT_TRUE(IsFrameSizeDrawable(5461, 16384));  // exactly 256 MiB
    EXPECT_FALSE(IsFrameSizeDrawable(5461, 16385));
    EXPECT_TRUE(IsFrameSizeDrawable(65535, 1365));
    EXPECT_FALSE(IsFrameSizeDrawable(65535, 1366));
    EXPECT_FALSE(IsFrameSizeDrawable(0, 1));
    EXPECT_FALSE(IsFrameSizeDrawable(1, 0));
    EXPECT_TRUE(IsFrameSizeDrawable(1, 1));
}

}  // namespace
