// Writes the starting corpora of the harnesses: small files made with the test builders,
// damaged ones among them, and the sample files. Usage: palvane-fuzz-seeds OUT SAMPLES
//   OUT/container, OUT/dialog, OUT/cli_info, OUT/cli_check   IFF files
//   OUT/sprite                                inputs in the layout sprite.cc reads
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"
#include "iff/iff_file.h"
#include "iff/iff_types.h"

using namespace builders;
namespace fs = std::filesystem;

namespace {

// A frame that uses every opcode but 7: depth, blended and plain runs, skips both ways.
Spr2FrameSpec MixedFrame(WORD paletteId, int w, int h) {
    Spr2Grid g(w, h);
    for (int y = 0; y < h; ++y) {
        if (y == 1) continue;  // a skipped row
        for (int x = 0; x < w; ++x) {
            if (x == 2) continue;  // a skipped pixel
            const int c = (x * 7 + y * 13) & 0xFF;
            if (y % 3 == 0)
                g.Set(x, y, c, 10 + x);
            else if (y % 3 == 1)
                g.Set(x, y, c, 20, (x * 40) & 0xFF);
            else
                g.Set(x, y, c);
        }
    }
    return FrameFromGrid(g, paletteId, GridEncoding{(w & 1) == 0, (h & 1) == 0});
}

Spr2Spec MixedSprite(DWORD paletteId, const std::vector<WORD>& framePalettes) {
    Spr2Spec s;
    s.paletteId = paletteId;
    int n = 0;
    for (WORD p : framePalettes) s.frames.push_back(MixedFrame(p, 3 + n, 2 + n)), ++n;
    return s;
}

ChunkSpec Raw(const std::string& type, WORD id, Bytes data, WORD flags = 0x10,
              const std::string& name = "") {
    ChunkSpec c;
    c.type = type;
    c.id = id;
    c.flags = flags;
    c.name = name;
    c.data = std::move(data);
    return c;
}

std::vector<IffSpec> ContainerFiles() {
    std::vector<IffSpec> files;
    const ChunkSpec palette = PaltChunk(1, TestPalette(), "palette");
    const ChunkSpec sprite = Spr2Chunk(128, MixedSprite(1, {1, 2, 41891}), "sprite");

    IffSpec plain;
    plain.chunks = {palette, PaltChunk(2, TestPalette()), sprite,
                    Spr2Chunk(129, MixedSprite(7, {7}), std::string(64, 'n'))};
    files.push_back(plain);

    IffSpec old = plain;
    old.version = "2.0";
    old.withMap = false;
    files.push_back(old);

    IffSpec mapFirst = plain;
    mapFirst.mapFirst = true;
    mapFirst.mapOrder = {3, 1, 0, 2};
    files.push_back(mapFirst);

    IffSpec hidden;  // map-only and scan-skipped chunks, a duplicate, an empty one
    hidden.chunks = {palette, Raw("SPR2", 5, {1, 2, 3}, 0x14, "skip"), sprite,
                     Raw("PALT", 1, BuildPalt(TestPalette()), 0x10, "again"),
                     Raw("TEXT", 9, {}, 0x10, "ab")};
    hidden.chunks[1].inFile = false;
    files.push_back(hidden);

    IffSpec damaged = plain;  // a size below the header's ends the scan
    damaged.chunks[2].sizeField = 75;
    files.push_back(damaged);

    IffSpec overrun = plain;  // a map whose counts claim far more than it holds
    {
        Bytes map(20, 0);
        std::memcpy(map.data() + 8, "pmsr", 4);
        StoreLE32(map.data() + 16, 0x7FFFFFFF);
        map.insert(map.end(), {'2', 'R', 'P', 'S', 0xFF, 0xFF, 0xFF, 0xFF, 64, 0, 0, 0});
        overrun.mapData = map;
    }
    files.push_back(overrun);
    return files;
}

// A file with every kind of finding check makes: an old and a short palette, frames that
// fall back or cannot be drawn, a sprite that does not decode.
IffSpec CheckFile() {
    PaltSpec old = TestPalette(), cut = TestPalette();
    old.version = 2;
    cut.size = 700;
    Spr2Spec sprite = MixedSprite(1, {1, 7, 41891, 2, 3});
    sprite.frames.push_back({0, 4, 0, 1, 0, 0, 0, Spr2Stream().End()});
    IffSpec file;
    file.chunks = {PaltChunk(1, TestPalette(), "p"),
                   PaltChunk(2, old),
                   PaltChunk(3, cut),
                   Spr2Chunk(10, sprite, "s"),
                   Spr2Chunk(12, MixedSprite(9, {8})),
                   Raw("SPR2", 11, {7, 0, 0, 0}, 0x10, "bad")};
    return file;
}

// A sprite input: palettes (ID, length, data), then the sprite's data.
Bytes SpriteInput(const std::vector<std::pair<WORD, Bytes>>& palettes, const Bytes& sprite) {
    Bytes out{static_cast<BYTE>(palettes.size())};
    for (const auto& p : palettes) {
        BYTE head[4];
        StoreLE16(head, p.first);
        StoreLE16(head + 2, static_cast<WORD>(p.second.size()));
        out.insert(out.end(), head, head + 4);
        out.insert(out.end(), p.second.begin(), p.second.end());
    }
    out.insert(out.end(), sprite.begin(), sprite.end());
    return out;
}

std::vector<Bytes> SpriteInputs() {
    const Bytes palt = BuildPalt(TestPalette());
    PaltSpec shortSpec = TestPalette();
    shortSpec.size = 700;
    std::vector<Bytes> out;
    out.push_back(SpriteInput({{1, palt}}, BuildSpr2(MixedSprite(1, {1, 1}))));
    out.push_back(SpriteInput({{1, palt}, {2, BuildPalt(shortSpec)}},
                              BuildSpr2(MixedSprite(1, {2, 41891, 3}))));
    out.push_back(SpriteInput({}, BuildSpr2(Spr2Spec{})));
    Spr2Spec odd = MixedSprite(1, {1, 1});
    odd.offsets = std::vector<DWORD>{64, 64};  // two frames on the same bytes
    out.push_back(SpriteInput({{1, palt}}, BuildSpr2(odd)));
    Spr2Spec many = MixedSprite(1, std::vector<WORD>(14, 1));
    out.push_back(SpriteInput({{1, palt}}, BuildSpr2(many)));
    return out;
}

// The sprites of a sample file, each with the file's first palettes.
std::vector<Bytes> SpriteInputsFrom(const std::string& path) {
    std::vector<Bytes> out;
    CIffFile iff;
    if (!LoadIffBytes(iff, ReadFileBytes(path)) || !iff.LoadAllChunkData()) return out;
    std::vector<std::pair<WORD, Bytes>> palettes;
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_PALT); pos && palettes.size() < 3;) {
        const CIffChunk* c = iff.GetNextByIdOfType(pos);
        palettes.emplace_back(c->m_wID, Bytes(c->m_pData.get(), c->m_pData.get() + c->m_dwSize));
    }
    for (POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos;) {
        const CIffChunk* c = iff.GetNextByIdOfType(pos);
        out.push_back(
            SpriteInput(palettes, Bytes(c->m_pData.get(), c->m_pData.get() + c->m_dwSize)));
    }
    iff.Reset();
    return out;
}

