#include "sprites/palette.h"

#include <gtest/gtest.h>

#include "support/spr2_builder.h"

using namespace testsupport;

namespace {

PaltSpec Variant(DWORD version, DWORD colors, size_t size) {
    PaltSpec p = TestPalette();
    p.version = version;
    p.colorCount = colors;
    p.size = size;
    return p;
}

const PaltSpec kGood = Variant(1, 256, 784);

struct LookupCase {
    const char* name;
    std::vector<std::pair<WORD, PaltSpec>> palettes;
    WORD frameId;
    WORD fallbackId;
    int found;  // ID of the chunk found, -1 for none
};

class PaletteLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(PaletteLookupTest, FindsTheRightChunk) {
    const LookupCase& c = GetParam();
    std::vector<ChunkSpec> chunks;
    for (const auto& [id, spec] : c.palettes) chunks.push_back(PaltChunk(id, spec));
    CIffFile iff;
    ASSERT_TRUE(LoadChunks(iff, chunks));
    const CIffChunk* p = FindPalette(&iff, c.frameId, c.fallbackId);
    if (c.found < 0) {
        EXPECT_EQ(p, nullptr);
    } else {
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->m_wID, c.found);
        EXPECT_TRUE(p->IsLoaded());
        EXPECT_EQ(p->m_dwPos, 0u);  // looked at in place
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, PaletteLookupTest,
    ::testing::Values(
        LookupCase{"FrameFirst", {{1, kGood}, {2, kGood}}, 1, 2, 1},
        LookupCase{"FallbackWhenFrameMissing", {{2, kGood}, {3, kGood}}, 1, 2, 2},
        LookupCase{"BothMissing", {{3, kGood}}, 1, 2, -1},
        LookupCase{"FrameVersion2NoFallback", {{1, Variant(2, 256, 784)}, {2, kGood}}, 1, 2, -1},
        LookupCase{"Frame255ColoursNoFallback", {{1, Variant(1, 255, 784)}, {2, kGood}}, 1, 2, -1},
        LookupCase{"Frame783BytesNoFallback", {{1, Variant(1, 256, 783)}, {2, kGood}}, 1, 2, -1},
        LookupCase{"LongerIsFine", {{1, Variant(1, 256, 1000)}}, 1, 2, 1},
        LookupCase{"FallbackUnusable", {{2, Variant(0, 256, 784)}}, 1, 2, -1},
        LookupCase{"InvalidIdIsOrdinary", {{41891, kGood}, {2, kGood}}, 41891, 2, 41891}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PaletteTest, NoFileNoPalette) {
    EXPECT_EQ(FindPalette(nullptr, 1, 2), nullptr);
    CIffFile iff;
    EXPECT_FALSE(IsPaletteUsable(&iff, nullptr));
}

}  // namespace
