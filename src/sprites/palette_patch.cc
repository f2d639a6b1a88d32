#include "sprites/palette_patch.h"

#include "iff/iff_types.h"

namespace {

// Changes the frame's ID in the object only; the caller writes the sprite back.
BOOL StoreFramePaletteId(CSpr2& sprite, int nFrame, WORD wPaletteId) {
    Spr2FrameInfo info{};
    if (!sprite.GetFrameInfo(&info, nFrame)) return FALSE;
    info.wPaletteId = wPaletteId;
    return sprite.SetFrameInfo(&info, nFrame);
}

}  // namespace

BOOL SetSpritePaletteId(CSpr2& sprite, WORD wPaletteId) {
    sprite.SetPaletteId(wPaletteId);
    return sprite.Update();
}

BOOL SetFramePaletteId(CSpr2& sprite, int nFrame, WORD wPaletteId) {
    if (!StoreFramePaletteId(sprite, nFrame, wPaletteId)) return FALSE;
    // A decoded sprite always encodes; the dialog ignores this result as well.
    sprite.Update();
    return TRUE;
}

int SetAllFramePaletteIds(CSpr2& sprite, WORD wPaletteId) {
    int nFrames = 0;
    const int nRecords = static_cast<int>(sprite.m_frames.size());
    for (int i = 0; i < nRecords; ++i) {
        if (StoreFramePaletteId(sprite, i, wPaletteId)) ++nFrames;
    }
    sprite.Update();
    return nFrames;
}

PalettePatchResult PatchAllFramePalettes(CIffFile& iff, CSpr2& sprite, WORD wPaletteId,
                                         const std::function<void(CIffChunk&)>& onUndecodable) {
    PalettePatchResult result;
    POSITION pos = iff.FindLowestIdOfType(IFF_TYPE_SPR2);
    while (pos != nullptr) {
        CIffChunk* pChunk = iff.GetNextByIdOfType(pos);
        if (pChunk == nullptr) break;
        if (!sprite.Attach(&iff, pChunk)) {
            ++result.nSkipped;
            if (onUndecodable) onUndecodable(*pChunk);
            continue;
        }
        for (int i = 0; i < static_cast<int>(sprite.m_frames.size()); ++i) {
            Spr2FrameInfo info{};
            if (sprite.GetFrameInfo(&info, i) && info.wPaletteId != wPaletteId) ++result.nChanged;
        }
        result.nFrames += SetAllFramePaletteIds(sprite, wPaletteId);
        ++result.nSprites;
    }
    return result;
}
