#include "preview/preview_geometry.h"

#include <algorithm>
#include <climits>

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

}  // namespace preview
