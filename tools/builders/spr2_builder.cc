#include "builders/spr2_builder.h"

#include <algorithm>
#include <stdexcept>

namespace builders {

namespace {

constexpr int kMaxCount = 0x1FFF;

// Little-endian, `size` bytes of v.
void Put(Bytes& out, DWORD v, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

// A run: its command word, the payload, and one padding byte after an odd payload.
Spr2Stream& Run(Spr2Stream& s, int opcode, size_t count, const Bytes& payload) {
    s.Command(opcode, static_cast<int>(count)).Raw(payload);
    return payload.size() & 1 ? s.Raw({0}) : s;
}

// The opcode that draws a grid pixel; 0 when it is not drawn.
int OpcodeAt(const Spr2Grid& g, int x, int y) {
    if (g.At(g.color, x, y) < 0) return 0;
    if (g.At(g.depth, x, y) < 0) return 6;
    return g.At(g.weight, x, y) < 0 ? 1 : 2;
}

void EmitRepeated(Spr2Stream& s, int opcode, int total) {
    for (; total > 0; total -= kMaxCount) s.Command(opcode, std::min(total, kMaxCount));
}

Bytes EncodeGrid(const Spr2Grid& g, const GridEncoding& how) {
    Spr2Stream s;
    int lastRow = -1;
    for (int y = 0; y < g.height; ++y) {
        int lastDrawn = -1;
        for (int x = 0; x < g.width; ++x) {
            if (OpcodeAt(g, x, y)) lastDrawn = x;
        }
        if (lastDrawn < 0) continue;
        if (y - lastRow == 1 || !how.skipRows) {
            for (int i = lastRow; i < y; ++i) s.StartRow();
        } else {
            EmitRepeated(s, 4, y - lastRow);
        }
        lastRow = y;
        // Runs of one kind, split at the largest count; the gaps between them skipped.
        for (int x = 0; x <= lastDrawn;) {
            const int opcode = OpcodeAt(g, x, y);
            const int n = std::min(kMaxCount, lastDrawn + 1 - x);
            int end = x + 1;
            while (end < x + n && OpcodeAt(g, end, y) == opcode) ++end;
            if (opcode == 0) {
                s.SkipPixels(end - x);
                x = end;
                continue;
            }
            Bytes payload;
            for (const int start = x; x < end; ++x) {
                if (opcode != 6) payload.push_back(static_cast<BYTE>(g.At(g.depth, x, y)));
                payload.push_back(static_cast<BYTE>(g.At(g.color, x, y)));
                if (opcode == 2) payload.push_back(static_cast<BYTE>(g.At(g.weight, x, y)));
                if (x + 1 == end) Run(s, opcode, end - start, payload);
            }
        }
    }
    if (how.withEnd) s.End();
    return s.bytes();
}

}  // namespace

Spr2Stream& Spr2Stream::Command(int opcode, int count) {
    if (opcode < 0 || opcode > 7 || count < 0 || count > kMaxCount) {
        throw std::invalid_argument("SPR2 command out of range");
    }
    Put(m_bytes, static_cast<DWORD>((opcode << 13) | count), 2);
    return *this;
}

Spr2Stream& Spr2Stream::DepthRun(const std::vector<DepthPixel>& pixels) {
    Bytes payload;
    for (const DepthPixel& p : pixels) payload.insert(payload.end(), {p.depth, p.color});
    return Run(*this, 1, pixels.size(), payload);
}

Spr2Stream& Spr2Stream::BlendRun(const std::vector<BlendPixel>& pixels) {
    Bytes payload;
    for (const BlendPixel& p : pixels) payload.insert(payload.end(), {p.depth, p.color, p.weight});
    return Run(*this, 2, pixels.size(), payload);
}

Spr2Stream& Spr2Stream::ColorRun(const std::vector<BYTE>& colors) {
    return Run(*this, 6, colors.size(), colors);
}

Spr2Stream& Spr2Stream::Raw(const Bytes& bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

Spr2Grid::Spr2Grid(int w, int h)
    : width(w), height(h), color(static_cast<size_t>(w) * h, -1), depth(color), weight(color) {}

void Spr2Grid::Set(int x, int y, int c, int d, int w) {
    const size_t i = static_cast<size_t>(y) * width + x;
    color.at(i) = c;
    depth.at(i) = d;
    weight.at(i) = w;
}

int Spr2Grid::At(const std::vector<int>& plane, int x, int y) const {
    const size_t i = static_cast<size_t>(y) * width + x;
    return i < plane.size() ? plane[i] : -1;
}

Spr2FrameSpec FrameFromGrid(const Spr2Grid& grid, WORD paletteId, const GridEncoding& how) {
    return {static_cast<WORD>(grid.width), static_cast<WORD>(grid.height), 0, paletteId, 0, 0, 0,
            EncodeGrid(grid, how)};
}

Bytes BuildSpr2(const Spr2Spec& sprite) {
    const size_t n = sprite.frames.size();
    const size_t tableEnd = 12 + 4 * (sprite.offsets ? sprite.offsets->size() : n);
    const size_t first = sprite.firstFrameOffset.value_or((4 * n + 75) & ~size_t{63});
    std::vector<DWORD> offsets = sprite.offsets.value_or(std::vector<DWORD>());
    for (size_t i = 0, at = first; i < n && !sprite.offsets;
         at += 16 + sprite.frames[i++].stream.size())
        offsets.push_back(static_cast<DWORD>(at));

    Bytes out;
    for (DWORD v : {sprite.version, sprite.frameCountField.value_or(static_cast<DWORD>(n)),
                    sprite.paletteId}) {
        Put(out, v, 4);
    }
    for (DWORD o : offsets) Put(out, o, 4);
    if (first > tableEnd) out.resize(first, 0xA3);
    for (const Spr2FrameSpec& f : sprite.frames) {
        Put(out, f.width, 2);
        Put(out, f.height, 2);
        Put(out, f.flags, 4);
        for (WORD w : {f.paletteId, f.field10, f.field12, f.field14}) Put(out, w, 2);
        out.insert(out.end(), f.stream.begin(), f.stream.end());
    }
    return out;
}

Bytes BuildPalt(const PaltSpec& palette) {
    Bytes out;
    Put(out, palette.version, 4);
    Put(out, palette.colorCount, 4);
    out.resize(16, 0);
    for (size_t k = 0; k < 256; ++k) {
        const Rgb c = k < palette.colors.size() ? palette.colors[k] : Rgb{0, 0, 0};
        out.insert(out.end(), {c.r, c.g, c.b});
    }
    if (palette.size) out.resize(*palette.size, 0);
    return out;
}

Rgb TestColor(int k) {
    return Rgb{static_cast<BYTE>(k), static_cast<BYTE>(255 - k), static_cast<BYTE>(k * 7 + 3)};
}

PaltSpec TestPalette() {
    PaltSpec p;
    for (int k = 0; k < 256; ++k) p.colors.push_back(TestColor(k));
    return p;
}

ChunkSpec Spr2Chunk(WORD id, const Spr2Spec& sprite, const std::string& name) {
    return {"SPR2", id, 0x0010, name, BuildSpr2(sprite), std::nullopt, true, true};
}

ChunkSpec PaltChunk(WORD id, const PaltSpec& palette, const std::string& name) {
    return {"PALT", id, 0x0010, name, BuildPalt(palette), std::nullopt, true, true};
}

BOOL LoadChunks(CIffFile& iff, const std::vector<ChunkSpec>& chunks) {
    IffSpec file;
    file.chunks = chunks;
    return LoadIffBytes(iff, BuildIff(file));
}

}  // namespace builders
