// The chunk's buffer and cursor, and the slot table.
#include "iff/iff_chunk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "iff/iff_file.h"
#include "iff/iff_manager.h"

namespace {

TEST(ChunkBuffer, ANewChunkMatchesItsDefaults) {
    CIffChunk c;
    EXPECT_EQ(c.m_dwType, 0u);
    EXPECT_EQ(c.m_wFlags, 0x0010);
    EXPECT_EQ(c.m_dwCapacity, 64u);
    EXPECT_EQ(c.m_dwSize, 0u);
    EXPECT_FALSE(c.IsLoaded());
}

TEST(ChunkBuffer, ReadsThatDoNotFitFailAndMoveNothing) {
    CIffChunk c;
    const BYTE bytes[7] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xEE};
    ASSERT_TRUE(c.Write(bytes, 7));
    c.m_dwPos = 0;
    WORD w = 0;
    DWORD d = 0;
    ASSERT_TRUE(c.ReadWord(&w));
    ASSERT_TRUE(c.ReadDword(&d));
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(d, 0x12345678u);
    BYTE out[4] = {9, 9, 9, 9};
    EXPECT_FALSE(c.Read(out, 4));  // one left
    EXPECT_FALSE(c.ReadWord(&w));
    EXPECT_EQ(c.m_dwPos, 6u);
    EXPECT_EQ(out[0], 9);
    EXPECT_TRUE(c.Read(out, 1));
    EXPECT_EQ(out[0], 0xEE);
    EXPECT_FALSE(c.Read(out, 0xFFFFFFFFu));  // no wrap-around in the bound check
    EXPECT_TRUE(c.Read(out, 0));
}

TEST(ChunkBuffer, AnUnloadedChunkNeverReadsPastItsBuffer) {
    CIffChunk c;
    c.m_dwSize = 5000;  // its length on disk; the buffer still holds 64 bytes
    std::vector<BYTE> out(200);
    EXPECT_FALSE(c.Read(out.data(), 100));
    EXPECT_TRUE(c.Read(out.data(), 64));
}

TEST(ChunkBuffer, WritesGrowInSixtyFourByteSteps) {
    CIffChunk c;
    std::vector<BYTE> fill(64, 0xAB);
    ASSERT_TRUE(c.Write(fill.data(), 64));
    EXPECT_EQ(c.m_dwCapacity, 64u);
    ASSERT_TRUE(c.WriteByte(0x5A));  // cursor 64: capacity + 1 rounded up
    EXPECT_EQ(c.m_dwCapacity, 128u);
    EXPECT_EQ(c.m_dwSize, 65u);
    EXPECT_EQ(c.m_pData[63], 0xAB);  // old bytes carried over
    EXPECT_EQ(c.m_pData[64], 0x5A);
    ASSERT_TRUE(c.SetSize(1));
    EXPECT_EQ(c.m_dwCapacity, 128u);
    EXPECT_EQ(c.m_dwSize, 1u);
    EXPECT_EQ(c.m_dwPos, 1u);

    c.m_dwPos = 120;
    ASSERT_TRUE(c.WriteDword(0x11223344));  // 124 <= 128: no growth, size follows the cursor
    EXPECT_EQ(c.m_dwCapacity, 128u);
    EXPECT_EQ(c.m_dwSize, 124u);
    std::vector<BYTE> big(100, 1);
    ASSERT_TRUE(c.Write(big.data(), 100));  // 128 + 100 rounded up
    EXPECT_EQ(c.m_dwCapacity, 256u);
    ASSERT_TRUE(c.SetSize(1000));
    EXPECT_EQ(c.m_dwCapacity, 1024u);
    EXPECT_EQ(c.m_dwSize, 1000u);
    EXPECT_EQ(c.m_pData[121], 0x33);  // WriteDword was little-endian
}

TEST(ChunkBuffer, AllocForSizeRoundsUpAndResetsTheCursor) {
    CIffChunk c;
    for (auto [size, capacity] :
         {std::pair<DWORD, DWORD>{0, 64}, {1, 64}, {64, 64}, {65, 128}, {1000, 1024}}) {
        c.m_dwSize = size;
        c.m_dwPos = 7;
        ASSERT_TRUE(c.AllocForSize());
        EXPECT_EQ(c.m_dwCapacity, capacity) << size;
        EXPECT_EQ(c.m_dwPos, 0u);
    }
}

TEST(SlotTable, SlotsStartAtOneGrowBySixtyFourAndReuseTheLowest) {
    // Containers attached by Load are left to the exit clean-up; earlier tests leave some.
    for (DWORD h = 1; h < CIffManager::GetCapacity(); ++h) CIffManager::Close(h);
    ASSERT_EQ(CIffManager::GetCapacity() % 64, 0u);
    std::vector<DWORD> handles;
    for (int i = 0; i < 63; ++i) handles.push_back(CIffManager::CreateNew(TRUE));
    ASSERT_EQ(handles.front(), 1u);
    EXPECT_EQ(handles.back(), 63u);
    const DWORD capacity = CIffManager::GetCapacity();  // 64, unless an earlier test grew it
    handles.push_back(CIffManager::CreateNew(FALSE));
    EXPECT_EQ(handles.back(), 64u);
    EXPECT_EQ(CIffManager::GetCapacity(), capacity == 64 ? 128u : capacity);

    EXPECT_TRUE(CIffManager::Close(5));
    EXPECT_FALSE(CIffManager::Close(5));
    EXPECT_FALSE(CIffManager::IsValid(5));
    EXPECT_FALSE(CIffManager::IsValid(0));
    EXPECT_FALSE(CIffManager::IsValid(128));
    EXPECT_EQ(CIffManager::CreateNew(TRUE), 5u);
    for (DWORD h : handles) EXPECT_TRUE(CIffManager::Close(h));

    const CIffFileRecord* rec = nullptr;
    const DWORD h = CIffManager::CreateNew(TRUE);
    ASSERT_NE(rec = CIffManager::GetRecord(h), nullptr);
    EXPECT_TRUE(rec->m_bMemoryFile);
    EXPECT_TRUE(rec->m_bNoSaveInPlace);
    EXPECT_EQ(std::memcmp(rec->m_header,
                          "IFF FILE 2.5:TYPE FOLLOWED BY SIZE\0 KESTREL WARDEX & DUZAD 1", 60),
              0);
    CIffManager::Close(h);
}

