// Sprite codec and renderer against plain-copy floors measured in the same run:
// decode + encode of every sprite of a 20,000-sprite file vs copying its bytes twice, and
// a 1024 x 1024 frame of depth runs vs writing the same three planes in a plain loop.
// Also the check of 400 noisy frames' streams, one by one and side by side.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "builders/spr2_builder.h"
#include "iff/iff_types.h"
#include "raster/bitmap.h"
#include "sprites/render.h"
#include "sprites/spr2.h"

using namespace builders;

namespace {

constexpr int kSprites = 20000;
constexpr int kFramesPerSprite = 4;
constexpr int kSide = 1024;

// 16 x 16 frames of depth runs with a gap in every row: about 2.4 KB a sprite.
Spr2FrameSpec SmallFrame(int seed) {
    Spr2Grid g(16, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (x == (y + seed) % 16) continue;
            g.Set(x, y, (x * 16 + y + seed) & 255, 64 + x + y);
        }
    }
    return FrameFromGrid(g, 1);
}

struct SpriteFile {
    SpriteFile() {
        IffSpec layout;
        layout.chunks.push_back(PaltChunk(1, TestPalette()));
        for (int i = 0; i < kSprites; ++i) {
            Spr2Spec s;
            s.paletteId = 1;
            for (int f = 0; f < kFramesPerSprite; ++f) s.frames.push_back(SmallFrame(i + f));
            layout.chunks.push_back(Spr2Chunk(static_cast<WORD>(1000 + i), s));
        }
        if (!LoadIffBytes(iff, BuildIff(layout)) || !iff.LoadAllChunkData()) return;
        POSITION pos = iff.FindFirstOfType(IFF_TYPE_SPR2);
        while (pos) {
            CIffChunk* c = iff.GetNextOfType(pos);
            chunks.push_back(c);
            bytes += c->m_dwSize;
        }
    }
    CIffFile iff;
    std::vector<CIffChunk*> chunks;
    size_t bytes = 0;
};

SpriteFile& Sprites() {
    static SpriteFile file;
    return file;
}