void WriteAll(const fs::path& folder, const std::string& stem, const std::vector<Bytes>& inputs) {
    fs::create_directories(folder);
    for (size_t i = 0; i < inputs.size(); ++i)
        WriteFileBytes((folder / (stem + "-" + std::to_string(i))).string(), inputs[i]);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT [SAMPLES]\n", argv[0]);
        return 2;
    }
    const fs::path out(argv[1]);
    std::vector<Bytes> files;
    for (const IffSpec& layout : ContainerFiles()) files.push_back(BuildIff(layout));
    std::vector<Bytes> samples;
    std::vector<Bytes> sprites = SpriteInputs();
    if (argc > 2 && fs::is_directory(argv[2])) {
        for (const auto& e : fs::directory_iterator(argv[2])) {
            if (e.path().extension() != ".iff") continue;
            samples.push_back(ReadFileBytes(e.path().string()));
            for (Bytes& s : SpriteInputsFrom(e.path().string())) sprites.push_back(std::move(s));
        }
    }
    for (const char* area : {"container", "dialog", "cli_info", "cli_check"}) {
        WriteAll(out / area, "built", files);
        WriteAll(out / area, "sample", samples);
    }
    WriteAll(out / "cli_check", "check", {BuildIff(CheckFile())});
    WriteAll(out / "sprite", "built", sprites);
    return 0;
}
