// Small files whose headers claim enormous things: gigabyte chunks, 2^31 frames, frames
// of 65535 x 65535 pixels, maps with millions of entries. Opening, listing, showing,
// patching and saving each must stay within a few times the file's size in memory (plus
// what any run of the program needs) and must end.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/byte_order.h"
#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"
#include "child_process.h"
#include "drivers.h"

namespace robustness {
namespace {

using namespace builders;

constexpr size_t kBlock = 1024;
// Generous: a run of either front end on a small file needs a few MB beyond the
// child's starting size; one allocation sized by a claimed header would need hundreds.
constexpr long kSlackKb = 24 * 1024;

// AddressSanitizer pads every allocation and holds freed memory back for a while, so
// there the figure only has to stay far from what a claimed size would cost.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kAllocatorFactor = 8;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr long kAllocatorFactor = 8;
#else
constexpr long kAllocatorFactor = 1;
#endif
#else
constexpr long kAllocatorFactor = 1;
#endif

Bytes Dword(DWORD v) {
    Bytes b(4);
    StoreLE32(b.data(), v);
    return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Padded with zeros to whole kilobytes (one, for all but the file that needs a palette):
// a zero size field after the real chunks ends the scan.
Bytes Kilobytes(Bytes bytes) {
    bytes.resize((bytes.size() + kBlock - 1) / kBlock * kBlock, 0);
    return bytes;
}

ChunkSpec Raw(const std::string& type, WORD id, Bytes data) {
    ChunkSpec c;
    c.type = type;
    c.id = id;
    c.data = std::move(data);
    return c;
}

Spr2FrameSpec SmallFrame() {
    Spr2Grid grid(2, 2);
    for (int i = 0; i < 4; ++i) grid.Set(i % 2, i / 2, 3, 1);
    return FrameFromGrid(grid, 1);
}

const NamedChildBody kDialogOpens("dialog-opens", [](const ChildArgs& args) {
    return QuickPatchInDialog(args.at(0)).opened ? 0 : 3;
});

struct Hostile {
    const char* name;
    Bytes bytes;
};

std::vector<Hostile> HostileFiles() {
    std::vector<Hostile> files;
    PaltSpec palette = TestPalette();
    palette.size = 784;

    {  // listed by the map, each header claiming a gigabyte or more
        IffSpec layout;
        layout.chunks = {Raw("BULK", 1, Bytes(100, 1)), Raw("SPR2", 1, Bytes(100, 2)),
                         Raw("PALT", 3, Bytes(100, 3))};
        layout.chunks[0].sizeField = 0x40000000;
        layout.chunks[1].sizeField = 0x3FFFFFFF;
        layout.chunks[2].sizeField = 0xFFFFFFF0;
        files.push_back({"gigabyte chunks", Kilobytes(BuildIff(layout))});
    }
    {  // the same through the scan alone
        IffSpec layout;
        layout.version = "2.0";
        layout.withMap = false;
        layout.chunks = {Raw("SPR2", 1, Bytes(800, 2))};
        layout.chunks[0].sizeField = 0x40000000;
        files.push_back({"gigabyte chunk, scanned", Kilobytes(BuildIff(layout))});
    }
    {  // frame counts of 2^31 (negative) and 2^31 - 1 (a table that cannot fit)
        Spr2Spec sprite;
        sprite.frames = {SmallFrame()};
        sprite.frameCountField = 0x80000000u;
        Spr2Spec huge = sprite;
        huge.frameCountField = 0x7FFFFFFFu;
        IffSpec layout;
        layout.chunks = {Spr2Chunk(1, sprite), Spr2Chunk(2, huge)};
        files.push_back({"2^31 frames", Kilobytes(BuildIff(layout))});
    }
    {  // one frame of 65535 x 65535 pixels, drawable palette and all
        Spr2Spec sprite;
        sprite.paletteId = 1;
        Spr2FrameSpec frame = SmallFrame();
        frame.width = frame.height = 0xFFFF;
        sprite.frames = {frame};
        IffSpec layout;
        layout.withMap = false;
        layout.chunks = {PaltChunk(1, palette), Spr2Chunk(1, sprite)};
        files.push_back({"65535 x 65535 pixels", Kilobytes(BuildIff(layout))});
    }
    {  // a map claiming 2^32 - 1 types, millions of entries in each, all at one chunk
        Bytes entries;
        for (int i = 0; i < 40; ++i)
            entries = Concat({entries, Dword(64), {7, 0, 0x10, 0}, {'n', 0}});
        const Bytes map = Concat({Dword(0),
                                  Dword(0),
                                  {'p', 'm', 's', 'r'},
                                  Dword(0),
                                  Dword(0xFFFFFFFF),
                                  {'T', 'L', 'A', 'P'},
                                  Dword(5000000),
                                  entries,
                                  {'2', 'R', 'P', 'S'},
                                  Dword(0xFFFFFFFF)});
        IffSpec layout;
        layout.chunks = {Raw("PALT", 7, Bytes(100, 7))};
        layout.mapData = map;
        files.push_back({"millions of map entries", Kilobytes(BuildIff(layout))});
    }
    {  // a map whose entries lead back to the map itself
        IffSpec layout;
        layout.chunks = {Raw("PALT", 7, Bytes(100, 7))};
        const BuiltIff built = BuildIffLayout(layout);
        Bytes entries;
        for (int i = 0; i < 30; ++i)
            entries = Concat({entries, Dword(built.mapOffset), {0, 0, 0x10, 0}, {'m', 0}});
        layout.mapData = Concat({Dword(0),
                                 Dword(0),
                                 {'p', 'm', 's', 'r'},
                                 Dword(0),
                                 Dword(3000000),
                                 {'p', 'm', 's', 'r'},
                                 Dword(4000000),
                                 entries});
        files.push_back({"map entries naming the map", Kilobytes(BuildIff(layout))});
    }
    {  // thousands of the smallest chunks, each of a type of its own (about 1 MB)
        IffSpec layout;
        layout.version = "2.0";
        layout.withMap = false;
        for (DWORD i = 0; i < 13000; ++i) {
            const DWORD type = 0x41000000u + i;
            layout.chunks.push_back(
                Raw({char(type >> 24), char(type >> 16), char(type >> 8), char(type)}, 1, {}));
        }
        files.push_back({"13,000 types", Kilobytes(BuildIff(layout))});
    }
    return files;
}

void PrintTo(const Hostile& h, std::ostream* os) {
    *os << h.name;
}

class HostileInputs : public testing::TestWithParam<Hostile> {};

TEST_P(HostileInputs, EveryFrontEndStaysWithinBoundedMemory) {
    const Hostile& file = GetParam();
    const std::string path = TempPath("hostile.iff");
    const long boundKb =
        kAllocatorFactor * (4 * static_cast<long>(file.bytes.size()) / 1024 + kSlackKb);
    struct Run {
        const char* what;
        const char* body;
        ChildArgs args;
        int worstExit;  // 1: warnings allowed (a frame not drawn); 2: a refused save too
    };
    const std::string bmp = TempPath("frame.bmp");
    const Run runs[] = {
        {"info", "cli", {"info", path}, 0},
        {"render", "cli", {"render", path, "--sprite", "1", "--frame", "0", "--out", bmp}, 1},
        {"dialog", "dialog-opens", {path}, 0},
        {"quick-patch", "cli", {"quick-patch", path}, 2},
    };
    for (const Run& run : runs) {
        WriteFileBytes(path, file.bytes);
        const ChildResult r = RunInChild(run.body, run.args);
        const long usedKb = r.maxRssKb - BaselineRssKb();
        std::printf("%-28s %-12s exit %d, peak %ld KB above a bare child\n", file.name, run.what,
                    r.exitCode, usedKb);
        EXPECT_EQ(r.endedBy, 0u) << run.what;
        // Every file here loads; only what cannot be drawn or saved may fail.
        EXPECT_GE(r.exitCode, 0) << run.what;
        EXPECT_LE(r.exitCode, run.worstExit) << run.what;
        EXPECT_LT(usedKb, boundKb) << run.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInputs, testing::ValuesIn(HostileFiles()),
                         [](const testing::TestParamInfo<Hostile>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name;
                         });

}  // namespace
}  // namespace robustness
