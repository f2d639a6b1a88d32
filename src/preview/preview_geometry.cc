#include "preview/preview_geometry.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace preview {

namespace {

// The origin is unbounded in principle; in an int it saturates instead of wrapping.
int Saturate(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

}  // namespace

int CenterOrigin(int lo, int hi, int size) {
    return Saturate((static_cast<long long>(hi) - size - lo) / 2);
}

Span ClipSpan(int origin, int size, int client) {
    long long dest = origin;
    long long src = 0;
    long long length = size;
    if (origin < 0) {
        dest = 0;
        src = -static_cast<long long>(origin);
        length = static_cast<long long>(size) + origin;
    }
    if (dest + length > client) length = client - dest;
    return {Saturate(dest), Saturate(src), Saturate(length)};
}

bool ApplyMouseMove(DragState& state, bool leftButton, int x, int y) {
    const bool moved = state.lastX != -1 && state.lastY != -1 && leftButton;
    if (moved) {
        state.originX = Saturate(static_cast<long long>(state.originX) + x - state.lastX);
        state.originY = Saturate(static_cast<long long>(state.originY) + y - state.lastY);
    }
    state.lastX = x;
    state.lastY = y;
    return moved;
}

int StepZoom(int zoom, int steps) {
    constexpr int n = static_cast<int>(std::size(kZoomLevels));
    int i = 0;  // the highest level at or below zoom
    while (i + 1 < n && kZoomLevels[i + 1] <= zoom) ++i;
    if (steps < 0 && kZoomLevels[i] < zoom) ++steps;  // between levels: i is one step down
    return kZoomLevels[std::clamp(i + steps, 0, n - 1)];
}

namespace {

long long FloorDiv(long long a, long long b) {
    const long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

int FramePixelAt(int origin, int zoom, int pos) {
    return Saturate(FloorDiv(static_cast<long long>(pos) - origin, std::max(zoom, 1)));
}

int ZoomOrigin(int origin, int from, int to, int anchor) {
    const long long offset = static_cast<long long>(anchor) - origin;
    return Saturate(anchor - FloorDiv(offset * std::max(to, 1), std::max(from, 1)));
}

SwatchLayout LayoutSwatch(int w, int h) {
    const int cell = std::max(1, std::min(w, h) / 16);
    return {CenterOrigin(0, w, 16 * cell), CenterOrigin(0, h, 16 * cell), cell};
}

int SwatchIndexAt(const SwatchLayout& layout, int x, int y) {
    const int col = FramePixelAt(layout.originX, layout.cell, x);
    const int row = FramePixelAt(layout.originY, layout.cell, y);
    return col >= 0 && col < 16 && row >= 0 && row < 16 ? row * 16 + col : -1;
}

}  // namespace preview
