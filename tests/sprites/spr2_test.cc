// The sprite codec and the resource object around it.
#include "sprites/spr2.h"

#include <gtest/gtest.h>

#include <tuple>

#include "iff/iff_types.h"
#include "platform/byte_order.h"
#include "sprites/palette.h"
#include "support/spr2_builder.h"

using namespace testsupport;

namespace {

// Frames that differ in every field, with streams of odd and even lengths.
Spr2FrameSpec Frame(int i) {
    Bytes stream = Spr2Stream().StartRow().ColorRun(Bytes(i + 1, BYTE(i))).End();
    if (i % 3 == 1) stream.push_back(0x5C);  // an odd tail is carried through as it is
    return {WORD(i + 1),      2,     0x01020304u + i, WORD(200 + i), WORD(3 * i), WORD(0xF000 + i),
            WORD(0x0A0B + i), stream};
}

Spr2Spec Sprite(int nFrames) {
    Spr2Spec s;
    s.paletteId = 0x00010203;
    for (int i = 0; i < nFrames; ++i) s.frames.push_back(Frame(i));
    return s;
}

auto Fields(const Spr2FrameInfo& f) {
    return std::make_tuple(f.wWidth, f.wHeight, f.dwFlags, f.wPaletteId, f.wField10, f.wField12,
                           f.wField14, Bytes(f.pData, f.pData + f.dwDataSize));
}

auto Fields(const Spr2FrameSpec& f) {
    return std::make_tuple(f.width, f.height, f.flags, f.paletteId, f.field10, f.field12, f.field14,
                           f.stream);
}

class Spr2Test : public ::testing::Test {
protected:
    BOOL Attach(const Bytes& data) {
        ChunkSpec c = Spr2Chunk(100, {});
        c.data = data;
        EXPECT_TRUE(LoadChunks(iff, {c}) && iff.FindChunk(&chunk, IFF_TYPE_SPR2, 100));
        return chunk && sprite.Attach(&iff, chunk);
    }
    Bytes Data() const {
        return Bytes(chunk->m_pData.get(), chunk->m_pData.get() + chunk->m_dwSize);
    }

    CIffFile iff;
    CSpr2 sprite;
    CIffChunk* chunk = nullptr;
};

TEST_F(Spr2Test, DecodesEveryFieldAndWritesTheCanonicalLayout) {
    // Frames; where the first one starts in the bytes read, and where it must be written.
    // clang-format off
    for (const auto& [n, read, written] :
         {std::tuple{0, 64u, 64u}, {13, 64u, 64u}, {14, 128u, 128u}, {3, 30u, 64u}, {14, 80u, 128u}}) {
        // clang-format on
        Spr2Spec s = Sprite(n);
        s.firstFrameOffset = read;
        ASSERT_TRUE(Attach(BuildSpr2(s)));
        ASSERT_EQ(sprite.GetFrameCount(), n);
        EXPECT_EQ(sprite.GetPaletteId(), 0x0203);
        Spr2FrameInfo got{};
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(sprite.GetFrameInfo(&got, i));
            EXPECT_EQ(Fields(got), Fields(Frame(i))) << "frame " << i << " of " << n;
        }
        EXPECT_FALSE(sprite.GetFrameInfo(&got, n));
        // The table padded with 0xA3 up to a multiple of 64, then the frames without gaps.
        ASSERT_TRUE(sprite.Update());
        s.firstFrameOffset = written;
        EXPECT_EQ(Data(), BuildSpr2(s)) << n << " frames";
    }
}

