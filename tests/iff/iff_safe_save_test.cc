// Saving in place: a save that fails at any point leaves the file's old bytes and the
// container as they were, and the next save succeeds.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "iff/iff_file.h"
#include "iff/iff_writer.h"
#include "iff_test_helpers.h"

using namespace ifftest;
using testsupport::BuildIff;
using testsupport::CFaultySaveFileSystem;
using testsupport::ReadFileBytes;
using testsupport::ScopedSaveFileSystem;

namespace {

enum class Fault { WriteBudget, Flush, CreateRefused, RenameRefused, Truncate };

struct FaultCase {
    Fault fault;
    long long budget;  // WriteBudget: bytes that reach the temporary file
};

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class SafeSave : public testing::Test {
protected:
    void SetUp() override {
        IffSpec in;
        in.version = "2.0";  // so the saved bytes differ from the original ones
        in.chunks = {Chunk("PALT", 1, 700), Chunk("SPR2", 2, 3000, 0x10, "sprite"),
                     Chunk("PALT", 7, 1)};
        original = BuildIff(in);
        IffSpec out = in;
        out.version = "2.5";
        saved = BuildIff(out);
        folder = testsupport::TempPath("folder");
        std::filesystem::create_directory(folder);
        path = folder + "/file.iff";
        testsupport::WriteFileBytes(path, original);
        ::chmod(path.c_str(), 0640);
        opened = testsupport::OpenExclusive(path);  // held open, as the program holds it
        ASSERT_TRUE(iff.Load(opened.get(), nullptr));
        ASSERT_TRUE(iff.LoadAllChunkData());
    }

    struct State {
        Bytes header;
        std::vector<DWORD> offsets;
        bool operator==(const State& o) const { return header == o.header && offsets == o.offsets; }
    };
    State Capture() const {
        const CIffFileRecord* rec = iff.GetRecord();
        State s{Bytes(rec->m_header, rec->m_header + 64), {}};
        for (POSITION p = rec->GetHeadPosition(); p;)
            s.offsets.push_back(rec->GetNext(p)->m_dwDataOffset);
        return s;
    }

    Bytes original, saved;
    std::string folder, path;
    std::unique_ptr<CFile> opened;
    CIffFile iff;
};

class SafeSaveFaults : public SafeSave, public testing::WithParamInterface<FaultCase> {};

TEST_P(SafeSaveFaults, AFailedSaveLeavesEverythingAndARetrySucceeds) {
    CFaultySaveFileSystem fs;
    const FaultCase& c = GetParam();
    switch (c.fault) {
        case Fault::WriteBudget:
            fs.budget->writeBytes = c.budget;
            break;
        case Fault::Flush:
            fs.budget->failFlush = true;
            break;
        case Fault::CreateRefused:
            fs.refuseCreate = true;
            break;
        case Fault::RenameRefused:
            fs.refuseReplace = true;
            break;
        case Fault::Truncate:
            fs.budget->failSetLength = true;
            break;
    }
    const State before = Capture();
    const auto entries = FolderEntries(folder);
    {
        ScopedSaveFileSystem scoped(&fs);
        BOOL ok = TRUE;
        EXPECT_NO_THROW(ok = iff.Save(nullptr));
        EXPECT_FALSE(ok);
    }
    EXPECT_EQ(ReadFileBytes(path), original);
    EXPECT_TRUE(Capture() == before);
    EXPECT_EQ(FolderEntries(folder), entries) << "temporary file left behind";
    CFile second;
    EXPECT_FALSE(second.Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive));

    ASSERT_TRUE(iff.Save(nullptr));
    EXPECT_EQ(ReadFileBytes(path), saved);
    EXPECT_EQ(FolderEntries(folder), entries);
}

