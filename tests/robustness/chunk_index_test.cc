// The container's lookups stay exact whatever the shape of a file: a type of a few
// chunks, one of thousands (its index changes form on the way), many types of one chunk.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "iff/iff_file.h"
#include "iff/iff_manager.h"
#include "support/iff/iff_builder.h"

namespace robustness {
namespace {

using namespace testsupport;

std::vector<WORD> AscendingWalk(const CIffFile& iff, DWORD type) {
    std::vector<WORD> ids;
    for (POSITION p = iff.FindLowestIdOfType(type); p;)
        ids.push_back(iff.GetNextByIdOfType(p)->m_wID);
    return ids;
}

ChunkSpec Chunk(const std::string& type, WORD id, const std::string& name = "") {
    ChunkSpec c;
    c.type = type;
    c.id = id;
    c.name = name;
    c.data = {BYTE(id)};
    return c;
}

TEST(ChunkIndex, LookupsAndWalksHoldForFewManyAndScatteredIds) {
    std::mt19937 random(11);
    for (int count : {3, 1024, 1025, 3000}) {
        SCOPED_TRACE(count);
        std::vector<WORD> ids(count);
        std::iota(ids.begin(), ids.end(), WORD{0});
        for (WORD& id : ids) id = static_cast<WORD>(id * 21 + 7);  // spread over pages
        std::shuffle(ids.begin(), ids.end(), random);
        IffSpec layout;
        layout.version = "2.0";
        layout.withMap = false;
        for (WORD id : ids) layout.chunks.push_back(Chunk("SPR2", id));
        layout.chunks.push_back(Chunk("SPR2", ids[0], "again"));  // replaces the first
        for (int t = 0; t < 300; ++t)
            layout.chunks.push_back(Chunk("T" + std::to_string(100 + t), 5));
        CIffFile iff;
        ASSERT_TRUE(LoadIffBytes(iff, BuildIff(layout)));

        std::vector<WORD> sorted = ids;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(AscendingWalk(iff, MakeIffType('S', 'P', 'R', '2')), sorted);
        EXPECT_EQ(iff.CountOfType(MakeIffType('S', 'P', 'R', '2'), FALSE), count);
        EXPECT_EQ(iff.GetTypeCount(), 301);
        for (WORD id : ids) {
            CIffChunk* c = nullptr;
            ASSERT_TRUE(iff.FindChunk(&c, MakeIffType('S', 'P', 'R', '2'), id));
            EXPECT_EQ(c->m_strName, id == ids[0] ? "again" : "");
        }
        CIffChunk* missing = nullptr;
        EXPECT_FALSE(iff.FindChunk(&missing, MakeIffType('S', 'P', 'R', '2'), 2));

        // Removing every other one leaves the rest found and walked in order.
        for (size_t i = 0; i < ids.size(); i += 2)
            EXPECT_TRUE(
                CIffManager::RemoveChunk(iff.GetHandle(), MakeIffType('S', 'P', 'R', '2'), ids[i]));
        std::vector<WORD> kept;
        for (size_t i = 1; i < ids.size(); i += 2) kept.push_back(ids[i]);
        std::sort(kept.begin(), kept.end());
        EXPECT_EQ(AscendingWalk(iff, MakeIffType('S', 'P', 'R', '2')), kept);
        EXPECT_EQ(AscendingWalk(iff, MakeIffType('T', '1', '5', '0')), std::vector<WORD>{5});
        iff.Reset();
    }
}

}  // namespace
}  // namespace robustness
