// Writing: the exact bytes of saved files, and what a save leaves in the container.
#include "iff/iff_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "iff/iff_file.h"
#include "iff_test_helpers.h"
#include "platform/byte_order.h"

using namespace ifftest;
using testsupport::BuildIff;
using testsupport::ReadFileBytes;

namespace {

// Appends fields in the byte orders the format uses.
struct Out {
    Bytes b;
    Out& Text(const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Out& Zeros(size_t n) {
        b.insert(b.end(), n, 0);
        return *this;
    }
    Out& Byte(BYTE v) {
        b.push_back(v);
        return *this;
    }
    Out& BE32(DWORD v) { return Byte(v >> 24).Byte(v >> 16).Byte(v >> 8).Byte(v); }
    Out& BE16(WORD v) { return Byte(v >> 8).Byte(v & 0xFF); }
    Out& LE32(DWORD v) { return Byte(v).Byte(v >> 8).Byte(v >> 16).Byte(v >> 24); }
    Out& LE16(WORD v) { return Byte(v & 0xFF).Byte(v >> 8); }
    Out& Header(DWORD mapOffset) {
        Text("IFF FILE 2.5:TYPE FOLLOWED BY SIZE").Zeros(1).Text(" KESTREL WARDEN & DUZAD 1");
        return BE32(mapOffset);
    }
    Out& ChunkHeader(const std::string& type, DWORD size, WORD id, WORD flags,
                     const std::string& name) {
        Text(type).BE32(size).BE16(id).BE16(flags).Text(name);
        return Zeros(64 - name.size());
    }
};

Bytes SaveToMemory(CIffFile& iff, BOOL* pResult = nullptr) {
    CMemFile mem;
    const BOOL ok = iff.Save(&mem);
    if (pResult) *pResult = ok;
    return Bytes(mem.GetData(), mem.GetData() + mem.GetLength());
}

CIffChunk* AddLoaded(CIffFile& iff, const std::string& type, WORD id, WORD flags,
                     const std::string& name, const Bytes& data) {
    IffChunkHeader h{};
    h.dwType = MakeIffType(type[0], type[1], type[2], type[3]);
    h.wID = id;
    h.wFlags = flags;
    CIffChunk* c = CIffManager::AddChunk(iff.GetHandle(), h, 0);
    c->m_strName = name;  // may be longer than a header field holds
    c->Write(data.data(), static_cast<DWORD>(data.size()));
    c->m_bLoaded = TRUE;
    return c;
}

TEST(WriterBytes, AnEmptyContainerIs160Bytes) {
    CIffFile iff;
    Out expected;
    expected.Header(64)
        .ChunkHeader("rsmp", 96, 0, 0x0010, "")
        .Zeros(8)
        .Text("pmsr")
        .LE32(96)
        .LE32(0);
    BOOL ok = FALSE;
    EXPECT_EQ(SaveToMemory(iff, &ok), expected.b);
    EXPECT_TRUE(ok);
    EXPECT_EQ(std::memcmp(iff.GetRecord()->m_header, expected.b.data(), 60), 0);
}

TEST(WriterBytes, NamesPadsFlagsAndOffsetsAsLaidOut) {
    CIffFile iff;
    AddLoaded(iff, "PALT", 1, 0x0010, "ab", {1, 2, 3});
    AddLoaded(iff, "SPR2", 0x0102, 0x0004, "abc", {});
    Out e;
    e.Header(219);
    e.ChunkHeader("PALT", 79, 1, 0x0010, "ab").Byte(1).Byte(2).Byte(3);
    e.ChunkHeader("SPR2", 76, 0x0102, 0x0004, "abc");
    e.ChunkHeader("rsmp", 136, 0, 0x0010, "").Zeros(8).Text("pmsr").LE32(136).LE32(2);
    e.Text("TLAP").LE32(1).LE32(64).LE16(1).LE16(0x0010).Text("ab").Byte(0).Byte(0xA3);
    e.Text("2RPS").LE32(1).LE32(143).LE16(0x0102).LE16(0x0004).Text("abc").Byte(0);
    ASSERT_EQ(e.b.size(), 219u + 136u);
    EXPECT_EQ(SaveToMemory(iff), e.b);
    CIffChunk* c = nullptr;
    ASSERT_TRUE(iff.FindChunk(&c, IFF_TYPE_SPR2, 0x0102));
    EXPECT_EQ(c->m_dwDataOffset, 143u + 76u);
    EXPECT_TRUE(c->IsLoaded());
}

TEST(WriterBytes, ALongNameIsCutInTheHeaderButWholeInTheMap) {
    CIffFile iff;
    const std::string name64(64, 'x');
    AddLoaded(iff, "PALT", 1, 0x0010, name64, {});
    AddLoaded(iff, "PALT", 2, 0x0010, name64 + "yz",
              {});  // a program-made name may be longer still
    const Bytes out = SaveToMemory(iff);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&out[64 + 12]), 64),
              std::string(63, 'x') + '\0');
    const DWORD map = LoadBE32(&out[60]);
    const size_t entry = map + 76 + 20 + 8;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&out[entry + 8])), name64);
    EXPECT_EQ(out[entry + 8 + 65], 0xA3);  // 8 + 65 bytes from an even start: odd, padded
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&out[entry + 8 + 66 + 8])), name64 + "yz");
    EXPECT_EQ(IffSavedSize(iff.GetHandle()), out.size());
}

