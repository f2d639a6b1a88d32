// The status line under the preview: which palette draws the frame shown and why, why
// nothing is shown, or the frame pixel under the cursor. Worded for someone who edits
// the file's sprites, not for someone who reads its bytes.
#pragma once

#include <string>

#include "base/types.h"
#include "iff/iff_file.h"
#include "sprites/palette.h"
#include "sprites/spr2.h"

enum class NoFrameReason { NoSprites, SpriteMissing, SpriteUndecodable, NoFrames };

std::string NoFrameStatus(NoFrameReason reason, WORD wSpriteId);

// Frame nFrame of a sprite of pFile; bDrawn: whether its bitmaps were made (they may not
// be, for want of memory, even when nothing in the file stops it).
std::string FrameStatus(CIffFile* pFile, const CSpr2& sprite, int nFrame, bool bDrawn);

// Pixel (x, y) of the frame; empty when the frame is not drawn or (x, y) lies outside it.
std::string PixelStatus(CIffFile* pFile, const CSpr2& sprite, int nFrame, int x, int y);

// The swatch of palette wId (NULL choice.pChunk: none has that ID) and its colour index
// under the cursor.
std::string SwatchStatus(WORD wId, const PaletteChoice& choice);
std::string SwatchColorStatus(WORD wId, int index, RGBQUAD color);
