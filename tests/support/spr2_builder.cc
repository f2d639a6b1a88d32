#include "support/spr2_builder.h"

#include <algorithm>
#include <stdexcept>

#include "platform/byte_order.h"

namespace testsupport {

namespace {

constexpr int kMaxCount = 0x1FFF;

void PutLE16(Bytes& out, WORD v) {
    out.push_back(static_cast<BYTE>(v));
    out.push_back(static_cast<BYTE>(v >> 8));
}

void PutLE32(Bytes& out, DWORD v) {
    BYTE b[4];
    StoreLE32(b, v);
    out.insert(out.end(), b, b + 4);
}

enum class Kind { None, Color, Depth, Blend };

Kind KindAt(const Spr2Grid& g, int x, int y) {
    if (g.At(g.color, x, y) < 0) return Kind::None;
    if (g.At(g.depth, x, y) < 0) return Kind::Color;
    return g.At(g.weight, x, y) < 0 ? Kind::Depth : Kind::Blend;
}

void EmitRun(Spr2Stream& s, const Spr2Grid& g, Kind kind, int x0, int n, int y) {
    auto px = [&](int x, const std::vector<int>& plane) {
        return static_cast<BYTE>(g.At(plane, x, y));
    };
    for (int start = x0; start < x0 + n; start += kMaxCount) {
        const int end = std::min(x0 + n, start + kMaxCount);
        if (kind == Kind::Color) {
            std::vector<BYTE> run;
            for (int x = start; x < end; ++x) run.push_back(px(x, g.color));
            s.ColorRun(run);
        } else if (kind == Kind::Depth) {
            std::vector<Spr2Stream::DepthPixel> run;
            for (int x = start; x < end; ++x) run.push_back({px(x, g.depth), px(x, g.color)});
            s.DepthRun(run);
        } else {
            std::vector<Spr2Stream::BlendPixel> run;
            for (int x = start; x < end; ++x) {
                run.push_back({px(x, g.depth), px(x, g.color), px(x, g.weight)});
            }
            s.BlendRun(run);
        }
    }
}

void EmitRepeated(Spr2Stream& s, int opcode, int total) {
    for (; total > 0; total -= kMaxCount) s.Command(opcode, std::min(total, kMaxCount));
}

}  // namespace

Spr2Stream& Spr2Stream::Command(int opcode, int count) {
    if (opcode < 0 || opcode > 7 || count < 0 || count > kMaxCount) {
        throw std::invalid_argument("SPR2 command out of range");
    }
    PutLE16(m_bytes, static_cast<WORD>((opcode << 13) | count));
    return *this;
}

void Spr2Stream::Pad() {
    if (m_bytes.size() & 1) m_bytes.push_back(0);
}

Spr2Stream& Spr2Stream::DepthRun(const std::vector<DepthPixel>& pixels) {
    Command(1, static_cast<int>(pixels.size()));
    for (const DepthPixel& p : pixels) m_bytes.insert(m_bytes.end(), {p.depth, p.color});
    Pad();
    return *this;
}

Spr2Stream& Spr2Stream::BlendRun(const std::vector<BlendPixel>& pixels) {
    Command(2, static_cast<int>(pixels.size()));
    for (const BlendPixel& p : pixels) m_bytes.insert(m_bytes.end(), {p.depth, p.color, p.weight});
    Pad();
    return *this;
}

Spr2Stream& Spr2Stream::ColorRun(const std::vector<BYTE>& colors) {
    Command(6, static_cast<int>(colors.size()));
    m_bytes.insert(m_bytes.end(), colors.begin(), colors.end());
    Pad();
    return *this;
}

Spr2Stream& Spr2Stream::Raw(const Bytes& bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

Spr2Grid::Spr2Grid(int w, int h)
    : width(w),
      height(h),
      color(static_cast<size_t>(w) * h, -1),
      depth(static_cast<size_t>(w) * h, -1),
      weight(static_cast<size_t>(w) * h, -1) {}

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

Bytes EncodeGrid(const Spr2Grid& g, const GridEncoding& how) {
    Spr2Stream s;
    int lastRow = -1;
    for (int y = 0; y < g.height; ++y) {
        int lastDrawn = -1;
        for (int x = 0; x < g.width; ++x) {
            if (KindAt(g, x, y) != Kind::None) lastDrawn = x;
        }
        if (lastDrawn < 0) continue;

        const int entries = y - lastRow;
        if (entries == 1 || !how.skipRows) {
            for (int i = 0; i < entries; ++i) s.StartRow();
        } else {
            EmitRepeated(s, 4, entries);
        }
        lastRow = y;

        for (int x = 0; x <= lastDrawn;) {
            const Kind kind = KindAt(g, x, y);
            int n = 1;
            while (x + n <= lastDrawn && KindAt(g, x + n, y) == kind) ++n;
            if (kind == Kind::None) {
                EmitRepeated(s, 3, n);
            } else {
                EmitRun(s, g, kind, x, n, y);
            }
            x += n;
        }
    }
    if (how.withEnd) s.End();
    return s.bytes();
}

Spr2FrameSpec FrameFromGrid(const Spr2Grid& grid, WORD paletteId, const GridEncoding& how) {
    Spr2FrameSpec f;
    f.width = static_cast<WORD>(grid.width);
    f.height = static_cast<WORD>(grid.height);
    f.paletteId = paletteId;
    f.stream = EncodeGrid(grid, how);
    return f;
}

Bytes BuildSpr2(const Spr2Spec& spec) {
    const size_t n = spec.frames.size();
    const size_t tableEnd = 12 + 4 * (spec.offsets ? spec.offsets->size() : n);
    const size_t first =
        spec.firstFrameOffset ? *spec.firstFrameOffset : (4 * n + 75) & ~size_t{63};

    Bytes out;
    PutLE32(out, spec.version);
    PutLE32(out, spec.frameCountField ? *spec.frameCountField : static_cast<DWORD>(n));
    PutLE32(out, spec.paletteId);
    DWORD offset = static_cast<DWORD>(first);
    for (size_t i = 0; i < n && !spec.offsets; ++i) {
        PutLE32(out, offset);
        offset += static_cast<DWORD>(16 + spec.frames[i].stream.size());
    }
    if (spec.offsets) {
        for (DWORD o : *spec.offsets) PutLE32(out, o);
    }
    if (first > tableEnd) out.resize(first, 0xA3);
    for (const Spr2FrameSpec& f : spec.frames) {
        PutLE16(out, f.width);
        PutLE16(out, f.height);
        PutLE32(out, f.flags);
        PutLE16(out, f.paletteId);
        PutLE16(out, f.field10);
        PutLE16(out, f.field12);
        PutLE16(out, f.field14);
        out.insert(out.end(), f.stream.begin(), f.stream.end());
    }
    return out;
}

Bytes BuildPalt(const PaltSpec& spec) {
    Bytes out;
    PutLE32(out, spec.version);
    PutLE32(out, spec.colorCount);
    out.resize(16 + 3 * 256, 0);
    for (size_t k = 0; k < spec.colors.size() && k < 256; ++k) {
        out[16 + 3 * k] = spec.colors[k].r;
        out[17 + 3 * k] = spec.colors[k].g;
        out[18 + 3 * k] = spec.colors[k].b;
    }
    if (spec.size) out.resize(*spec.size, 0);
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

ChunkSpec Spr2Chunk(WORD id, const Spr2Spec& spec, const std::string& name) {
    ChunkSpec c;
    c.type = "SPR2";
    c.id = id;
    c.name = name;
    c.data = BuildSpr2(spec);
    return c;
}

ChunkSpec PaltChunk(WORD id, const PaltSpec& spec, const std::string& name) {
    ChunkSpec c;
    c.type = "PALT";
    c.id = id;
    c.name = name;
    c.data = BuildPalt(spec);
    return c;
}

BOOL LoadChunks(CIffFile& iff, const std::vector<ChunkSpec>& chunks) {
    IffSpec spec;
    spec.chunks = chunks;
    return LoadIffBytes(iff, BuildIff(spec));
}

}  // namespace testsupport