TEST(WriterBytes, TypesAreListedInOrderOfFirstOccurrence) {
    CIffFile iff;
    AddLoaded(iff, "PALT", 1, 0x10, "a", {});
    AddLoaded(iff, "SPR2", 5, 0x10, "b", {});
    AddLoaded(iff, "PALT", 2, 0x10, "c", {});
    const Bytes out = SaveToMemory(iff);
    const size_t data = LoadBE32(&out[60]) + 76;
    EXPECT_EQ(LoadLE32(&out[data + 16]), 2u);
    EXPECT_EQ(LoadLE32(&out[data + 20]), IFF_TYPE_PALT);
    EXPECT_EQ(LoadLE32(&out[data + 24]), 2u);
    EXPECT_EQ(LoadLE16(&out[data + 28 + 4]), 1);
    EXPECT_EQ(LoadLE16(&out[data + 28 + 10 + 4]), 2);
    EXPECT_EQ(LoadLE32(&out[data + 28 + 20]), IFF_TYPE_SPR2);
    EXPECT_EQ(LoadLE16(&out[data + 28 + 28 + 4]), 5);
}

// Every layout the reader takes is saved as the file this program would have written for
// its chunk list, and that file saves to the same bytes again.
struct SaveCase {
    const char* name;
    const char* version;
    bool withMap;
    bool mapFirst;
};

class SaveLayouts : public testing::TestWithParam<std::tuple<SaveCase, Access>> {};

TEST_P(SaveLayouts, SavedInPlaceAsProgramWrittenAndStable) {
    const auto& [c, access] = GetParam();
    std::vector<ChunkSpec> chunks = {
        Chunk("SPR2", 9, 301, 0x10, "even"), Chunk("PALT", 3, 0, 0x11, "odd"),
        Chunk("SPR2", 2, 77, 0x10, std::string(63, 'q')), Chunk("PALT", 4, 5)};
    IffSpec in;
    in.version = c.version;
    in.withMap = c.withMap;
    in.mapFirst = c.mapFirst;
    in.chunks = chunks;
    IffSpec written;
    written.chunks = chunks;

    CIffFile iff;
    std::string path;
    ASSERT_TRUE(LoadAs(iff, BuildIff(in), access, nullptr, &path));
    ASSERT_TRUE(iff.LoadAllChunkData());
    ASSERT_TRUE(iff.Save(nullptr));
    const Bytes expected = BuildIff(written);
    EXPECT_EQ(ReadFileBytes(path), expected);
    // Saved again at once, and after loading the saved file.
    ASSERT_TRUE(iff.Save(nullptr));
    EXPECT_EQ(ReadFileBytes(path), expected);
    CIffFile again;
    ASSERT_TRUE(LoadAs(again, expected, access, nullptr, &path));
    ASSERT_TRUE(again.LoadAllChunkData());
    ASSERT_TRUE(again.Save(nullptr));
    EXPECT_EQ(ReadFileBytes(path), expected);
}