std::vector<FaultCase> FaultCases() {
    std::vector<FaultCase> cases;
    // Inside the header, at chunk boundaries, inside a large chunk, inside the map, one short.
    for (long long b : {0LL, 1LL, 63LL, 64LL, 140LL, 840LL, 2000LL, 3916LL, 3990LL, 4100LL, 4152LL})
        cases.push_back({Fault::WriteBudget, b});
    for (Fault f : {Fault::Flush, Fault::CreateRefused, Fault::RenameRefused, Fault::Truncate})
        cases.push_back({f, 0});
    return cases;
}

std::string FaultName(const testing::TestParamInfo<FaultCase>& info) {
    static const char* names[] = {"write_budget_", "flush", "create_refused", "rename_refused",
                                  "truncate"};
    const auto& c = info.param;
    return std::string(names[static_cast<int>(c.fault)]) +
           (c.fault == Fault::WriteBudget ? std::to_string(c.budget) : "");
}

INSTANTIATE_TEST_SUITE_P(Faults, SafeSaveFaults, testing::ValuesIn(FaultCases()), FaultName);

TEST_F(SafeSave, TheSavedFileKeepsItsBitsAndStaysHeldByTheContainer) {
    ASSERT_EQ(static_cast<long long>(saved.size()), 4153) << "fault offsets above assume this size";
    ASSERT_TRUE(iff.Save(nullptr));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // The container's file object is the new file, under the path it was opened by.
    CFile& own = *iff.GetRecord()->m_pFile;
    struct stat held;
    ASSERT_EQ(::fstat(own.m_hFile, &held), 0);
    EXPECT_EQ(held.st_ino, st.st_ino);
    EXPECT_EQ(own.GetFilePath(), path);
    CFile second;
    EXPECT_FALSE(second.Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive));
    // Offsets now point into the new file.
    CIffChunk* c = nullptr;
    ASSERT_TRUE(iff.FindChunk(&c, IFF_TYPE_SPR2, 2));
    BYTE first = 0;
    ASSERT_EQ(own.ReadAt(c->m_dwDataOffset, &first, 1), 1u);
    EXPECT_EQ(first, c->m_pData[0]);
    // Once the container lets go, the file can be opened again.
    iff.Reset();
    EXPECT_TRUE(second.Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive));
}

TEST_F(SafeSave, ALinkStaysALinkToTheSavedFile) {
    const std::string link = folder + "/link.iff";
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    iff.Reset();
    opened.reset();
    opened = testsupport::OpenExclusive(link);
    ASSERT_TRUE(iff.Load(opened.get(), nullptr));
    ASSERT_TRUE(iff.LoadAllChunkData());
    ASSERT_TRUE(iff.Save(nullptr));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(path), saved);
}

TEST_F(SafeSave, AFileReplacedBehindTheContainersBackIsNotOverwritten) {
    const Bytes other = {1, 2, 3};
    ASSERT_EQ(::rename(path.c_str(), (folder + "/moved.iff").c_str()), 0);
    testsupport::WriteFileBytes(path, other);
    EXPECT_FALSE(iff.Save(nullptr));
    EXPECT_EQ(ReadFileBytes(path), other);
}

TEST(SafeSaveMemory, ANewContainerSavesIntoAFreshMemoryFile) {
    CIffFile iff;
    IffChunkHeader h{};
    h.dwType = IFF_TYPE_PALT;
    CIffChunk* c = CIffManager::AddChunk(iff.GetHandle(), h, 0);
    c->m_bLoaded = TRUE;
    const CFile* before = iff.GetRecord()->m_pFile.get();
    ASSERT_TRUE(iff.Save(nullptr));
    EXPECT_NE(iff.GetRecord()->m_pFile.get(), before);
    EXPECT_EQ(iff.GetRecord()->m_pFile->GetLength(), IffSavedSize(iff.GetHandle()));
    c->m_bLoaded = FALSE;  // an unloaded chunk: refused, the memory file kept
    const CFile* kept = iff.GetRecord()->m_pFile.get();
    EXPECT_FALSE(iff.Save(nullptr));
    EXPECT_EQ(iff.GetRecord()->m_pFile.get(), kept);
}

}  // namespace
