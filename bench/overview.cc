// The overview's speed: frames shown per second over a folder of generated object files
// (2 to 12 sprites of 4 to 12 frames, 16 to 128 pixels a side), the tool run as a whole
// process with -j 2, as a modder runs it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "builders/scratch_files.h"
#include "builders/spr2_builder.h"

using namespace builders;

namespace {

struct Folder {
    std::string path;
    long long frames = 0;
};

// A lit ball in each frame: runs of many colours, transparent corners, as sprites are.
Spr2Grid Ball(int w, int h) {
    Spr2Grid grid(w, h);
    const double cx = w / 2.0, cy = h / 2.0, r = std::min(w, h) * 0.45;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = (x - cx) / r, dy = (y - cy) / r, d = dx * dx + dy * dy;
            if (d <= 1) grid.Set(x, y, 1 + int((1 - d) * 250) % 255, int(d * 200));
        }
    return grid;
}

const Folder& Files(int count) {
    static Folder folder;
    if (!folder.path.empty()) return folder;
    folder.path = TempPath("overview-bench");
    std::filesystem::create_directories(folder.path);
    std::mt19937 random(2026);
    const auto between = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    for (int f = 0; f < count; ++f) {
        IffSpec file;
        file.chunks.push_back(PaltChunk(1, TestPalette()));
        const int sprites = between(2, 12);
        for (int s = 0; s < sprites; ++s) {
            Spr2Spec sprite;
            sprite.paletteId = 1;
            const int frames = between(4, 12);
            for (int i = 0; i < frames; ++i)
                sprite.frames.push_back(
                    FrameFromGrid(Ball(between(16, 128), between(16, 128)), 41891));
            folder.frames += frames;
            file.chunks.push_back(Spr2Chunk(WORD(100 + s), sprite));
        }
        WriteFileBytes(folder.path + "/object" + std::to_string(f) + ".iff", BuildIff(file));
    }
    return folder;
}

void BM_Overview(benchmark::State& state) {
    const Folder& in = Files(int(state.range(0)));
    const std::string out = TempPath("overview-pages");
    const std::string command = std::string(PALVANE_CLI) + " overview -j 2 --quiet " + in.path +
                                " --out " + out + " >/dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("overview failed");
    state.counters["frames"] = double(in.frames);
    state.counters["frames_per_s"] =
        benchmark::Counter(double(in.frames), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Overview)->Arg(1000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
