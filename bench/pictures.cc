// Picture files against their floor: writing a frame as PNG (rows converted, compressed,
// written safely) against writing the same pixels as BMP, both through the command-line
// tool's own writer; and the encoders alone, in memory.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <string>

#include "cli/bmp_file.h"
#include "cli/picture_file.h"
#include "cli/png_file.h"
#include "raster/bitmap.h"
#include "builders/scratch_files.h"

namespace {

// A shaded ball of 256 palette-like shades on a flat background, the kind of picture a
// sprite is: smooth runs, hard edges, a lot of one colour.
struct Frame {
    explicit Frame(int side) {
        const BITMAPINFOHEADER header = MakeBitmapInfoHeader(side, side, 24);
        void* pBits = nullptr;
        bitmap.Attach(
            CreateDIBSection(nullptr, &header, nullptr, DIB_RGB_COLORS, &pBits, nullptr, 0));
        const HBITMAP h = bitmap;
        rows = PixelRows{side, side, 3, std::vector<BYTE>(size_t(side) * side * 3)};
        const double r = side * 0.45, c = side / 2.0;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const double nx = (x - c) / r, ny = (y - c) / r, d = nx * nx + ny * ny;
                BYTE rgb[3] = {0xF0, 0xF0, 0xF0};
                if (d <= 1) {
                    const double light = -0.5 * nx - 0.5 * ny + 0.7 * std::sqrt(1 - d);
                    const int shade = std::lround(std::fmin(1, std::fmax(0, light)) * 255);
                    rgb[0] = BYTE(20 + shade * 235 / 255);
                    rgb[1] = BYTE(4 + shade * shade / 300);
                    rgb[2] = BYTE(2 + shade * shade * shade / 90000);
                }
                BYTE* dib = h->bits + size_t(side - 1 - y) * h->stride + 3 * x;
                dib[0] = rgb[2];
                dib[1] = rgb[1];
                dib[2] = rgb[0];
                std::copy_n(rgb, 3, &rows.bytes[(size_t(y) * side + x) * 3]);
            }
        }
    }
    CBitmap bitmap;
    PixelRows rows;
};

const Frame& FrameOf(int side) {
    static std::map<int, Frame> frames;
    return frames.try_emplace(side, side).first->second;
}

void Write(benchmark::State& state, const char* ext) {
    const Frame& f = FrameOf(int(state.range(0)));
    const std::string path = builders::TempPath(std::string("bench") + ext);
    for (auto _ : state)
        if (!WritePicture(path, f.bitmap, 1)) return state.SkipWithError("not written");
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}

void BM_WritePng(benchmark::State& state) {
    Write(state, ".png");
}
void BM_WriteBmpFloor(benchmark::State& state) {
    Write(state, ".bmp");
}

void BM_EncodePng(benchmark::State& state) {
    const Frame& f = FrameOf(int(state.range(0)));
    size_t size = 0;
    for (auto _ : state) size = EncodePng(f.rows).size();
    state.counters["bytes"] = double(size);
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}

void BM_EncodeBmpFloor(benchmark::State& state) {
    const Frame& f = FrameOf(int(state.range(0)));
    size_t size = 0;
    for (auto _ : state) size = EncodeBmp(f.bitmap).size();
    state.counters["bytes"] = double(size);
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}

BENCHMARK(BM_WritePng)->Arg(128)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBmpFloor)->Arg(128)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng)->Arg(128)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeBmpFloor)->Arg(128)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
