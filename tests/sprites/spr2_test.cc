#include "sprites/spr2.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "iff/iff_types.h"
#include "platform/byte_order.h"
#include "sprites/palette.h"
#include "support/spr2_builder.h"

using namespace testsupport;

namespace {

constexpr WORD kSpriteId = 100;

// Frames that differ in every field, with streams of odd and even lengths.
Spr2FrameSpec Frame(int i) {
    Spr2FrameSpec f;
    f.width = static_cast<WORD>(i + 1);
    f.height = 2;
    f.flags = 0x01020304u + i;
    f.paletteId = static_cast<WORD>(200 + i);
    f.field10 = static_cast<WORD>(3 * i);
    f.field12 = static_cast<WORD>(0xF000 + i);
    f.field14 = static_cast<WORD>(0x0A0B + i);
    f.stream = Spr2Stream().StartRow().ColorRun(std::vector<BYTE>(i + 1, BYTE(i))).End();
    if (i % 3 == 1) f.stream.push_back(0x5C);  // an odd tail is carried through as it is
    return f;
}

Spr2Spec Sprite(int nFrames) {
    Spr2Spec s;
    s.paletteId = 0x00010203;
    for (int i = 0; i < nFrames; ++i) s.frames.push_back(Frame(i));
    return s;
}

class Spr2Test : public ::testing::Test {
protected:
    BOOL AttachBytes(const Bytes& data) {
        ChunkSpec c;
        c.type = "SPR2";
        c.id = kSpriteId;
        c.data = data;
        if (!LoadChunks(iff, {c}) || !iff.FindChunk(&chunk, IFF_TYPE_SPR2, kSpriteId)) {
            ADD_FAILURE() << "cannot load the test file";
            return FALSE;
        }
        return sprite.Attach(&iff, chunk);
    }
    Bytes ChunkBytes() const {
        return Bytes(chunk->m_pData.get(), chunk->m_pData.get() + chunk->m_dwSize);
    }

    CIffFile iff;
    CSpr2 sprite;
    CIffChunk* chunk = nullptr;
};

struct LayoutCase {
    int nFrames;
    bool canonical;
};

class Spr2LayoutTest : public Spr2Test, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(Spr2LayoutTest, DecodesEveryFieldAndEncodesCanonically) {
    const auto [n, canonical] = GetParam();
    Spr2Spec spec = Sprite(n);
    if (!canonical) spec.firstFrameOffset = 12 + 4 * n + 6;
    const Bytes original = BuildSpr2(spec);
    ASSERT_TRUE(AttachBytes(original));

    ASSERT_EQ(sprite.GetFrameCount(), n);
    ASSERT_EQ(sprite.m_frames.size(), static_cast<size_t>(n));
    EXPECT_EQ(sprite.GetPaletteId(), 0x0203);
    for (int i = 0; i < n; ++i) {
        Spr2FrameInfo got{};
        ASSERT_TRUE(sprite.GetFrameInfo(&got, i));
        const Spr2FrameSpec want = Frame(i);
        EXPECT_EQ(got.wWidth, want.width);
        EXPECT_EQ(got.wHeight, want.height);
        EXPECT_EQ(got.dwFlags, want.flags);
        EXPECT_EQ(got.wPaletteId, want.paletteId);
        EXPECT_EQ(got.wField10, want.field10);
        EXPECT_EQ(got.wField12, want.field12);
        EXPECT_EQ(got.wField14, want.field14);
        EXPECT_EQ(Bytes(got.pData, got.pData + got.dwDataSize), want.stream) << "frame " << i;
    }

