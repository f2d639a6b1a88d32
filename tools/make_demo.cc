// Writes the demo files into a directory (samples/ by default):
//   demo.iff                 four shaded sprites of four frames in four palettes; the
//                            ghost's frames name palette 41891, which the file lacks, so it
//                            shows in its sprite-wide palette
//   demo-palette-41891.iff   the same sprites plus a palette with the ID 41891
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "builders/spr2_builder.h"

using namespace builders;

namespace {

constexpr double kPi = 3.14159265358979323846;

enum PaletteId : WORD { kEmber = 128, kLagoon = 129, kMoss = 130, kDusk = 131, kSignal = 41891 };

struct Stop {
    int at;
    Rgb color;
};

// 256 colours blended linearly between stops at the given indexes.
PaltSpec Ramp(const std::vector<Stop>& stops) {
    PaltSpec p;
    for (int k = 0; k < 256; ++k) {
        size_t i = 1;
        while (i + 1 < stops.size() && stops[i].at < k) ++i;
        const Stop& a = stops[i - 1];
        const Stop& b = stops[i];
        const double t = std::clamp((k - a.at) / double(std::max(1, b.at - a.at)), 0.0, 1.0);
        auto mix = [t](BYTE x, BYTE y) { return static_cast<BYTE>(std::lround(x + (y - x) * t)); };
        p.colors.push_back(
            {mix(a.color.r, b.color.r), mix(a.color.g, b.color.g), mix(a.color.b, b.color.b)});
    }
    return p;
}

// A hue wheel: the palette that the ghost finds only in the second file.
PaltSpec Signal() {
    PaltSpec p;
    for (int k = 0; k < 256; ++k) {
        const double h = k / 256.0 * 6.0;
        const double f = h - std::floor(h);
        const int s = static_cast<int>(h) % 6;
        const double v = 0.35 + 0.65 * k / 255.0;
        const double rise = f * v, fall = (1 - f) * v;
        const double rgb[6][3] = {{v, rise, 0}, {fall, v, 0}, {0, v, rise},
                                  {0, fall, v}, {rise, 0, v}, {v, 0, fall}};
        auto byte = [](double c) { return static_cast<BYTE>(std::lround(c * 255)); };
        p.colors.push_back({byte(rgb[s][0]), byte(rgb[s][1]), byte(rgb[s][2])});
    }
    return p;
}

int Shade(double brightness) {
    return std::clamp(static_cast<int>(brightness * 255), 1, 255);
}

// The light sweeps across the front from left to right over the four frames.
double Sweep(int frame) {
    return kPi / 2 - (frame - 1.5) * 0.7;
}

// Lambert plus a highlight, the light on a circle around the vertical axis at `angle`.
double Light(double nx, double ny, double nz, double angle) {
    double lx = 0.7 * std::cos(angle), ly = -0.55, lz = 0.7 * std::sin(angle) + 0.5;
    const double len = std::sqrt(lx * lx + ly * ly + lz * lz);
    lx /= len, ly /= len, lz /= len;
    const double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
    double hx = lx, hy = ly, hz = lz + 1;
    const double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    const double layout = std::pow(std::max(0.0, (nx * hx + ny * hy + nz * hz) / hl), 28);
    return 0.1 + 0.75 * diffuse + 0.45 * layout;
}

// A sphere with soft edges: rim pixels are blended with what lies behind them.
Spr2Grid Orb(int frame) {
    const int size = 96;
    const double r = 44, c = size / 2.0;
    Spr2Grid g(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int inside = 0;
            for (int s = 0; s < 16; ++s) {
                const double sx = x + (s % 4 + 0.5) / 4 - c, sy = y + (s / 4 + 0.5) / 4 - c;
                inside += sx * sx + sy * sy <= r * r;
            }
            if (!inside) continue;
            double nx = (x + 0.5 - c) / r, ny = (y + 0.5 - c) / r;
            const double d = std::sqrt(nx * nx + ny * ny);
            if (d > 0.999) nx /= d / 0.999, ny /= d / 0.999;
            const double nz = std::sqrt(std::max(0.0, 1 - nx * nx - ny * ny));
            const int color = Shade(Light(nx, ny, nz, Sweep(frame)));
            const int depth = static_cast<int>(120 - 90 * nz);
            g.Set(x, y, color, depth, inside == 16 ? -1 : 255 * (16 - inside) / 16);
        }
    }
    return g;
}

// A bevelled tile turning in 22.5-degree steps: flat colour runs, no depth.
Spr2Grid Tile(int frame) {
    const int size = 84;
    const double c = size / 2.0, half = 27, a = frame * kPi / 8;
    Spr2Grid g(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x + 0.5 - c, dy = y + 0.5 - c;
            const double u = dx * std::cos(a) + dy * std::sin(a);
            const double v = -dx * std::sin(a) + dy * std::cos(a);
            if (std::abs(u) > half || std::abs(v) > half) continue;
            const double edge = half - std::max(std::abs(u), std::abs(v));
            double b = 0.35 + 0.4 * (u + v + 2 * half) / (4 * half);
            if (edge < 5) b += (u + v < 0 ? 0.35 : -0.25) * (1 - edge / 5);
            g.Set(x, y, Shade(b));
        }
    }
    return g;
}

