// One file's page of the overview: its findings, its palettes as swatches and every
// sprite as a row of its frames, with the pictures the page shows.
#pragma once

#include <string>

#include "iff/iff_file.h"

// One input file as the index lists it.
struct OverviewEntry {
    std::string path;  // as the user gave it or the walk found it
    std::string page;  // the page's name in the output folder; empty when there is none
    long long sprites = 0, frames = 0, findings = 0;
    bool failed = false;
};

// A frame's thumbnail scale: the whole step that makes its long side at least 64 pixels,
// within 1..16.
int ThumbnailScale(int width, int height);

// Writes outDir/<stem>.html and its pictures in outDir/<stem>/ for the opened file at
// `path`, and fills in the entry. A picture or page that cannot be written is reported;
// false then.
bool WriteOverviewPage(CIffFile& iff, const std::string& outDir, const std::string& stem,
                       OverviewEntry* pEntry);
