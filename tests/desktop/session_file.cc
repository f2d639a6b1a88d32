#include "session_file.h"

#include "builders/scratch_files.h"
#include "builders/spr2_builder.h"

namespace desktop {

builders::Bytes SessionFileBytes() {
    using namespace builders;
    IffSpec layout;
    for (WORD id : {1, 2}) {
        PaltSpec palette;
        palette.colors.assign(256, id == 1 ? Rgb{255, 0, 0} : Rgb{0, 0, 255});
        layout.chunks.push_back(PaltChunk(id, palette));
    }
    Spr2Grid grid(10, 8);
    for (int i = 0; i < 80; ++i) grid.Set(i % 10, i / 10, 5);
    for (WORD id : {100, 200}) {
        Spr2Spec sprite;
        sprite.paletteId = id == 100 ? 1 : 7;
        for (WORD p : id == 100 ? std::vector<WORD>{1, 2} : std::vector<WORD>{2})
            sprite.frames.push_back(FrameFromGrid(grid, p));
        layout.chunks.push_back(Spr2Chunk(id, sprite, id == 100 ? "Orb" : "D\351cor"));
    }
    return BuildIff(layout);
}

std::string WriteSessionFile(const std::string& name) {
    const std::string path = builders::TempPath(name);
    builders::WriteFileBytes(path, SessionFileBytes());
    return path;
}

}  // namespace desktop
