// The document `info` prints: what a loaded container holds, chunk by chunk, and what
// the program makes of its palettes and sprites.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "iff/iff_file.h"

// `fileArg` is the path as the user gave it. Call right after loading: the chunk list
// is reported as it stands. Loads the data of the palettes and sprites it inspects.
nlohmann::ordered_json BuildInfoDocument(const std::string& fileArg, CIffFile& iff);
