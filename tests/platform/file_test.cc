// Disk and memory files: positioning, lengths, the exclusive hold and its duplicates.
#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/iff_builder.h"

namespace {

using testsupport::Bytes;

constexpr UINT kExclusive = CFile::modeReadWrite | CFile::shareExclusive;

std::string MakeFile(const Bytes& bytes) {
    const std::string path = testsupport::TempPath("file.bin");
    testsupport::WriteFileBytes(path, bytes);
    return path;
}

// The operations every file object shares, run over a disk file and a memory file.
class FileBasics : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) {
            disk.Open(MakeFile({}).c_str(), kExclusive);
            file = &disk;
        } else {
            file = &mem;
        }
    }
    CFile disk;
    CMemFile mem;
    CFile* file = nullptr;
};

TEST_P(FileBasics, SeekReadWriteAndLengthsAgree) {
    const BYTE data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    file->Write(data, 10);
    EXPECT_EQ(file->GetPosition(), 10u);
    EXPECT_EQ(file->GetLength(), 10u);
    EXPECT_EQ(file->Seek(2, CFile::begin), 2u);
    EXPECT_EQ(file->Seek(3, CFile::current), 5u);
    EXPECT_EQ(file->Seek(-1, CFile::end), 9u);
    BYTE out[10] = {};
    EXPECT_EQ(file->Read(out, 10), 1u);  // only one byte left
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(file->Read(out, 10), 0u);
    EXPECT_EQ(file->ReadAt(4, out, 3), 3u);
    EXPECT_EQ(out[2], 6);
    EXPECT_THROW(file->Seek(-11, CFile::end), CFileException);

    file->SetLength(4);
    EXPECT_EQ(file->GetLength(), 4u);
    file->Seek(6, CFile::begin);
    file->Write(data, 2);  // past the end: the gap reads as zeros
    EXPECT_EQ(file->GetLength(), 8u);
    file->Seek(0, CFile::begin);
    EXPECT_EQ(file->Read(out, 10), 8u);
    const BYTE expected[8] = {0, 1, 2, 3, 0, 0, 0, 1};
    EXPECT_EQ(std::memcmp(out, expected, 8), 0);
    file->SetLength(0);
    EXPECT_EQ(file->GetLength(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileBasics, testing::Values(true, false),
                         [](const auto& info) { return info.param ? "disk" : "memory"; });

TEST(DiskFile, ASecondExclusiveOpenerIsRefusedHereAndInAnotherProcess) {
    const std::string path = MakeFile({1, 2, 3});
    CFile first;
    ASSERT_TRUE(first.Open(path.c_str(), kExclusive));
    CFile second;
    CFileException error;
    EXPECT_FALSE(second.Open(path.c_str(), kExclusive, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    EXPECT_NE(error.GetErrorMessage().find(path), std::string::npos);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CFile other;
        _exit(other.Open(path.c_str(), kExclusive) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process got the file";

    // A refused opener that asked for truncation must not have emptied the file.
    EXPECT_FALSE(second.Open(path.c_str(), kExclusive | CFile::modeCreate));
    EXPECT_EQ(first.GetLength(), 3u);
}

TEST(DiskFile, ADuplicateSharesTheHoldAndOutlivesTheOriginal) {
    const std::string path = MakeFile({1, 2, 3, 4});
    auto first = std::make_unique<CFile>();
    ASSERT_TRUE(first->Open(path.c_str(), kExclusive));
    std::unique_ptr<CFile> dup(first->Duplicate());
    EXPECT_EQ(dup->GetFilePath(), path);
    EXPECT_EQ(dup->GetFileName(), path.substr(path.rfind('/') + 1));
    first->Close();
    first.reset();
    CFile other;
    EXPECT_FALSE(other.Open(path.c_str(), kExclusive));
    BYTE b = 0;
    EXPECT_EQ(dup->ReadAt(3, &b, 1), 1u);
    EXPECT_EQ(b, 4);
    dup->Close();
    EXPECT_TRUE(other.Open(path.c_str(), kExclusive));
}

TEST(DiskFile, FailuresNameTheFileAndTheCause) {
    CFile f;
    CFileException error;
    const std::string missing = testsupport::TempPath("missing.bin");
    EXPECT_FALSE(f.Open(missing.c_str(), kExclusive, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ENOENT);
    EXPECT_NE(error.GetErrorMessage().find(missing), std::string::npos);
    BYTE b;
    EXPECT_THROW(f.Read(&b, 1), CFileException);  // not open
    EXPECT_TRUE(f.Open(missing.c_str(), kExclusive | CFile::modeCreateNew));
    CFile again;
    EXPECT_FALSE(again.Open(missing.c_str(), CFile::modeReadWrite | CFile::modeCreateNew, &error));
    EXPECT_EQ(error.m_lOsError, EEXIST);
    EXPECT_EQ(CFileException::OsErrorToCause(ENOSPC), CFileException::diskFull);
}

TEST(MemoryFile, GrowsInStepsOf1024) {
    CMemFile mem;
    std::vector<BYTE> data(1500, 7);
    mem.Write(data.data(), 1);
    EXPECT_EQ(mem.GetBufferSize(), 1024u);
    mem.Write(data.data(), 1023);
    EXPECT_EQ(mem.GetBufferSize(), 1024u);
    mem.Write(data.data(), 1500);
    EXPECT_EQ(mem.GetBufferSize(), 3072u);
    EXPECT_EQ(mem.GetLength(), 2524u);
    EXPECT_THROW(mem.Duplicate(), CFileException);
}

}  // namespace