const SaveCase kSaveCases[] = {
    {"v20", "2.0", false, false},
    {"v25", "2.5", true, false},
    {"v25_map_first", "2.5", true, true},
    {"v25_no_map", "2.5", false, false},
};

INSTANTIATE_TEST_SUITE_P(Layouts, SaveLayouts,
                         testing::Combine(testing::ValuesIn(kSaveCases),
                                          testing::Values(Access::Plain, Access::SplitReads)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Access::Plain ? "_plain"
                                                                              : "_split");
                         });

TEST(WriterBytes, AChunkTheScanSkipsMovesToTheFront) {
    IffSpec in;
    in.chunks = {Chunk("PALT", 1), Chunk("SPR2", 2, 8, 0x0014)};
    CIffFile iff;
    std::string path;
    ASSERT_TRUE(LoadAs(iff, BuildIff(in), Access::Plain, nullptr, &path));
    ASSERT_TRUE(iff.LoadAllChunkData());
    ASSERT_TRUE(iff.Save(nullptr));
    IffSpec expected;
    expected.chunks = {in.chunks[1], in.chunks[0]};
    EXPECT_EQ(ReadFileBytes(path), BuildIff(expected));
}

TEST(WriterFailures, AnUnloadedChunkStopsASaveToAnotherTargetPartWay) {
    IffSpec in;
    in.chunks = {Chunk("PALT", 1, 10), Chunk("SPR2", 2, 20), Chunk("PALT", 3, 30)};
    CIffFile iff;
    ASSERT_TRUE(LoadAs(iff, BuildIff(in), Access::Plain));
    CIffChunk* first = nullptr;
    ASSERT_TRUE(iff.FindChunk(&first, IFF_TYPE_PALT, 1));
    ASSERT_TRUE(iff.LoadChunkData(first));
    BOOL ok = TRUE;
    const Bytes out = SaveToMemory(iff, &ok);
    EXPECT_FALSE(ok);
    // Header and the one loaded chunk; nothing is rolled back on another target.
    EXPECT_EQ(out.size(), 64u + 76u + 10u);
}

TEST(WriterFailures, SavingIntoTheOwnFileOfANewContainerByNameIsRefused) {
    CIffFile iff;
    CFile* own = iff.GetRecord()->m_pFile.get();
    EXPECT_FALSE(iff.Save(own));
    EXPECT_EQ(own->GetLength(), 0u);
    EXPECT_TRUE(iff.Save(nullptr));  // the safe path is not refused
    EXPECT_EQ(iff.GetRecord()->m_pFile->GetLength(), 160u);
}

TEST(WriterFailures, AnOpenedFileCanBeNamedAsItsOwnTarget) {
    IffSpec in;
    in.chunks = {Chunk("PALT", 1, 10)};
    CIffFile iff;
    std::string path;
    const Bytes bytes = BuildIff(in);
    ASSERT_TRUE(LoadAs(iff, bytes, Access::Plain, nullptr, &path));
    ASSERT_TRUE(iff.LoadAllChunkData());
    EXPECT_TRUE(iff.Save(iff.GetRecord()->m_pFile.get()));
    EXPECT_EQ(ReadFileBytes(path), bytes);
}

TEST(WriterFailures, AnOutputOfFourGibibytesFailsBeforeWritingAnything) {
    CIffFile iff;
    for (WORD id = 0; id < 4; ++id) AddLoaded(iff, "SPR2", id, 0x10, "", {})->m_dwSize = 0x3FFFFFFF;
    EXPECT_GE(IffSavedSize(iff.GetHandle()), 0x100000000ull);
    BOOL ok = TRUE;
    EXPECT_TRUE(SaveToMemory(iff, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_FALSE(iff.Save(nullptr));
}

}  // namespace
