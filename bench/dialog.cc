// The main dialog driven through the scripted window system as a user would: Browse until
// the first frame is shown, and a confirmed Quick Patch followed by Save, on files of
// 2,000 and 20,000 sprites of 4 frames (the per-sprite cost must not grow with the file);
// and one keystroke in the item-palette combo (encode the sprite, rebuild the frame bitmap,
// paint the preview) on a sprite of 64 frames of 256 x 256; and Browse, Quick Patch and Save
// on a file of 100,000 chunks.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "app/control_ids.h"
#include "app/patch_dlg.h"
#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"
#include "doubles/scripted_window_system.h"

using namespace builders;
using namespace doubles;

namespace {

Spr2FrameSpec Frame(int side, int seed) {
    Spr2Grid g(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) g.Set(x, y, (x + 7 * y + seed) & 255, 64 + ((x ^ y) & 63));
    return FrameFromGrid(g, 1);
}

std::string WriteFile(int sprites, int frames, int side) {
    IffSpec layout;
    layout.chunks.push_back(PaltChunk(1, TestPalette()));
    layout.chunks.push_back(PaltChunk(2, TestPalette()));
    for (int i = 0; i < sprites; ++i) {
        Spr2Spec s;
        s.paletteId = 1;
        for (int f = 0; f < frames; ++f) s.frames.push_back(Frame(side, i + f));
        layout.chunks.push_back(Spr2Chunk(static_cast<WORD>(i), s, "sprite"));
    }
    const std::string path = TempPath("bench.iff");
    WriteFileBytes(path, BuildIff(layout));
    return path;
}

// One file per size, written once.
const std::string& FileOf(int sprites) {
    static std::map<int, std::string> files;
    auto it = files.find(sprites);
    if (it == files.end()) it = files.emplace(sprites, WriteFile(sprites, 4, 8)).first;
    return it->second;
}

// A realized main dialog: the test double answers for the user.
struct Session {
    Session() { dlg.Create(); }
    void Click(int id) { static_cast<CButton*>(dlg.GetDlgItem(id))->UserClick(); }
    bool Browse(const std::string& path) {
        ws.ChooseFileAnswer(path);
        Click(IDC_BROWSE);
        ws.ClearMessageBoxes();
        return dlg.m_preview.m_pBitmap != nullptr;
    }
    ScriptedWindowSystem ws;
    CPatchDlg dlg;
};

void PerSprite(benchmark::State& state, int sprites) {
    state.counters["per_sprite"] = benchmark::Counter(
        sprites, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_BrowseToFirstFrame(benchmark::State& state) {
    const int sprites = static_cast<int>(state.range(0));
    const std::string& path = FileOf(sprites);
    Session s;
    for (auto _ : state)
        if (!s.Browse(path)) return state.SkipWithError("no frame shown");
    PerSprite(state, sprites);
}
// CPU time: on a shared machine the wall clock mostly measures the neighbours, and
// Browse waits for nothing (the file is in the page cache).
BENCHMARK(BM_BrowseToFirstFrame)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_QuickPatchAndSave(benchmark::State& state) {
    const int sprites = static_cast<int>(state.range(0));
    Session s;
    if (!s.Browse(FileOf(sprites))) return state.SkipWithError("no frame shown");
    for (auto _ : state) {
        s.ws.AnswerMessageBox(IDYES);
        s.Click(IDC_QUICK_PATCH);
        s.Click(IDC_SAVE);
        if (s.ws.MessageBoxes().size() != 2 || s.ws.MessageBoxes()[1].text != "File saved!")
            return state.SkipWithError("patch or save failed");
        s.ws.ClearMessageBoxes();
    }
    PerSprite(state, sprites);
}
// Wall-clock time: the save waits for the disk.
BENCHMARK(BM_QuickPatchAndSave)
    ->Arg(2000)
    ->Arg(20000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// 100,000 chunks: 50,000 sprites of one 3 x 2 frame and 50,000 palettes, so that both
// palette boxes list 50,001 entries.
const std::string& LargeFile() {
    static const std::string path = [] {
        IffSpec layout;
        Spr2Grid g(3, 2);
        for (int i = 0; i < 6; ++i) g.Set(i % 3, i / 3, i);
        for (int i = 0; i < 50000; ++i) {
            layout.chunks.push_back(PaltChunk(static_cast<WORD>(i), TestPalette()));
            Spr2Spec s;
            s.paletteId = 1;
            s.frames.push_back(FrameFromGrid(g, static_cast<WORD>(i)));
            layout.chunks.push_back(Spr2Chunk(static_cast<WORD>(i), s, "sprite"));
        }
        const std::string file = TempPath("bench-large.iff");
        WriteFileBytes(file, BuildIff(layout));
        return file;
    }();
    return path;
}

void BM_BrowseLargeFile(benchmark::State& state) {
    LargeFile();  // written before the clock runs
    Session s;
    for (auto _ : state)
        if (!s.Browse(LargeFile())) return state.SkipWithError("no frame shown");
}
BENCHMARK(BM_BrowseLargeFile)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_QuickPatchAndSaveLargeFile(benchmark::State& state) {
    Session s;
    if (!s.Browse(LargeFile())) return state.SkipWithError("no frame shown");
    for (auto _ : state) {
        s.ws.AnswerMessageBox(IDYES);
        s.Click(IDC_QUICK_PATCH);
        s.Click(IDC_SAVE);
        s.ws.ClearMessageBoxes();
    }
}
BENCHMARK(BM_QuickPatchAndSaveLargeFile)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PaletteKeystroke(benchmark::State& state) {
    static const std::string path = WriteFile(1, 64, 256);
    Session s;
    if (!s.Browse(path) || s.dlg.m_cbFrame.GetCount() != 64)
        return state.SkipWithError("sprite not shown");
    bool flip = false;
    for (auto _ : state) {
        s.dlg.m_cbItemPalette.UserEditText((flip = !flip) ? "2" : "1");
        std::unique_ptr<CBitmap> painted = s.ws.Paint(s.dlg.m_preview);
        benchmark::DoNotOptimize(painted.get());
    }
    if (!s.dlg.m_bDirty || !s.dlg.m_preview.m_pBitmap) state.SkipWithError("nothing stored");
    state.counters["sprite_bytes"] = s.dlg.m_sprite.m_pChunk->m_dwSize;
}
BENCHMARK(BM_PaletteKeystroke)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
