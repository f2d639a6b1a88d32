// One paint of the preview at the main dialog's size (416 x 275 pixels), double-buffered
// as it always is, with frames of 64 and 256 pixels square, at 1x and zoomed: part of every
// keystroke's redraw and of every mouse move of a drag.
#include <benchmark/benchmark.h>

#include "doubles/scripted_window_system.h"
#include "preview/sprite_preview.h"
#include "raster/bitmap.h"
#include "raster/gdi.h"

namespace {

void BM_PreviewPaint(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const int zoomSteps = static_cast<int>(state.range(1));
    doubles::ScriptedWindowSystem ws;
    CSpritePreview preview;
    preview.Bind(1010, SS_GRAYRECT | SS_NOTIFY);
    preview.PeerSetSize(416, 275);
    CBitmap frame;
    frame.Attach(CreateBitmapObject(side, side, 24, nullptr, 0));
    preview.SetFrameBitmap(&frame);
    preview.StepZoomAboutCenter(zoomSteps);
    HBITMAP target = CreateCompatibleBitmap(nullptr, 416, 275);
    int x = 0;
    for (auto _ : state) {
        preview.UserMouseMove(MK_LBUTTON, x & 63, 0);  // a drag step, then its repaint
        preview.PaintInto(target);
        ++x;
        benchmark::DoNotOptimize(target->bits);
    }
    DeleteObject(target);
}
// Second argument: zoom steps up from 1x (3: 4x, 7: 16x, which fills the window).
BENCHMARK(BM_PreviewPaint)
    ->Args({64, 0})
    ->Args({256, 0})
    ->Args({64, 3})
    ->Args({64, 7})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
