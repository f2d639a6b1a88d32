// Where the preview puts its picture: plain integer arithmetic on the client size, the
// bitmap size and mouse positions, apart from any window.
#pragma once

namespace preview {

// Origin that centres an extent of size in the client span [lo, hi): (hi - size - lo) / 2,
// truncated toward zero, so an odd leftover goes to the right (bottom).
int CenterOrigin(int lo, int hi, int size);

// One axis of the copy of a picture drawn at origin into a client of the given extent.
// Nothing is copied when length < 1.
struct Span {
    int dest;
    int src;
    int length;
};
Span ClipSpan(int origin, int size, int client);

// Drag state: the picture's origin and the last mouse position (-1, -1: none).
struct DragState {
    int originX;
    int originY;
    int lastX;
    int lastY;
};

// One mouse move at (x, y): with a known last position and the left button down the
// origin follows the displacement. The position becomes the last one in every case.
// True when the origin moved (and the window needs repainting).
bool ApplyMouseMove(DragState& state, bool leftButton, int x, int y);

// Zoom: whole steps from 1x to 16x, each frame pixel a zoom x zoom block.
constexpr int kZoomLevels[] = {1, 2, 3, 4, 6, 8, 12, 16};
// The level steps levels above zoom (below for a negative count), held at the ends; a
// zoom between levels steps to the neighbouring one.
int StepZoom(int zoom, int steps);

// The frame pixel (one axis) under client position pos, for a picture drawn at origin
// and zoom: (pos - origin) / zoom rounded down, so left of the picture is negative.
int FramePixelAt(int origin, int zoom, int pos);

// The origin after a change of zoom that keeps the frame pixel under anchor under it:
// anchor - (anchor - origin) * to / from, rounded so that the offset rounds down.
int ZoomOrigin(int origin, int from, int to, int anchor);

// A palette's 16 x 16 swatch in a client of w x h: square cells as large as fit (at least
// one pixel), the grid centred as a picture is.
struct SwatchLayout {
    int originX;
    int originY;
    int cell;
};
SwatchLayout LayoutSwatch(int w, int h);
// The colour index of the cell under (x, y); -1 off the grid.
int SwatchIndexAt(const SwatchLayout& layout, int x, int y);

}  // namespace preview
