#include <gtest/gtest.h>

#include <functional>

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

struct Want {
    Rgb color;
    BYTE depth, alpha;
};
constexpr Want kUntouched{{kBackground.rgbRed, kBackground.rgbGreen, kBackground.rgbBlue}, 255, 0};

// Every pixel of the three bitmaps, image row y at memory row height - 1 - y, and the
// row padding neither cleared nor drawn.
void ExpectBitmaps(const DIBSECTION& c, const DIBSECTION& d, const DIBSECTION& a,
                   const std::function<Want(int, int)>& want) {
    const LONG w = c.dsBm.bmWidth, h = c.dsBm.bmHeight;
    for (int memRow = 0; memRow < h; ++memRow) {
        const BYTE* cr = static_cast<const BYTE*>(c.dsBm.bmBits) + memRow * c.dsBm.bmWidthBytes;
        const BYTE* dr = static_cast<const BYTE*>(d.dsBm.bmBits) + memRow * d.dsBm.bmWidthBytes;
        const BYTE* ar = static_cast<const BYTE*>(a.dsBm.bmBits) + memRow * a.dsBm.bmWidthBytes;
        for (int x = 0; x < w; ++x) {
            const Want px = want(x, h - 1 - memRow);
            EXPECT_EQ(cr[3 * x], px.color.b) << x << "," << h - 1 - memRow;
            EXPECT_EQ(cr[3 * x + 1], px.color.g) << x << "," << h - 1 - memRow;
            EXPECT_EQ(cr[3 * x + 2], px.color.r) << x << "," << h - 1 - memRow;
            EXPECT_EQ(dr[x], px.depth) << x << "," << h - 1 - memRow;
            EXPECT_EQ(ar[x], px.alpha) << x << "," << h - 1 - memRow;
        }
        for (int i = 3 * w; i < c.dsBm.bmWidthBytes; ++i) EXPECT_EQ(cr[i], 0);
        for (int i = w; i < d.dsBm.bmWidthBytes; ++i) EXPECT_EQ(dr[i] | ar[i], 0);
    }
}

TEST_F(FrameBitmapsTest, FiveByThreeFrame) {
    ASSERT_TRUE(Build(100, kFiveByThree));
    const DIBSECTION c = Section(color), d = Section(depth), a = Section(alpha);
    ASSERT_EQ(c.dsBm.bmWidthBytes, 16);
    ASSERT_EQ(d.dsBm.bmWidthBytes, 8);
    ASSERT_EQ(a.dsBm.bmWidthBytes, 8);
    EXPECT_EQ(c.dsBmih.biBitCount, 24);
    EXPECT_EQ(d.dsBmih.biBitCount, 8);
    EXPECT_EQ(AsBitmap(depth.GetSafeHandle())->colors.size(), 256u);
    EXPECT_EQ(AsBitmap(alpha.GetSafeHandle())->colors[200].rgbGreen, 200);
    ExpectBitmaps(c, d, a, [](int x, int y) {
        if (y == 0) return Want{TestColor(x + 1), 40, 255};
        return y == 2 && x == 2 ? Want{TestColor(9), 255, 255} : kUntouched;
    });
}

TEST_F(FrameBitmapsTest, FrameThatDrawsNothing) {
    ASSERT_TRUE(Build(100, kEndOnly));
    ExpectBitmaps(Section(color), Section(depth), Section(alpha),
                  [](int, int) { return kUntouched; });
}

TEST_F(FrameBitmapsTest, SpritePaletteFieldUsesLowBitsOnly) {
    ASSERT_TRUE(Build(100, kOwnPaletteMissing));
    ExpectBitmaps(Section(color), Section(depth), Section(alpha), [](int x, int y) {
        return x == 0 && y == 0 ? Want{TestColor(7), 255, 255} : kUntouched;
    });
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