// An upright cylinder with a lit top, the light going round it.
Spr2Grid Pillar(int frame) {
    const int w = 60, h = 128, top = 12, bottom = 118;
    const double c = w / 2.0, rx = 24, ry = 7;
    Spr2Grid g(w, h);
    const double angle = Sweep(frame);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double nx = (x + 0.5 - c) / rx;
            if (std::abs(nx) > 1) continue;
            const double nz = std::sqrt(1 - nx * nx);
            const double dyTop = (y + 0.5 - top) / ry, dyBottom = (y + 0.5 - bottom) / ry;
            const bool onTop = nx * nx + dyTop * dyTop <= 1;
            const bool inBody = y >= top && (y < bottom || nx * nx + dyBottom * dyBottom <= 1);
            if (onTop) {
                g.Set(x, y, Shade(0.3 + 0.6 * Light(0, -1, 0.3, angle)), 40 + int(10 * dyTop));
            } else if (inBody) {
                g.Set(x, y, Shade(Light(nx, 0, nz, angle)), static_cast<int>(100 - 40 * nz));
            }
        }
    }
    return g;
}

// A bobbing ghost: its rows start lower or higher from frame to frame.
Spr2Grid Ghost(int frame) {
    const int w = 64, h = 84;
    const int lift = static_cast<int>(std::lround(4 * std::sin(frame * kPi / 2)));
    const double cx = 32, cy = 30 + lift, r = 24;
    Spr2Grid g(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double hem = cy + 30 + 5 * std::sin((x - 8) / 48.0 * 3 * kPi + frame * kPi / 2);
            const bool dome = dy < 0 && dx * dx + dy * dy <= r * r;
            const bool skirt = dy >= 0 && std::abs(dx) <= r && y + 0.5 <= hem;
            if (!dome && !skirt) continue;
            const double ex = std::abs(dx) - 8, ey = (dy + 2) / 1.5;
            const bool eye = ex * ex + ey * ey <= 16;
            const double b =
                eye ? 0.08
                    : 0.95 - 0.45 * (y - (cy - r)) / (2 * r + 6) - 0.25 * (dx / r) * (dx / r);
            g.Set(x, y, Shade(b), eye ? 30 : 60);
        }
    }
    return g;
}

Spr2Spec Sprite(Spr2Grid (*draw)(int), DWORD spritePalette, const std::vector<WORD>& palettes) {
    Spr2Spec s;
    s.paletteId = spritePalette;
    for (size_t f = 0; f < palettes.size(); ++f) {
        s.frames.push_back(FrameFromGrid(draw(static_cast<int>(f)), palettes[f]));
    }
    return s;
}

std::vector<ChunkSpec> DemoChunks() {
    return {
        PaltChunk(kEmber,
                  Ramp({{0, {20, 4, 2}},
                        {90, {150, 24, 10}},
                        {170, {240, 120, 30}},
                        {255, {255, 245, 200}}}),
                  "Ember"),
        PaltChunk(kLagoon,
                  Ramp({{0, {2, 8, 30}},
                        {100, {10, 70, 130}},
                        {190, {40, 180, 190}},
                        {255, {225, 255, 250}}}),
                  "Lagoon"),
        PaltChunk(kMoss,
                  Ramp({{0, {10, 24, 8}},
                        {110, {60, 120, 30}},
                        {200, {170, 210, 80}},
                        {255, {250, 250, 215}}}),
                  "Moss"),
        PaltChunk(kDusk,
                  Ramp({{0, {25, 10, 45}},
                        {100, {110, 40, 120}},
                        {190, {235, 120, 140}},
                        {255, {255, 225, 190}}}),
                  "Dusk"),
        Spr2Chunk(2000, Sprite(Orb, kEmber, {kEmber, kEmber, kEmber, kEmber}), "Glowing orb"),
        Spr2Chunk(2001, Sprite(Tile, kLagoon, {kLagoon, kMoss, kDusk, kEmber}), "Turning tile"),
        Spr2Chunk(2002, Sprite(Pillar, kMoss, {kMoss, kMoss, kLagoon, kLagoon}), "Pillar"),
        Spr2Chunk(2003, Sprite(Ghost, kDusk, {kSignal, kSignal, kSignal, kSignal}), "Ghost"),
    };
}

// Written beside the target and renamed over it, so that a reader (or another build
// writing the same file) never sees half a file.
void WriteAtomically(const std::filesystem::path& path, const Bytes& bytes) {
    const std::filesystem::path tmp =
        path.string() + ".tmp" + std::to_string(static_cast<long>(getpid()));
    WriteFileBytes(tmp.string(), bytes);
    std::filesystem::rename(tmp, path);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::filesystem::path dir = argc > 1 ? argv[1] : "samples";
        std::filesystem::create_directories(dir);

        IffSpec demo;
        demo.chunks = DemoChunks();
        WriteAtomically(dir / "demo.iff", BuildIff(demo));

        IffSpec withSignal = demo;
        withSignal.chunks.insert(withSignal.chunks.begin() + 4,
                                 PaltChunk(kSignal, Signal(), "Signal"));
        WriteAtomically(dir / "demo-palette-41891.iff", BuildIff(withSignal));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
