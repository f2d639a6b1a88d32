// Rewriting the palette IDs of sprites: the only edits the program makes to them. The
// dialog and the command-line tool both go through these.
#pragma once

#include <functional>

#include "base/types.h"
#include "iff/iff_chunk.h"
#include "iff/iff_file.h"
#include "sprites/spr2.h"

// The sprite-wide palette of an attached sprite, written back into its chunk.
// Returns what the write-back returned.
BOOL SetSpritePaletteId(CSpr2& sprite, WORD wPaletteId);

// One frame's own palette, written back into the chunk. FALSE, with nothing changed,
// when the sprite has no such frame.
BOOL SetFramePaletteId(CSpr2& sprite, int nFrame, WORD wPaletteId);

// Every frame's own palette, the sprite written back once. Returns the frames changed.
int SetAllFramePaletteIds(CSpr2& sprite, WORD wPaletteId);

struct PalettePatchResult {
    int nSprites = 0;  // sprites rewritten
    int nFrames = 0;   // frames given the new ID
    int nChanged = 0;  // of those, frames that had another ID: their chunks' bytes differ
    int nSkipped = 0;  // sprites that did not decode and were left as they were
};

// Every frame of every SPR2 chunk, in ascending ID order, gets wPaletteId, each sprite
// written back once. `sprite` is rebound to each chunk in turn and stays bound to the
// last one that decoded. A chunk that does not decode is reported through
// onUndecodable (which may be empty) and left untouched.
PalettePatchResult PatchAllFramePalettes(CIffFile& iff, CSpr2& sprite, WORD wPaletteId,
                                         const std::function<void(CIffChunk&)>& onUndecodable);