// Each damage, done to a sprite of three frames (table entry i at 12 + 4i), with the number
// of frames read before the refusal.
TEST_F(Spr2Test, DamagedSpritesAreRefused) {
    const std::vector<std::pair<void (*)(Bytes&), size_t>> damages = {
        {[](Bytes& b) { b.clear(); }, 0},
        {[](Bytes& b) { b.resize(8); }, 0},                               // no palette word
        {[](Bytes& b) { b[0] = 0xE9; }, 0},                               // version 1001
        {[](Bytes& b) { StoreLE32(&b[4], DWORD(b.size() / 4)); }, 0},     // table beyond the data
        {[](Bytes& b) { StoreLE32(&b[4], 0x7FFFFFFF); }, 0},              // 4 x count overflows
        {[](Bytes& b) { StoreLE32(&b[16], DWORD(b.size())); }, 0},        // entry at the data size
        {[](Bytes& b) { StoreLE32(&b[20], LoadLE32(&b[16]) + 16); }, 1},  // empty stream
        {[](Bytes& b) { StoreLE32(&b[20], DWORD(b.size() - 4)); }, 2}};   // last header cut
    for (size_t i = 0; i < damages.size(); ++i) {
        Bytes data = BuildSpr2(Sprite(3));
        damages[i].first(data);
        EXPECT_FALSE(Attach(data)) << "damage " << i;
        EXPECT_EQ(sprite.m_frames.size(), damages[i].second) << "damage " << i;
    }
}

TEST_F(Spr2Test, NegativeCountDecodesToNoFrames) {
    Bytes data = BuildSpr2(Sprite(2));
    StoreLE32(&data[4], 0xFFFFFFFF);
    ASSERT_TRUE(Attach(data) && sprite.Update());
    EXPECT_EQ(Data(), BuildSpr2(Sprite(0)));
}

TEST_F(Spr2Test, EditsReachOnlyPalettesFlagsAndKeptFields) {
    ASSERT_TRUE(Attach(BuildSpr2(Sprite(3))));
    BYTE other[4] = {};
    const Spr2FrameInfo edit{999, 999, 0xCAFEF00D, 41891, 1, 2, 3, other, 4};
    ASSERT_TRUE(sprite.SetFrameInfo(&edit, 1));
    EXPECT_FALSE(sprite.SetFrameInfo(&edit, 3) || sprite.SetFrameInfo(&edit, -1));
    sprite.SetPaletteId(INVALID_PALETTE_ID);
    ASSERT_TRUE(sprite.Update());
    Spr2Spec want = Sprite(3);
    want.paletteId = INVALID_PALETTE_ID;  // the upper half cleared
    Spr2FrameSpec& f = want.frames[1];
    std::tie(f.flags, f.paletteId, f.field10, f.field12, f.field14) =
        std::make_tuple(0xCAFEF00Du, WORD(41891), WORD(1), WORD(2), WORD(3));
    EXPECT_EQ(Data(), BuildSpr2(want));

    // A frame without pixels cannot be written: the chunk stays as it was.
    sprite.m_frames[0].pData = nullptr;
    EXPECT_FALSE(sprite.Update());
    EXPECT_EQ(Data(), BuildSpr2(want));
}

TEST_F(Spr2Test, BindingAndCopies) {
    CSpr2 fresh;
    EXPECT_EQ(std::make_pair(fresh.GetType(), CIffResource().GetType()),
              std::make_pair(IFF_TYPE_SPR2, 0u));
    EXPECT_FALSE(fresh.Update());  // never attached: nothing written
    EXPECT_FALSE(fresh.Decode());  // an empty chunk has no version word
    EXPECT_EQ(fresh.m_pChunk->m_dwSize, 0u);

    ASSERT_TRUE(Attach(BuildSpr2(Sprite(2))));
    chunk->m_dwPos = 7;  // Attach decodes from the first byte whatever the cursor was
    EXPECT_TRUE(sprite.Attach(&iff, chunk));

    CIffResource shared, owner, copy;
    shared.Copy(sprite);
    EXPECT_EQ(std::make_pair(shared.m_pChunk, shared.m_bOwnsChunk), std::make_pair(chunk, FALSE));
    owner.m_pChunk->Write("abc", 3);
    copy.Copy(owner);  // a chunk of its own, cursor and bytes as they were
    ASSERT_NE(copy.m_pChunk, owner.m_pChunk);
    EXPECT_EQ(std::make_tuple(copy.m_bOwnsChunk, copy.m_pChunk->m_dwPos, copy.m_pChunk->m_pData[2]),
              std::make_tuple(TRUE, 3u, BYTE('c')));
}

}  // namespace
