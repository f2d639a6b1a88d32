// Saving: the exact bytes written, and the in-place save that leaves either the old file or
// the complete new one, keeps its hold on it, and can be tried again after a failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "base/byte_order.h"
#include "files/file_system.h"
#include "iff/iff_writer.h"
#include "iff_test_helpers.h"

using namespace ifftest;

namespace {

Bytes SaveToMemory(CIffFile& iff, BOOL expected = TRUE) {
    CMemFile mem;
    EXPECT_EQ(iff.Save(&mem), expected);
    return Bytes(mem.GetData(), mem.GetData() + mem.GetLength());
}

TEST(WriterBytes, AnEmptyContainerIs160Bytes) {
    Bytes e(160, 0);
    std::memcpy(e.data(), "IFF FILE 2.5:TYPE FOLLOWED BY SIZE\0 KESTREL WARDEN & DUZAD 1", 60);
    e[63] = 64;  // the map's offset
    std::memcpy(&e[64], "rsmp\0\0\0\x60\0\0\0\x10", 12);
    std::memcpy(&e[64 + 76 + 8], "pmsr\x60", 5);
    CIffFile iff;
    EXPECT_EQ(SaveToMemory(iff), e);
    const CIffFileRecord* rec = iff.GetRecord();
    EXPECT_EQ(std::memcmp(rec->m_header, e.data(), 60), 0);
    // A new container's own file is no target by name; saved in place it is made anew, and
    // kept when the save fails on an unloaded chunk.
    EXPECT_FALSE(iff.Save(rec->m_pFile.get()));
    ASSERT_TRUE(iff.Save(nullptr));
    const auto* mem = static_cast<const CMemFile*>(rec->m_pFile.get());
    EXPECT_EQ(Bytes(mem->GetData(), mem->GetData() + mem->GetLength()), e);
    CIffManager::AddChunk(iff.GetHandle(), IffChunkHeader{}, 0);
    EXPECT_FALSE(iff.Save(nullptr));
    EXPECT_EQ(rec->m_pFile.get(), mem);
}

// A name of 64 characters (unterminated in the file) is cut to 63 in the header but kept
// whole in the map; map entries are little-endian, padded to even lengths with 0xA3.
TEST(WriterBytes, ALongNameIsCutInTheHeaderButWholeInTheMap) {
    const IffSpec in{
        "2.5", {Chunk("PALT", 1, 0, 0x10, "ab"), Chunk("PALT", 2, 0, 0x10, std::string(64, 'x'))}};
    CIffFile iff;
    ASSERT_TRUE(LoadAs(iff, BuildIff(in)) && iff.LoadAllChunkData());
    const Bytes bytes = SaveToMemory(iff);
    EXPECT_EQ(IffSavedSize(iff.GetHandle()), bytes.size());
    const auto b = bytes.begin();
    EXPECT_EQ(std::string(b + 64 + 76 + 12, b + 64 + 76 + 76), std::string(63, 'x') + '\0');
    const size_t table = LoadBE32(&bytes[60]) + 76 + 20;  // the type table
    EXPECT_EQ(
        Bytes(b + table, b + table + 20),
        (Bytes{'T', 'L', 'A', 'P', 2, 0, 0, 0, 64, 0, 0, 0, 1, 0, 0x10, 0, 'a', 'b', 0, 0xA3}));
    EXPECT_EQ(std::string(b + table + 28, bytes.end()), std::string(64, 'x') + '\0' + '\xA3');
}

// A name, a version, whether the file has a map and whether it comes first.
class ReadAndSave
    : public testing::TestWithParam<std::tuple<const char*, const char*, bool, bool>> {};

// A duplicate, a chunk the scan skips and one of header size only, read through a double
// that hands out 7 bytes a read: the chunks only the map finds come first, then the scan's
// in file order. Saved in place, it becomes the file this program writes (2.5, the map at
// the end).
TEST_P(ReadAndSave, MapOnlyChunksFirstThenFileOrderAndSavedAsProgramWritten) {
    const auto& [name, version, withMap, mapFirst] = GetParam();
    const bool mapRead = withMap && std::string(version) == "2.5";
    const std::string q63(63, 'q');
    const std::vector<ChunkSpec> chunks = {
        Chunk("PALT", 300),    Chunk("SPR2", 9, 4, 0x0014),    Chunk("PALT", 128, 200, 0x11, "odd"),
        Chunk("PALT", 300, 9), Chunk("SPR2", 1, 0, 0x10, q63), Chunk("PALT", 200)};
    CIffFile iff;
    ASSERT_TRUE(
        LoadAs(iff, BuildIff(IffSpec{version, chunks, withMap, mapFirst}), Access::SplitReads));
    std::string order = "PALT 128, PALT 300, SPR2 1, PALT 200";
    if (withMap) order = mapFirst ? "rsmp 0, " + order : order + ", rsmp 0";
    EXPECT_EQ(ListOrder(iff), (mapRead ? "SPR2 9, " : "") + order);
    IffSpec written{"2.5", {chunks.begin() + 2, chunks.end()}};
    if (mapRead) written.chunks.insert(written.chunks.begin(), chunks[1]);
    const Bytes expected = BuildIff(written);
    ASSERT_TRUE(iff.LoadAllChunkData() && iff.Save(nullptr));
    EXPECT_EQ(HeldFileBytes(iff), expected);
    // Again into the file it holds, named as the target.
    ASSERT_TRUE(iff.Save(iff.GetRecord()->m_pFile.get()));
    EXPECT_EQ(HeldFileBytes(iff), expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ReadAndSave,
                         testing::Values(std::make_tuple("v20", "2.0", false, false),
                                         std::make_tuple("v25_map_last", "2.5", true, false),
                                         std::make_tuple("v25_map_first", "2.5", true, true),
                                         std::make_tuple("v25_no_map", "2.5", false, false)),
                         [](const auto& info) { return std::string(std::get<0>(info.param)); });

TEST(WriterFailures, AnUnloadedChunkOrFourGibibytesStopTheSave) {
    CIffFile iff;
    ASSERT_TRUE(
        LoadAs(iff, BuildIff(IffSpec{"2.5", {Chunk("PALT", 1, 10), Chunk("SPR2", 2, 20)}})));
    CIffChunk* first = nullptr;
    ASSERT_TRUE(iff.FindChunk(&first, IFF_TYPE_PALT, 1) && iff.LoadChunkData(first));
    // The header and the one loaded chunk: nothing is rolled back on another target.
    EXPECT_EQ(SaveToMemory(iff, FALSE).size(), 64u + 76u + 10u);
    CIffFile big;
    IffChunkHeader h{};
    h.dwSize = 0x3FFFFFFF;
    for (h.wID = 0; h.wID < 4; ++h.wID)
        CIffManager::AddChunk(big.GetHandle(), h, 0)->m_bLoaded = TRUE;
    EXPECT_TRUE(SaveToMemory(big, FALSE).empty());  // nothing written at all
    EXPECT_FALSE(big.Save(nullptr));
}

// A target that fills up part way: in a chunk the save gives FALSE; in the header or the
// map the error passes to the caller. Either way the target holds every byte written before.
TEST(WriterFailures, ATargetFillingUpKeepsWhatWasWrittenBeforeIt) {
    const IffSpec in{"2.5", {Chunk("PALT", 1, 1000), Chunk("SPR2", 2, 1000)}};
    CIffFile iff;
    ASSERT_TRUE(LoadAs(iff, BuildIff(in)) && iff.LoadAllChunkData());
    const Bytes whole = SaveToMemory(iff);
    const size_t mapAt = 64 + 2 * (76 + 1000);
    for (const long long budget : {10ll, 100ll, 640ll, 1500ll, 2200ll, 2230ll}) {
        SCOPED_TRACE(budget);
        auto* mem = new CMemFile;
        CFailingFile target(std::unique_ptr<CFile>(mem),
                            std::make_shared<FaultBudget>(FaultBudget{budget}));
        const bool inChunks = budget >= 64 && budget < static_cast<long long>(mapAt);
        if (inChunks) {
            EXPECT_NO_THROW(EXPECT_FALSE(iff.Save(&target)));
        } else {
            EXPECT_THROW(iff.Save(&target), CFileException);
        }
        // Of the map, some bytes or none; the map's offset in the header is written with it.
        const size_t kept = std::min<size_t>(budget, mapAt);
        ASSERT_GE(mem->GetLength(), kept);
        Bytes got(mem->GetData(), mem->GetData() + kept), want(whole.begin(), whole.begin() + kept);
        for (Bytes* b : {&got, &want})
            std::fill(b->begin() + std::min<size_t>(60, kept),
                      b->begin() + std::min<size_t>(64, kept), 0);
        EXPECT_EQ(got, want);
    }
}

constexpr UINT kExclusive = CFile::modeReadWrite | CFile::shareExclusive;

// Links need a privilege on Windows; there the file is opened by its own name.
#ifdef _WIN32
const std::string kVia;
#else
const std::string kVia = ".link";
#endif

class SafeSave : public testing::Test {
protected:
    void SetUp() override {
        IffSpec in;
        in.mapFirst = true;  // so that the saved bytes and offsets differ from the old ones
        in.chunks = {Chunk("PALT", 1, 700), Chunk("SPR2", 2, 3000, 0x10, "sprite"),
                     Chunk("PALT", 7, 1)};
        original = BuildIff(in);
        in.mapFirst = false;
        saved = BuildIff(in);
        ASSERT_EQ(saved.size(), 4153u) << "the write budgets below assume this size";
        // Deeper than the old 260-character limit, its temporary file deeper still: such a
        // file opens and saves in place like any other.
        std::string folder = TempPath("deep");
        while (folder.size() < 260) folder += "/" + std::string(40, 'd');
        std::filesystem::create_directories(std::filesystem::u8path(folder));
        WriteFileBytes(path = folder + "/file.iff", original);
#ifndef _WIN32
        std::filesystem::permissions(path, std::filesystem::perms(0640));
        // Opened through a link, which must stay a link to the saved file.
        std::filesystem::create_symlink(path, path + kVia);
#endif
        ASSERT_TRUE(iff.Load(OpenExclusive(path + kVia).get(), nullptr) && iff.LoadAllChunkData() &&
                    iff.FindChunk(&sprite, IFF_TYPE_SPR2, 2));
    }
    auto Files() const {
        return std::distance(
            std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()), {});
    }
    bool OpenAgain(const std::string& name) const {
        return CFile().Open(name.c_str(), kExclusive);
    }
    // The file the container holds is the one its path names now.
    bool HoldsPath() const {
        ResolvedPath now;
        FileIdentity held;
        return ResolveFilePath(path, &now) &&
               GetOpenFileIdentity(*iff.GetRecord()->m_pFile, &held) && held == now.identity;
    }

    Bytes original, saved;
    std::string path;
    CIffFile iff;
    CIffChunk* sprite = nullptr;
};

// A name, and what makes the save fail.
using Fault = std::pair<std::string, std::function<void(CFaultySaveFileSystem&)>>;

class SafeSaveFaults : public SafeSave, public testing::WithParamInterface<Fault> {};

TEST_P(SafeSaveFaults, AFailedSaveLeavesEverythingAndARetrySucceeds) {
    CFaultySaveFileSystem faulty;
    GetParam().second(faulty);
    const auto files = Files();
    SetSaveFileSystem(&faulty);
    EXPECT_NO_THROW(EXPECT_FALSE(iff.Save(nullptr)));
    SetSaveFileSystem(nullptr);
    EXPECT_TRUE(HoldsPath());
    EXPECT_EQ(HeldFileBytes(iff), original);
    // The header image and the data offsets are the old ones (the map came first).
    EXPECT_EQ(std::memcmp(iff.GetRecord()->m_header, original.data(), 64), 0);
    EXPECT_EQ(sprite->m_dwDataOffset, 64u + 160 + 76 + 700 + 76);
    EXPECT_EQ(Files(), files) << "a temporary file was left behind";
    EXPECT_FALSE(OpenAgain(path));
    // The retry: the new file has the old one's bits, the container holds it under the path
    // it was opened by, and the offsets are the new file's.
    ASSERT_TRUE(iff.Save(nullptr));
    EXPECT_TRUE(HoldsPath());
    EXPECT_EQ(HeldFileBytes(iff), saved);
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(iff.GetRecord()->m_pFile->GetFilePath(), path + kVia);
#ifndef _WIN32
    EXPECT_TRUE(std::filesystem::is_symlink(path + kVia));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
#endif
    EXPECT_FALSE(OpenAgain(path));
    EXPECT_EQ(sprite->m_dwDataOffset, 64u + 76 + 700 + 76);
#ifdef _WIN32
    // Nobody can move the held file away behind the container's back.
    std::error_code ec;
    std::filesystem::rename(path, path + ".moved", ec);
    EXPECT_TRUE(ec);
    iff.Reset();
#else
    // A file put in its place behind the container's back is not overwritten.
    ASSERT_EQ(::rename(path.c_str(), (path + ".moved").c_str()), 0);
    WriteFileBytes(path, {1, 2, 3});
    EXPECT_FALSE(iff.Save(nullptr));
    EXPECT_EQ(ReadFileBytes(path), (Bytes{1, 2, 3}));
    iff.Reset();  // once the container lets go, the file it held can be opened again
    EXPECT_TRUE(OpenAgain(path + ".moved"));
#endif
}

// Where the hold is let go for the rename, another program may take the file in that
// instant: the save has succeeded, and later ones save nothing over what the path names.
TEST_F(SafeSave, AFileTakenAtTheRenameIsNoLongerSavedOver) {
#ifndef _WIN32
    GTEST_SKIP() << "the hold is let go for the rename only on Windows";
#else
    struct Thief : CSaveFileSystem {
        BOOL Replace(const std::string& from, const std::string& to, int* pError) override {
            const BOOL replaced = CSaveFileSystem::Replace(from, to, pError);
            taken.Open(to.c_str(), kExclusive);
            return replaced;
        }
        CFile taken;
    } thief;
    SetSaveFileSystem(&thief);
    EXPECT_TRUE(iff.Save(nullptr));
    SetSaveFileSystem(nullptr);
    thief.taken.Close();
    EXPECT_EQ(ReadFileBytes(path), saved);
    std::filesystem::remove(path);
    WriteFileBytes(path, {1, 2, 3});
    const auto files = Files();
    EXPECT_FALSE(iff.Save(nullptr));
    EXPECT_EQ(ReadFileBytes(path), (Bytes{1, 2, 3}));
    EXPECT_EQ(Files(), files);
#endif
}

// Whether a save in place would write the very bytes the file holds: for a file as this
// program writes it, every chunk loaded and none changed. Any byte a save would write
// otherwise counts, from the header's first to the map's last pad byte, also past the
// write buffer's size; the container is left as it was either way.
TEST(SaveMatchesFile, OnlyForAProgramWrittenFileLoadedWholeAndUnchanged) {
    IffSpec in{"2.5",
               {Chunk("PALT", 1, 10), Chunk("SPR2", 5, (1u << 20) + 100), Chunk("PALT", 2, 0)}};
    const Bytes canonical = BuildIff(in);
    ASSERT_EQ(canonical.back(), 0xA3) << "the last map entry's name has an even length";
    const auto matches = [](const Bytes& bytes) {
        CIffFile iff;
        EXPECT_TRUE(LoadAs(iff, bytes) && iff.LoadAllChunkData());
        return iff.SaveMatchesFile() != FALSE;
    };
    EXPECT_TRUE(matches(canonical));
    EXPECT_FALSE(CIffFile().SaveMatchesFile());  // a new container has no file
    CIffFile partly;
    ASSERT_TRUE(LoadAs(partly, canonical));
    EXPECT_FALSE(partly.SaveMatchesFile());  // unloaded chunks: it cannot tell

    // The header's text and map offset, a name's bytes after its end, the last pad byte.
    for (const size_t at : {size_t{40}, size_t{62}, size_t{64 + 12 + 10}, canonical.size() - 1}) {
        Bytes changed = canonical;
        changed[at] ^= 1;
        EXPECT_FALSE(matches(changed)) << at;
    }
    // One byte more; the map first; a 2.0 file without one.
    Bytes longer = canonical;
    longer.push_back(0);
    IffSpec mapFirst = in, v20{"2.0", in.chunks, false};
    mapFirst.mapFirst = true;
    for (const Bytes& other : {longer, BuildIff(mapFirst), BuildIff(v20)})
        EXPECT_FALSE(matches(other));

    // A change near the large chunk's end; the check leaves offsets and header alone, so
    // the save writes what it would have, and the saved file matches then.
    CIffFile iff;
    ASSERT_TRUE(LoadAs(iff, canonical) && iff.LoadAllChunkData());
    CIffChunk* sprite = nullptr;
    ASSERT_TRUE(iff.FindChunk(&sprite, IFF_TYPE_SPR2, 5));
    sprite->m_dwPos = sprite->m_dwSize - 1;
    ASSERT_TRUE(sprite->WriteByte(0x77));
    const DWORD offset = sprite->m_dwDataOffset;
    const Bytes header(iff.GetRecord()->m_header, iff.GetRecord()->m_header + 64);
    EXPECT_FALSE(iff.SaveMatchesFile());
    EXPECT_EQ(sprite->m_dwDataOffset, offset);
    EXPECT_EQ(Bytes(iff.GetRecord()->m_header, iff.GetRecord()->m_header + 64), header);
    ASSERT_TRUE(iff.Save(nullptr));
    in.chunks[1].data.back() = 0x77;
    EXPECT_EQ(HeldFileBytes(iff), BuildIff(in));
    EXPECT_TRUE(iff.SaveMatchesFile());
}

std::vector<Fault> Faults() {
    using FS = CFaultySaveFileSystem;
    std::vector<Fault> f = {{"flush", [](FS& fs) { fs.budget->failFlush = true; }},
                            {"truncate", [](FS& fs) { fs.budget->failSetLength = true; }},
                            {"create", [](FS& fs) { fs.refuseCreate = true; }},
                            {"rename", [](FS& fs) { fs.refuseReplace = true; }}};
    // A write budget inside the header, at chunk boundaries, inside a large chunk, inside
    // the map, one byte short.
    for (long long b : {0, 1, 63, 64, 140, 840, 2000, 3916, 3990, 4100, 4152})
        f.push_back({"write_" + std::to_string(b), [b](FS& fs) { fs.budget->writeBytes = b; }});
    return f;
}

INSTANTIATE_TEST_SUITE_P(Faults, SafeSaveFaults, testing::ValuesIn(Faults()),
                         [](const auto& info) { return info.param.first; });

}  // namespace