void BM_DecodeEncodeAllSprites(benchmark::State& state) {
    SpriteFile& f = Sprites();
    if (f.chunks.size() != kSprites) return state.SkipWithError("test file not loaded");
    CSpr2 sprite;
    for (auto _ : state) {
        for (CIffChunk* c : f.chunks) {
            if (!sprite.Attach(&f.iff, c) || !sprite.Update()) {
                return state.SkipWithError("sprite refused");
            }
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_DecodeEncodeAllSprites)->Unit(benchmark::kMillisecond);

void BM_CopyTwiceFloor(benchmark::State& state) {
    SpriteFile& f = Sprites();
    if (f.chunks.size() != kSprites) return state.SkipWithError("test file not loaded");
    std::vector<BYTE> scratch(1 << 16);
    for (auto _ : state) {
        for (CIffChunk* c : f.chunks) {
            std::memcpy(scratch.data(), c->m_pData.get(), c->m_dwSize);
            benchmark::ClobberMemory();
            std::memcpy(c->m_pData.get(), scratch.data(), c->m_dwSize);
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_CopyTwiceFloor)->Unit(benchmark::kMillisecond);

// Frames of noisy art (one pixel in eight left empty, so runs stay short), 16 to 128
// pixels a side: what checking a folder spends most of its time walking.
struct NoisyFrames {
    NoisyFrames() {
        std::mt19937 rng(7);
        const auto pick = [&](int lo, int hi) {
            return std::uniform_int_distribution<int>(lo, hi)(rng);
        };
        for (int i = 0; i < 400; ++i) {
            Spr2Grid grid(pick(16, 128), pick(16, 128));
            for (int y = 0; y < grid.height; ++y)
                for (int x = 0; x < grid.width; ++x)
                    if (pick(0, 7)) grid.Set(x, y, pick(1, 255), pick(0, 255));
            specs.push_back(FrameFromGrid(grid, 1));
        }
        for (Spr2FrameSpec& s : specs) {
            frames.push_back(Spr2FrameInfo{s.width, s.height, 0, 1, 0, 0, 0, s.stream.data(),
                                           static_cast<DWORD>(s.stream.size())});
            bytes += s.stream.size();
        }
    }
    std::vector<Spr2FrameSpec> specs;
    std::vector<Spr2FrameInfo> frames;
    size_t bytes = 0;
};

void BM_CheckNoisyStreams(benchmark::State& state) {
    static NoisyFrames f;
    for (auto _ : state) {
        for (const Spr2FrameInfo& frame : f.frames) {
            if (!IsSpr2StreamAccepted(frame, frame.wHeight, 0)) {
                return state.SkipWithError("stream refused");
            }
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_CheckNoisyStreams)->Unit(benchmark::kMillisecond);

void BM_CheckNoisyStreamsTogether(benchmark::State& state) {
    static NoisyFrames f;
    std::vector<Spr2StreamQuery> queries;
    for (const Spr2FrameInfo& frame : f.frames) queries.push_back({&frame, frame.wHeight, 0, FALSE});
    for (auto _ : state) {
        AreSpr2StreamsAccepted(queries.data(), queries.size());
        for (const Spr2StreamQuery& q : queries)
            if (!q.bAccepted) return state.SkipWithError("stream refused");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}
BENCHMARK(BM_CheckNoisyStreamsTogether)->Unit(benchmark::kMillisecond);

BYTE IndexAt(int x, int y) {
    return static_cast<BYTE>(x + 3 * y);
}
BYTE DepthAt(int x, int y) {
    return static_cast<BYTE>(16 + ((x ^ y) & 127));
}

struct BigFrame {
    BigFrame() {
        Spr2Stream s;
        for (int y = 0; y < kSide; ++y) {
            std::vector<Spr2Stream::DepthPixel> run;
            for (int x = 0; x < kSide; ++x) run.push_back({DepthAt(x, y), IndexAt(x, y)});
            s.StartRow().DepthRun(run);
        }
        stream = s.End().bytes();
        LoadChunks(iff, {PaltChunk(1, TestPalette())});
        const BITMAPINFOHEADER colorHeader{40, kSide, kSide, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        const BITMAPINFOHEADER greyHeader{40, kSide, kSide, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        color.Attach(CreateDIBSection(nullptr, &colorHeader, nullptr, 0, &bits, nullptr, 0));
        depth.Attach(CreateDIBSection(nullptr, &greyHeader, nullptr, 0, &bits, nullptr, 0));
        alpha.Attach(CreateDIBSection(nullptr, &greyHeader, nullptr, 0, &bits, nullptr, 0));
        const HBITMAP c = color, d = depth, a = alpha;
        surface = CSpriteSurface{kSide,   kSide,     c->bits, c->stride, d->bits, d->stride,
                                 a->bits, a->stride, 0,       0,         0};
        surface.Clear(RGBQUAD{0, 0, 0, 0}, 255);
        frame = Spr2FrameInfo{
            kSide, kSide, 0, 1, 0, 0, 0, stream.data(), static_cast<DWORD>(stream.size())};
    }
    Bytes stream;
    CIffFile iff;
    CBitmap color, depth, alpha;
    CSpriteSurface surface{};
    Spr2FrameInfo frame{};
};

BigFrame& Big() {
    static BigFrame f;
    return f;
}

// Every pixel passes the depth test on every pass (equal depth draws), so each pass does
// the full work.
void BM_RenderDepthRuns1024(benchmark::State& state) {
    BigFrame& f = Big();
    for (auto _ : state) {
        if (!RenderSpr2Frame(&f.iff, f.frame, f.surface, 1)) {
            return state.SkipWithError("render refused");
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_RenderDepthRuns1024)->Unit(benchmark::kMillisecond);

void BM_WritePlanesFloor(benchmark::State& state) {
    BigFrame& f = Big();
    CIffChunk* pal = nullptr;
    f.iff.FindChunk(&pal, IFF_TYPE_PALT, 1);
    const BYTE* rgb = pal->m_pData.get() + 16;
    const CSpriteSurface& s = f.surface;
    for (auto _ : state) {
        for (int y = 0; y < kSide; ++y) {
            const int row = kSide - 1 - y;
            BYTE* c = s.pColorBits + row * s.nColorStride;
            BYTE* d = s.pDepthBits + row * s.nDepthStride;
            BYTE* a = s.pAlphaBits + row * s.nAlphaStride;
            for (int x = 0; x < kSide; ++x) {
                const BYTE* p = rgb + 3 * IndexAt(x, y);
                c[3 * x] = p[2];
                c[3 * x + 1] = p[1];
                c[3 * x + 2] = p[0];
                d[x] = DepthAt(x, y);
                a[x] = 255;
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_WritePlanesFloor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