TEST(SlotTable, AddChunkReplacesAndMovesToTheEndKeepingTheIndexesRight) {
    CIffFile iff;
    const DWORD h = iff.GetHandle();
    IffChunkHeader header{};
    auto add = [&](DWORD type, WORD id, DWORD size) {
        header.dwType = type;
        header.wID = id;
        header.dwSize = size;
        return CIffManager::AddChunk(h, header, 100);
    };
    add(IFF_TYPE_PALT, 7, 1);
    add(IFF_TYPE_SPR2, 7, 2);
    add(IFF_TYPE_PALT, 3, 3);
    CIffChunk* again = add(IFF_TYPE_PALT, 7, 4);
    std::vector<DWORD> sizes;
    for (POSITION p = iff.GetRecord()->GetHeadPosition(); p;)
        sizes.push_back(iff.GetRecord()->GetNext(p)->m_dwSize);
    EXPECT_EQ(sizes, (std::vector<DWORD>{2, 3, 4}));
    iff.RebuildTypeList();  // the first PALT moved behind the SPR2
    EXPECT_EQ(iff.m_typeList, (std::vector<DWORD>{IFF_TYPE_SPR2, IFF_TYPE_PALT}));
    POSITION p = iff.FindFirstOfType(IFF_TYPE_PALT);
    EXPECT_EQ(iff.GetNextOfType(p)->m_wID, 3);
    EXPECT_EQ(iff.GetNextOfType(p), again);
    EXPECT_EQ(p, nullptr);
    CIffChunk* found = nullptr;
    ASSERT_TRUE(iff.FindChunk(&found, IFF_TYPE_PALT, 7));
    EXPECT_EQ(found, again);
    EXPECT_EQ(CIffManager::FindChunkNode(h, IFF_TYPE_SPR2, 8), nullptr);
    EXPECT_TRUE(CIffManager::RemoveChunk(h, IFF_TYPE_PALT, 3));
    EXPECT_FALSE(CIffManager::RemoveChunk(h, IFF_TYPE_PALT, 3));
    p = iff.FindLowestIdOfType(IFF_TYPE_PALT);
    EXPECT_EQ(iff.GetNextByIdOfType(p), again);
    EXPECT_EQ(p, nullptr);
    EXPECT_TRUE(CIffManager::RemoveChunk(h, IFF_TYPE_PALT, 7));
    EXPECT_EQ(iff.FindFirstOfType(IFF_TYPE_PALT), nullptr);
    EXPECT_EQ(iff.CountOfType(IFF_TYPE_PALT, FALSE), 0);
    // A name field without a terminator gives all 64 characters.
    std::memset(header.szName, 'n', 64);
    EXPECT_EQ(add(IFF_TYPE_PALT, 1, 0)->m_strName, std::string(64, 'n'));
}

TEST(SlotTable, AscendingWalkCrossesTheWholeIdRange) {
    CIffFile iff;
    IffChunkHeader header{};
    header.dwType = IFF_TYPE_SPR2;
    const std::vector<WORD> ids = {65535, 0, 256, 255, 64, 63, 40000, 1};
    for (WORD id : ids) {
        header.wID = id;
        CIffManager::AddChunk(iff.GetHandle(), header, 0);
    }
    header.dwType = IFF_TYPE_PALT;  // another type in between changes nothing
    CIffManager::AddChunk(iff.GetHandle(), header, 0);
    CIffManager::RemoveChunk(iff.GetHandle(), IFF_TYPE_SPR2, 64);
    std::vector<WORD> seen;
    for (POSITION p = iff.FindLowestIdOfType(IFF_TYPE_SPR2); p;)
        seen.push_back(iff.GetNextByIdOfType(p)->m_wID);
    EXPECT_EQ(seen, (std::vector<WORD>{0, 1, 63, 255, 256, 40000, 65535}));
}

TEST(SlotTable, LookupsOnAnInvalidHandleGiveNothing) {
    CIffFile iff;
    CIffManager::Close(iff.GetHandle());
    EXPECT_FALSE(iff.Reset());
    EXPECT_EQ(iff.FindFirstOfType(IFF_TYPE_PALT), nullptr);
    EXPECT_EQ(iff.FindLowestIdOfType(IFF_TYPE_PALT), nullptr);
    EXPECT_EQ(iff.CountOfType(IFF_TYPE_PALT, FALSE), 0);
    CIffChunk* c = nullptr;
    EXPECT_FALSE(iff.FindChunk(&c, IFF_TYPE_PALT, 0));
    EXPECT_FALSE(iff.LoadAllChunkData());
    EXPECT_FALSE(iff.Save(nullptr));
    EXPECT_FALSE(iff.Attach(0));
    iff.m_handle = 0;  // the destructor must not close a slot reused by someone else
}

}  // namespace
