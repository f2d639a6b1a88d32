// Disk and memory files: positioning, lengths, the exclusive hold and its duplicates.
#include "files/file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "builders/scratch_files.h"
#include "files/file_system.h"

namespace {

using builders::Bytes;

constexpr UINT kExclusive = CFile::modeReadWrite | CFile::shareExclusive;

class FileBasics : public testing::TestWithParam<bool> {};

// The operations every file object shares, over a disk file and a memory file.
TEST_P(FileBasics, SeekReadWriteAndLengthsAgree) {
    CFile disk;
    CMemFile mem;
    CFile& f = GetParam() ? disk : static_cast<CFile&>(mem);
    ASSERT_TRUE(!GetParam() ||
                disk.Open(builders::TempPath("basics").c_str(), kExclusive | CFile::modeCreate));
    const BYTE data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    BYTE out[10] = {};
    f.Write(data, 10);
    // Positions after seeks; a read with one byte left and that byte; a read at 4.
    const std::vector<ULONGLONG> got = {f.GetPosition(),           f.Seek(2, CFile::begin),
                                        f.Seek(3, CFile::current), f.Seek(-1, CFile::end),
                                        f.Read(out, 10),           out[0],
                                        f.ReadAt(4, out, 3),       out[2]};
    EXPECT_EQ(got, (std::vector<ULONGLONG>{10, 2, 5, 9, 1, 9, 3, 6}));
    EXPECT_THROW(f.Seek(-11, CFile::end), CFileException);
    f.SetLength(4);
    f.Seek(6, CFile::begin);
    f.Write(data, 2);  // past the end: the gap reads as zeros
    f.Seek(0, CFile::begin);
    EXPECT_EQ(f.Read(out, 10), 8u);
    EXPECT_EQ(Bytes(out, out + 8), (Bytes{0, 1, 2, 3, 0, 0, 0, 1}));
    if (!GetParam()) {
        EXPECT_THROW(mem.Duplicate(), CFileException);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileBasics, testing::Values(true, false),
                         [](const auto& info) { return info.param ? "disk" : "memory"; });

// Other processes are refused too: the tool's tests run it on a file they hold.
TEST(DiskFile, TheExclusiveHoldRefusesOthersAndPassesToADuplicate) {
    const std::string path = builders::TempPath("held.bin");
    builders::WriteFileBytes(path, {1, 2, 3, 4});
    auto first = std::make_unique<CFile>();
    CFile second;
    ASSERT_TRUE(first->Open(path.c_str(), kExclusive));
    CFileException error;
    BYTE b = 0;
    EXPECT_FALSE(second.Open((path + ".missing").c_str(), kExclusive, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_THROW(second.Read(&b, 1), CFileException);  // not open
    EXPECT_FALSE(second.Open(path.c_str(), kExclusive, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    EXPECT_NE(error.GetErrorMessage().find(path), std::string::npos);
    // A refused opener that asked for truncation must not have emptied the file.
    EXPECT_FALSE(second.Open(path.c_str(), kExclusive | CFile::modeCreate));
    EXPECT_EQ(first->GetLength(), 4u);
    std::unique_ptr<CFile> dup(first->Duplicate());
    first.reset();
    EXPECT_FALSE(second.Open(path.c_str(), kExclusive));
    EXPECT_TRUE(dup->ReadAt(3, &b, 1) == 1 && b == 4);
    EXPECT_EQ(dup->GetFileName(), path.substr(path.find_last_of(kPathSeparators) + 1));
    dup->Close();
    EXPECT_TRUE(second.Open(path.c_str(), kExclusive));
}

// A scanner or an indexer may hold a file for a moment: replacing it then still succeeds.
TEST(DiskFile, AFileHeldForAMomentIsStillReplaced) {
    const std::string from = builders::TempPath("new.bin"), to = builders::TempPath("old.bin");
    builders::WriteFileBytes(from, {1, 2});
    builders::WriteFileBytes(to, {3});
    CFile scanner;
    ASSERT_TRUE(scanner.Open(to.c_str(), kExclusive));
    std::thread release([&scanner] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        scanner.Close();
    });
    int error = 0;
    const BOOL replaced = RenameFileOver(from, to, &error);
    release.join();
    EXPECT_TRUE(replaced) << error;
    EXPECT_EQ(builders::ReadFileBytes(to), (Bytes{1, 2}));
}

}  // namespace
