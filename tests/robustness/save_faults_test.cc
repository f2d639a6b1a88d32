// Saves that go wrong: the disk fills up, a write fails part way, the process ends abruptly
// mid-save, the folder refuses the temporary file. Each time the file holds its old bytes
// or the complete new file, and whoever survives says so.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"
#include "child_process.h"
#include "cli/iff_session.h"
#include "doubles/fault_files.h"
#include "drivers.h"
#include "sprites/palette.h"
#include "sprites/palette_patch.h"
#include "sprites/spr2.h"

namespace robustness {
namespace {

using namespace builders;
using namespace doubles;
namespace fs = std::filesystem;

constexpr char kSaveError[] = "Error while saving this file!";

const NamedChildBody kDialogSaveError("dialog-save-error", [](const ChildArgs& args) {
    return QuickPatchInDialog(args.at(0)).lastMessage == kSaveError ? 0 : 1;
});

// Loads the file, patches it and saves it in place, calling `started` just before the save.
bool PatchAndSave(const std::string& path, const std::function<void()>& started) {
    IffSession session(path);
    CSpr2 sprite;
    if (!session.Open()) return false;
    PatchAllFramePalettes(session.Iff(), sprite, INVALID_PALETTE_ID, nullptr);
    if (!session.Iff().LoadAllChunkData()) return false;
    started();
    return session.Save(std::nullopt);
}

// The same in a child that ends abruptly, as if killed, args[1] microseconds into the save.
const NamedChildBody kKilledSave("killed-save", [](const ChildArgs& args) {
    const std::chrono::microseconds delay(std::stoll(args.at(1)));
    const auto killLater = [delay] {
        std::thread([delay] {
            std::this_thread::sleep_for(delay);
            EndAbruptly(99);
        }).detach();
    };
    return PatchAndSave(args.at(0), killLater) ? 0 : 2;
});

// A file whose Quick Patch changes every sprite; version 2.0, so even a plain save
// changes its bytes. `bulk` chunks of filler make it large.
Bytes PatchableFile(int bulk, size_t bulkSize) {
    IffSpec layout{"2.0", {PaltChunk(1, TestPalette(), "palette")}, false};
    Spr2Grid grid(4, 3);
    for (int i = 0; i < 12; ++i) grid.Set(i % 4, i / 4, i, 10);
    const Spr2Spec sprite{1000, 1, {FrameFromGrid(grid, 1), FrameFromGrid(grid, 1)}};
    for (WORD id = 100; id < 104; ++id) layout.chunks.push_back(Spr2Chunk(id, sprite, "sprite"));
    for (int i = 0; i < bulk; ++i)
        layout.chunks.push_back({"BULK", WORD(i), 0x10, "", Bytes(bulkSize, BYTE(i))});
    return BuildIff(layout);
}

class SaveFaults : public testing::Test {
protected:
    void SetUp() override { Prepare(PatchableFile(2, 3000)); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    // A folder anyone may enter (the refusing-folder case runs as another user), the
    // file in it, and what a Quick Patch of it writes.
    void Prepare(const Bytes& bytes) {
        folder = MakeScratchFolder(fs::temp_directory_path().string(), "palvane-save");
        fs::permissions(folder, static_cast<fs::perms>(0755));
        path = folder + "/file.iff";
        original = bytes;
        WriteFileBytes(path, original);
        const std::string out = TempPath("patched.iff");
        ASSERT_EQ(RunCli({"quick-patch", path, "--output", out}), 0);
        patched = ReadFileBytes(out);
        ASSERT_NE(patched, original);
    }

    // Every file in the folder with its bytes: a failed save changes nothing here.
    std::map<std::string, Bytes> Contents() const {
        std::map<std::string, Bytes> files;
        for (const auto& e : fs::directory_iterator(folder))
            files[e.path().filename().string()] = ReadFileBytes(e.path().string());
        return files;
    }

    std::string folder, path;
    Bytes original, patched;
};

TEST_F(SaveFaults, ADiskThatFillsUpOrAFolderThatRefusesTheNewFileLeavesTheOldBytes) {
#ifdef _WIN32
    GTEST_SKIP() << "no file size limit, permission bits or switch of user for a child on "
                    "Windows: there the fault file system stands in "
                    "(AFailedWriteFlushOrRenameIsReportedAndLeavesTheOldBytes)";
#else
    // RLIMIT_FSIZE stands in for the disk: writes past it fail with EFBIG.
    std::vector<ChildLimits> faults;
    for (unsigned long long limit :
         {0ull, 64ull, 1000ull, 0ull + patched.size() / 2, 0ull + patched.size() - 1})
        faults.emplace_back().fileSizeBytes = limit;
    // Permission bits do not stop root, as whom CI runs: there the child becomes another
    // user who owns the file. Anyone else is stopped by the folder's bits alone.
    constexpr uid_t kNobody = 65534;
    faults.emplace_back();
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        faults.back().uid = kNobody;
    }
    const auto before = Contents();
    for (const ChildLimits& limits : faults) {
        SCOPED_TRACE(limits.fileSizeBytes ? std::to_string(*limits.fileSizeBytes) + " bytes"
                                          : "a refusing folder");
        if (!limits.fileSizeBytes) ::chmod(folder.c_str(), limits.uid ? 0755 : 0555);
        EXPECT_EQ(RunInChild("cli", {"quick-patch", path}, limits).exitCode, 2);
        EXPECT_EQ(RunInChild("dialog-save-error", {path}, limits).exitCode, 0);
        ::chmod(folder.c_str(), 0755);
        EXPECT_EQ(Contents(), before);
    }
    ChildLimits enough;
    enough.fileSizeBytes = patched.size();
    EXPECT_EQ(RunInChild("cli", {"quick-patch", path}, enough).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(path), patched);
#endif
}

// Where in the file a write may fail is the container's tests' sweep; here each front end
// reports a failed write, flush or rename, in place and (the tool) into --output and a
// rendered bitmap, whose older files stay, the same on every system.
TEST_F(SaveFaults, AFailedWriteFlushOrRenameIsReportedAndLeavesTheOldBytes) {
    const std::string out = folder + "/out.iff", bmp = folder + "/out.bmp";
    WriteFileBytes(out, Bytes(10, 'x'));
    WriteFileBytes(bmp, Bytes(10, 'x'));
    const auto before = Contents();
    const std::vector<ChildArgs> commands = {
        {"quick-patch", path},
        {"quick-patch", path, "--output", out},
        {"render", path, "--sprite", "100", "--frame", "0", "--out", bmp}};
    for (const char* fault : {"write", "flush", "rename"}) {
        SCOPED_TRACE(fault);
        CFaultySaveFileSystem faulty;
        ScopedSaveFileSystem scoped(&faulty);
        for (size_t run = 0; run <= commands.size(); ++run) {  // the last one in the dialog
            faulty.budget->writeBytes = *fault == 'w' ? 20 : -1;
            faulty.budget->failFlush = *fault == 'f';
            faulty.refuseReplace = *fault == 'r';
            if (run < commands.size()) {
                EXPECT_EQ(RunCli(commands[run]), 2) << commands[run][0];
            } else {
                EXPECT_EQ(QuickPatchInDialog(path).lastMessage, kSaveError);
            }
            EXPECT_EQ(Contents(), before);
        }
    }
    EXPECT_EQ(QuickPatchInDialog(path).lastMessage, "File saved!");
    EXPECT_EQ(ReadFileBytes(path), patched);
}

class KilledSave : public SaveFaults {
protected:
    void SetUp() override { Prepare(PatchableFile(12, 2 << 20)); }  // about 24 MB
};

TEST_F(KilledSave, TheFileIsTheOldOrTheCompleteNewOneWhereverTheKillLands) {
    std::chrono::steady_clock::time_point start;
    ASSERT_TRUE(PatchAndSave(path, [&] { start = std::chrono::steady_clock::now(); }));
    const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    ASSERT_EQ(ReadFileBytes(path), patched);
    const unsigned seed = std::random_device{}();
    RecordProperty("seed", std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> delays(0, duration.count() * 5 / 4);
    ChildLimits limits;
    limits.touchAllocations = false;
    int kept = 0, replaced = 0;
    for (int i = 0; i < 16; ++i) {
        WriteFileBytes(path, original);
        const long long delay = delays(random);
        const ChildResult r = RunInChild("killed-save", {path, std::to_string(delay)}, limits);
        EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 99) << r.exitCode << " " << r.endedBy;
        const Bytes now = ReadFileBytes(path);
        ASSERT_TRUE(now == original || now == patched)
            << "seed " << seed << ", killed " << delay << " us into a " << duration.count()
            << " us save: " << now.size() << " bytes";
        (now == original ? kept : replaced) += 1;
        // A killed save may leave its temporary file; it never takes the file's name.
        for (const auto& e : fs::directory_iterator(folder))
            if (e.path() != path) fs::remove(e.path());
    }
    std::printf("save of %zu bytes took %lld us; 16 kills: %d kept the old file, %d the new\n",
                patched.size(), static_cast<long long>(duration.count()), kept, replaced);
}

}  // namespace
}  // namespace robustness
