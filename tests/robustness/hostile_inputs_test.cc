// Small files whose headers claim enormous things: gigabyte chunks, 2^31 frames, frames
// of 65535 x 65535 pixels, maps with millions of entries. Opening, listing, showing,
// patching and saving each must stay within a few times the file's size in memory (plus
// what any run of the program needs) and must end.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"
#include "child_process.h"
#include "drivers.h"

namespace robustness {
namespace {

using namespace builders;

// Generous: a run of either front end on a small file needs a few MB beyond the
// child's starting size; one allocation sized by a claimed header would need hundreds.
constexpr long kSlackKb = 24 * 1024;

// AddressSanitizer pads every allocation and holds freed memory back for a while, so
// there the figure only has to stay far from what a claimed size would cost.
#ifndef __has_feature
#define __has_feature(x) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
constexpr long kAllocatorFactor = 8;
#else
constexpr long kAllocatorFactor = 1;
#endif

Bytes Dword(DWORD v) {
    return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A chunk type as the map stores it.
Bytes Tag(const char* type) {
    return {BYTE(type[3]), BYTE(type[2]), BYTE(type[1]), BYTE(type[0])};
}

// A map's data claiming typeCount types, followed by the types as given.
Bytes MapData(DWORD typeCount, const Bytes& types) {
    return Concat({Dword(0), Dword(0), Tag("rsmp"), Dword(0), Dword(typeCount), types});
}

// n map entries, all naming the chunk at offset.
Bytes Entries(int n, DWORD offset, BYTE id) {
    Bytes out;
    for (int i = 0; i < n; ++i) out = Concat({out, Dword(offset), {id, 0, 0x10, 0, 'n', 0}});
    return out;
}

ChunkSpec Raw(const std::string& type, WORD id, Bytes data, std::optional<DWORD> size = {}) {
    return {type, id, 0x10, "", std::move(data), size};
}

const NamedChildBody kDialogOpens("dialog-opens", [](const ChildArgs& args) {
    return QuickPatchInDialog(args.at(0)).opened ? 0 : 3;
});

struct Hostile {
    const char* name;
    Bytes bytes;
};

std::vector<Hostile> HostileFiles() {
    PaltSpec palette = TestPalette();
    palette.size = 784;
    Spr2Grid grid(2, 2);
    for (int i = 0; i < 4; ++i) grid.Set(i % 2, i / 2, 3, 1);
    Spr2Spec negative, huge, giant;
    negative.frames = huge.frames = giant.frames = {FrameFromGrid(grid, 1)};
    negative.frameCountField = 0x80000000u;
    huge.frameCountField = 0x7FFFFFFFu;  // a table that cannot fit
    giant.paletteId = 1;                 // drawable palette and all
    giant.frames[0].width = giant.frames[0].height = 0xFFFF;
    const ChunkSpec palt = Raw("PALT", 7, Bytes(100, 7));
    IffSpec many{"2.5", {palt}};  // millions of entries in each type, all at one chunk
    many.mapData = MapData(0xFFFFFFFF, Concat({Tag("PALT"), Dword(5000000), Entries(40, 64, 7),
                                               Tag("SPR2"), Dword(0xFFFFFFFF)}));
    IffSpec loop{"2.5", {palt}};
    loop.mapData = MapData(3000000, Concat({Tag("rsmp"), Dword(4000000),
                                            Entries(30, BuildIffLayout(loop).mapOffset, 0)}));
    IffSpec types{"2.0", {}, false};  // the smallest chunks, about 1 MB
    for (DWORD t = 0x41000000u; t < 0x41000000u + 13000; ++t)
        types.chunks.push_back(Raw({char(t >> 24), char(t >> 16), char(t >> 8), char(t)}, 1, {}));
    std::vector<Hostile> files = {
        {"GigabyteChunks", BuildIff(IffSpec{"2.5",
                                            {Raw("BULK", 1, Bytes(100, 1), 0x40000000),
                                             Raw("SPR2", 1, Bytes(100, 2), 0x3FFFFFFF),
                                             Raw("PALT", 3, Bytes(100, 3), 0xFFFFFFF0)}})},
        {"GigabyteChunkScanned",
         BuildIff(IffSpec{"2.0", {Raw("SPR2", 1, Bytes(800, 2), 0x40000000)}, false})},
        {"TwoTo31Frames", BuildIff(IffSpec{"2.5", {Spr2Chunk(1, negative), Spr2Chunk(2, huge)}})},
        {"Frame65535x65535",
         BuildIff(IffSpec{"2.5", {PaltChunk(1, palette), Spr2Chunk(1, giant)}, false})},
        {"MillionsOfMapEntries", BuildIff(many)},
        {"MapEntriesNamingTheMap", BuildIff(loop)},
        {"Types13000", BuildIff(types)}};
    // Padded with zeros to whole kilobytes (one, for all but the file that needs a palette):
    // a zero size field after the real chunks ends the scan.
    for (Hostile& file : files) file.bytes.resize((file.bytes.size() + 1023) / 1024 * 1024);
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
        const char* body;
        ChildArgs args;  // the first one names the run
        int worstExit;   // 1: warnings allowed (a frame not drawn); 2: a refused save too
    };
    const std::string bmp = TempPath("frame.bmp");
    const Run runs[] = {
        {"cli", {"info", path}, 0},
        {"cli", {"render", path, "--sprite", "1", "--frame", "0", "--out", bmp}, 1},
        {"dialog-opens", {path}, 0},
        {"cli", {"quick-patch", path}, 2},
    };
    for (const Run& run : runs) {
        const std::string what = run.args[0] == path ? run.body : run.args[0];
        WriteFileBytes(path, file.bytes);
        const ChildResult r = RunInChild(run.body, run.args);
        const long usedKb = r.maxRssKb - BaselineRssKb();
        std::printf("%-24s %-12s exit %d, peak %ld KB above a bare child\n", file.name,
                    what.c_str(), r.exitCode, usedKb);
        EXPECT_EQ(r.endedBy, 0u) << what;
        // Every file here loads; only what cannot be drawn or saved may fail.
        EXPECT_GE(r.exitCode, 0) << what;
        EXPECT_LE(r.exitCode, run.worstExit) << what;
        EXPECT_LT(usedKb, boundKb) << what;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInputs, testing::ValuesIn(HostileFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace robustness
