// Writes IFF files from a description, for tests, fuzz seeds, benchmarks and samples.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/types.h"
#include "builders/scratch_files.h"
#include "iff/iff_file.h"

namespace builders {

struct ChunkSpec {
    std::string type;  // four characters, e.g. "SPR2"
    WORD id = 0;
    WORD flags = 0x0010;
    std::string name;  // written into the 64-byte field, cut at 64 bytes (no terminator then)
    Bytes data;
    std::optional<DWORD> sizeField{};  // damaged variants: the header's size as written
    bool inMap = true;                 // listed in the generated map (2.5 with a map only)
    bool inFile = true;                // false: written after a size-0 header that ends the scan
};

struct IffSpec {
    std::string version = "2.5";  // any three characters
    std::vector<ChunkSpec> chunks;
    bool withMap = true;    // append an rsmp chunk listing the chunks (2.5 only)
    bool mapFirst = false;  // put the map right after the header instead of at the end
    std::vector<size_t>
        mapOrder{};  // indexes into chunks for the map's entry order; empty = as listed
    std::optional<Bytes> mapData{};  // damaged variants: the map chunk's data as written
};

// The bytes of a file as described.
Bytes BuildIff(const IffSpec& layout);

// The bytes and where things went: each chunk's header offset (hidden chunks included)
// and the map chunk's offset (0 without one).
struct BuiltIff {
    Bytes bytes;
    std::vector<DWORD> chunkOffsets;
    DWORD mapOffset = 0;
};
BuiltIff BuildIffLayout(const IffSpec& layout);

// The whole file a container holds, read through its own handle: on Windows nobody else
// can open a file held with no sharing.
Bytes HeldFileBytes(CIffFile& iff);

// Writes the bytes to a temporary file, opens it read-write exclusive and loads it.
// Returns FALSE if opening or loading fails. The path is returned through pPath.
BOOL LoadIffBytes(CIffFile& iff, const Bytes& bytes, int* pError = nullptr,
                  std::string* pPath = nullptr);

}  // namespace builders
