// The document `info` prints: what a loaded container holds, chunk by chunk, and what
// the program makes of its palettes and sprites.
#pragma once

#include <ostream>
#include <string>

#include "iff/iff_file.h"

// Writes it to `out` as JSON while it is produced; at most one sprite's part is held at a
// time. `fileArg` is the path as the user gave it. Call right after loading: the chunk
// list is reported as it stands. Loads the data of the sprites.
void WriteInfoDocument(std::ostream& out, const std::string& fileArg, CIffFile& iff);
