// Writes SPR2 sprites and PALT palettes: pixel streams by hand or from pixel grids, sprites
// in the canonical layout or damaged ones, palettes of any version, count and length.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/types.h"
#include "builders/iff_builder.h"

namespace builders {

// A pixel stream written command by command. Runs take their count from the payload and
// are padded to an even length; counts above 8191 are the caller's business.
class Spr2Stream {
public:
    struct DepthPixel {
        BYTE depth;
        BYTE color;
    };
    struct BlendPixel {
        BYTE depth;
        BYTE color;
        BYTE weight;
    };

    Spr2Stream& Command(int opcode, int count);  // any opcode 0..7 and count 0..8191
    Spr2Stream& StartRow() { return Command(0, 0); }
    Spr2Stream& SkipRows(int count) { return Command(4, count); }
    Spr2Stream& SkipPixels(int count) { return Command(3, count); }
    Spr2Stream& End() { return Command(5, 0); }
    Spr2Stream& DepthRun(const std::vector<DepthPixel>& pixels);
    Spr2Stream& BlendRun(const std::vector<BlendPixel>& pixels);
    Spr2Stream& ColorRun(const std::vector<BYTE>& colors);
    Spr2Stream& Raw(const Bytes& bytes);  // appended as they are, no padding

    const Bytes& bytes() const { return m_bytes; }
    operator const Bytes&() const { return m_bytes; }

private:
    Bytes m_bytes;
};

// One frame as planes, rows from the top, width * height entries each. color < 0: not
// drawn. depth empty or < 0: a colour run (no depth test). Otherwise weight empty or < 0:
// a depth run; weight 0..255: a blended depth run.
struct Spr2Grid {
    Spr2Grid() = default;
    Spr2Grid(int w, int h);  // nothing drawn
    void Set(int x, int y, int color, int depth = -1, int weight = -1);
    int At(const std::vector<int>& plane, int x, int y) const;

    int width = 0;
    int height = 0;
    std::vector<int> color;
    std::vector<int> depth;
    std::vector<int> weight;
};

struct GridEncoding {
    bool withEnd = true;   // finish with SPR2_CMD_END; otherwise the stream just stops
    bool skipRows = true;  // empty rows as SPR2_CMD_SKIP_ROWS; otherwise one START_ROW each
};

struct Spr2FrameSpec {
    WORD width = 0;
    WORD height = 0;
    DWORD flags = 0;
    WORD paletteId = 0;
    WORD field10 = 0;
    WORD field12 = 0;
    WORD field14 = 0;
    Bytes stream;
};

// The frame header takes the grid's size. Every opcode but 7 can come out of the stream: rows,
// row skips, pixel skips and the three runs, long runs split at 8191.
Spr2FrameSpec FrameFromGrid(const Spr2Grid& grid, WORD paletteId, const GridEncoding& how = {});

struct Spr2Spec {
    DWORD version = 1000;
    DWORD paletteId = 0;
    std::vector<Spr2FrameSpec> frames{};
    std::optional<DWORD> frameCountField{};       // damaged: the count as written
    std::optional<std::vector<DWORD>> offsets{};  // damaged: the table as written
    std::optional<DWORD> firstFrameOffset{};      // frames start here (gap filled with 0xA3)
};

// Canonical unless told otherwise: the table padded with 0xA3 to a multiple of 64.
Bytes BuildSpr2(const Spr2Spec& sprite);

struct Rgb {
    BYTE r;
    BYTE g;
    BYTE b;
};

struct PaltSpec {
    DWORD version = 1;
    DWORD colorCount = 256;
    std::vector<Rgb> colors{};     // up to 256; missing entries are black
    std::optional<size_t> size{};  // data length as written: cut, or padded with zeros
};

Bytes BuildPalt(const PaltSpec& palette);

// A palette whose 256 colours all differ, and its colour k.
Rgb TestColor(int k);
PaltSpec TestPalette();

ChunkSpec Spr2Chunk(WORD id, const Spr2Spec& sprite, const std::string& name = "");
ChunkSpec PaltChunk(WORD id, const PaltSpec& palette, const std::string& name = "");

// Loads a version 2.5 file holding these chunks into iff; FALSE if that fails.
BOOL LoadChunks(CIffFile& iff, const std::vector<ChunkSpec>& chunks);

}  // namespace builders