    ASSERT_TRUE(sprite.Update());
    const Bytes written = ChunkBytes();
    const size_t first = n <= 13 ? 64 : 128;
    ASSERT_GE(written.size(), first);
    EXPECT_EQ(LoadLE32(&written[0]), 1000u);
    EXPECT_EQ(LoadLE32(&written[4]), static_cast<DWORD>(n));
    EXPECT_EQ(LoadLE32(&written[8]), 0x00010203u);
    if (n > 0) {
        EXPECT_EQ(LoadLE32(&written[12]), first);
    }
    for (size_t i = 12 + 4 * n; i < first; ++i) EXPECT_EQ(written[i], 0xA3) << i;
    spec.firstFrameOffset.reset();
    EXPECT_EQ(written, BuildSpr2(spec));
    if (!canonical) {
        EXPECT_NE(written.size(), original.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, Spr2LayoutTest,
                         ::testing::Values(LayoutCase{0, true}, LayoutCase{1, true},
                                           LayoutCase{13, true}, LayoutCase{14, true},
                                           LayoutCase{3, false}, LayoutCase{14, false}));

struct RefusalCase {
    const char* name;
    std::function<Bytes()> data;
    size_t framesKept;
};

class Spr2RefusalTest : public Spr2Test, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Spr2RefusalTest, Refused) {
    EXPECT_FALSE(AttachBytes(GetParam().data()));
    EXPECT_EQ(sprite.m_frames.size(), GetParam().framesKept);
    Spr2FrameInfo info{};
    EXPECT_EQ(sprite.GetFrameInfo(&info, static_cast<int>(GetParam().framesKept)), FALSE);
}

// A three-frame sprite with table entry i replaced.
std::function<Bytes()> WithEntry(int i, std::function<DWORD(const Bytes&)> value) {
    return [=] {
        Bytes b = BuildSpr2(Sprite(3));
        StoreLE32(&b[12 + 4 * i], value(b));
        return b;
    };
}

INSTANTIATE_TEST_SUITE_P(
    Damaged, Spr2RefusalTest,
    ::testing::Values(
        RefusalCase{"Empty", [] { return Bytes{}; }, 0},
        RefusalCase{"WrongVersion",
                    [] {
                        Spr2Spec s = Sprite(1);
                        s.version = 1001;
                        return BuildSpr2(s);
                    },
                    0},
        RefusalCase{"NoPaletteWord", [] { return Bytes{0xE8, 3, 0, 0, 1, 0, 0, 0}; }, 0},
        RefusalCase{"ShortTable",
                    [] {
                        Bytes b = BuildSpr2(Sprite(0));
                        StoreLE32(&b[4], 14);  // 68 bytes of table in 64 bytes of data
                        return b;
                    },
                    0},
        RefusalCase{"HugeCount",
                    [] {
                        Spr2Spec s = Sprite(1);
                        s.frameCountField = 0x7FFFFFFF;
                        return BuildSpr2(s);
                    },
                    0},
        RefusalCase{"EntryAtDataSize", WithEntry(1, [](const Bytes& b) { return DWORD(b.size()); }),
                    0},
        RefusalCase{"NegativeEntry", WithEntry(0, [](const Bytes&) { return 0x80000000u; }), 0},
        RefusalCase{"EntriesOutOfOrder", WithEntry(1, [](const Bytes&) { return 64u; }), 0},
        RefusalCase{"EmptyStream",
                    [] {
                        Spr2Spec s = Sprite(3);
                        s.frames[1].stream.clear();
                        return BuildSpr2(s);
                    },
                    1},
        RefusalCase{"LastHeaderCut",
                    WithEntry(2, [](const Bytes& b) { return DWORD(b.size() - 4); }), 2},
        RefusalCase{"LastStreamEmpty",
                    WithEntry(2, [](const Bytes& b) { return DWORD(b.size() - 16); }), 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Spr2Test, NonPositiveCountDecodesToNoFrames) {
    Spr2Spec s = Sprite(2);
    s.frameCountField = 0xFFFFFFFF;
    ASSERT_TRUE(AttachBytes(BuildSpr2(s)));
    EXPECT_EQ(sprite.GetFrameCount(), -1);
    EXPECT_TRUE(sprite.m_frames.empty());
    ASSERT_TRUE(sprite.Update());
    EXPECT_EQ(ChunkBytes(), BuildSpr2(Sprite(0)));
}

TEST_F(Spr2Test, EditsKeepSizesAndPixels) {
    ASSERT_TRUE(AttachBytes(BuildSpr2(Sprite(3))));
    Spr2FrameInfo before{};
    ASSERT_TRUE(sprite.GetFrameInfo(&before, 1));

    BYTE other[4] = {};
    Spr2FrameInfo edit{999, 999, 0xCAFEF00D, 41891, 1, 2, 3, other, 4};
    ASSERT_TRUE(sprite.SetFrameInfo(&edit, 1));
    for (int bad : {-1, 3}) {
        EXPECT_FALSE(sprite.SetFrameInfo(&edit, bad));
        EXPECT_FALSE(sprite.GetFrameInfo(&edit, bad));
    }
    Spr2FrameInfo after{};
    ASSERT_TRUE(sprite.GetFrameInfo(&after, 1));
    EXPECT_EQ(after.wWidth, before.wWidth);
    EXPECT_EQ(after.wHeight, before.wHeight);
    EXPECT_EQ(after.pData, before.pData);
    EXPECT_EQ(after.dwDataSize, before.dwDataSize);
    EXPECT_EQ(after.dwFlags, 0xCAFEF00Du);
    EXPECT_EQ(after.wPaletteId, 41891);
    EXPECT_EQ(after.wField14, 3);

    sprite.SetPaletteId(INVALID_PALETTE_ID);
    EXPECT_EQ(sprite.GetHeader()->dwPaletteId, 41891u);
    ASSERT_TRUE(sprite.Update());
    Spr2Spec want = Sprite(3);
    want.paletteId = 41891;
    want.frames[1].flags = 0xCAFEF00D;
    want.frames[1].paletteId = 41891;
    want.frames[1].field10 = 1;
    want.frames[1].field12 = 2;
    want.frames[1].field14 = 3;
    EXPECT_EQ(ChunkBytes(), BuildSpr2(want));

    // A frame without pixels cannot be written: the chunk stays as it was.
    const Bytes kept = ChunkBytes();
    sprite.m_frames[0].pData = nullptr;
    EXPECT_FALSE(sprite.Update());
    EXPECT_EQ(ChunkBytes(), kept);
}

TEST_F(Spr2Test, BindingAndOwnership) {
    CSpr2 fresh;
    EXPECT_EQ(fresh.GetType(), IFF_TYPE_SPR2);
    EXPECT_EQ(CIffResource().GetType(), 0u);
    EXPECT_FALSE(fresh.Update());
    EXPECT_FALSE(fresh.Decode());  // empty chunk: no version word
    EXPECT_EQ(fresh.m_pChunk->m_dwSize, 0u);

    // Attach decodes from the first byte whatever the cursor was.
    ASSERT_TRUE(AttachBytes(BuildSpr2(Sprite(2))));
    chunk->m_dwPos = 7;
    ASSERT_TRUE(sprite.Attach(&iff, chunk));
    EXPECT_EQ(sprite.GetFrameCount(), 2);

    CIffResource shared;
    shared.Copy(sprite);
    EXPECT_EQ(shared.m_pChunk, chunk);
    EXPECT_FALSE(shared.m_bOwnsChunk);

    CIffResource owner, copy;
    owner.m_pChunk->Write("abc", 3);
    copy.Copy(owner);
    ASSERT_NE(copy.m_pChunk, owner.m_pChunk);
    EXPECT_TRUE(copy.m_bOwnsChunk);
    EXPECT_EQ(copy.m_pChunk->m_dwPos, 3u);
    EXPECT_EQ(std::memcmp(copy.m_pChunk->m_pData.get(), "abc", copy.m_pChunk->m_dwSize), 0);
}

}  // namespace
