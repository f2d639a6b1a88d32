// The application icon: a painter's palette with six dabs of paint, drawn in the 16
// standard colours. One character per pixel: a hex colour index, '.' for transparent.
#include <cstddef>

#include "app/app_resources.h"
#include "app/control_ids.h"

namespace {

const char* const kIcon32[] = {
    "................................", "................................",
    "................................", "................................",
    "................................", ".........0000000000.............",
    ".......00BBBBBBAAAB00...........", ".....00BBBBBBBAFAAABB00.........",
    "....0BBBB99BBBAAAAABBFC00.......", "...0BBBBF999BBAAAAABBCCCC0......",
    "...0BBBB9999BBBAAABBBCCCC30.....", "..0BBBBB9999BBBBBBBBBBCCBB0.....",
    "..0BBBBBB99BBBBBBBBBBBBBBB30....", ".0BBBBBBBBBBBBBBBBBBBBBBDDD30...",
    ".0BBBBBBBBBBBBBBBBBBBBBDFDDD0...", ".0BBBBBBBBBBBBBBBBBBBBBDDDDD0...",
    ".0BBBBBBBBBBBBBBBBBBBBBDDDDD30..", ".0BBBBB000BBBBBBBBBBBBBBDDD330..",
    "..0BBB0...0BBBBBBBBBBBBBBBB330..", "..0BB0.....0BBBBBBBBBEEEBB3B30..",
    "..0BB0.....0BBBBBBBBEFEEEB33B0..", "...0BB0...0BBBBBBBBBEEEEE3B30...",
    "....0BB000BBBBFFFBBBEEEEE33B0...", "....03BBBBBBBFFFFFBBBEEE3B30....",
    ".....033BBBBBFFFFFBBBB33B3B0....", "......0033BBBFFFFFBB33B33B0.....",
    "........003333FFF333B33B00......", "..........00333333333B00........",
    "............0000000000..........", "................................",
    "................................", "................................",
};

const char* const kIcon16[] = {
    "................", "................", ".....000000.....", "...00BBBBBB00...",
    "..0B99BAABCC0...", ".0BB99BAABCC30..", ".0BBBBBBBBBBB30.", "0BB00BBBBBBDD30.",
    "0B0..0BBBBBDD30.", "0B0..0BBBBBBB30.", "0BB00BBBBEEB330.", ".0BBBBFFBEE330..",
    ".03BBBFF33330...", "..0033333300....", "....000000......", "................",
};

const RGBQUAD kStandardColors[16] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
};

template <std::size_t N>
IconImage MakeImage(const char* const (&rows)[N]) {
    IconImage image;
    image.width = static_cast<int>(N);
    image.height = static_cast<int>(N);
    image.bitCount = 4;
    image.colors.assign(kStandardColors, kStandardColors + 16);
    for (const char* const r : rows) {
        for (std::size_t x = 0; x < N; ++x) {
            const char c = r[x];
            const bool clear = c == '.';
            const int index = clear ? 0 : (c <= '9' ? c - '0' : c - 'A' + 10);
            image.indices.push_back(static_cast<BYTE>(index));
            image.mask.push_back(clear ? 1 : 0);
        }
    }
    return image;
}

}  // namespace

const IconResource& AppIcon() {
    static const IconResource icon{IDR_MAINFRAME, {MakeImage(kIcon32), MakeImage(kIcon16)}};
    return icon;
}
