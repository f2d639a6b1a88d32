// The container's round trip: whatever a file holds, saving what was loaded and loading
// the saved bytes gives the same chunks back, apart from what saving is meant to change.
#include <algorithm>
#include <string>
#include <vector>

#include "files/file.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "iff/iff_file.h"
#include "iff/iff_types.h"
#include "iff/iff_writer.h"

namespace palvane_fuzz {

namespace {

struct ChunkImage {
    DWORD type;
    WORD id;
    WORD flags;
    std::string name;
    std::vector<BYTE> data;

    bool operator==(const ChunkImage& o) const {
        return type == o.type && id == o.id && flags == o.flags && name == o.name && data == o.data;
    }
};

// The chunk list in order, the map chunks left out.
std::vector<ChunkImage> Chunks(const CIffFile& iff) {
    std::vector<ChunkImage> out;
    const CIffFileRecord* rec = iff.GetRecord();
    FUZZ_CHECK(rec != nullptr);
    for (POSITION pos = rec->GetHeadPosition(); pos;) {
        const CIffChunk* c = rec->GetNext(pos);
        FUZZ_CHECK(c != nullptr);
        if (c->m_dwType == IFF_TYPE_RSMP) continue;
        FUZZ_CHECK(c->IsLoaded() && (c->m_dwSize == 0 || c->m_pData));
        out.push_back({c->m_dwType, c->m_wID, c->m_wFlags, c->m_strName,
                       std::vector<BYTE>(c->m_pData.get(), c->m_pData.get() + c->m_dwSize)});
    }
    return out;
}

// What loading the saved file must give: chunk headers hold at most 63 name characters,
// and the chunks the scan passes over come only from the map, so they lead the list in
// the map's order (types by first occurrence, list order within a type).
std::vector<ChunkImage> ExpectedAfterRoundTrip(std::vector<ChunkImage> chunks) {
    for (ChunkImage& c : chunks)
        if (c.name.size() > 63) c.name.resize(63);
    std::vector<DWORD> types;
    for (const ChunkImage& c : chunks)
        if (std::find(types.begin(), types.end(), c.type) == types.end()) types.push_back(c.type);
    std::vector<ChunkImage> out;
    for (DWORD t : types)
        for (const ChunkImage& c : chunks)
            if (c.type == t && (c.flags & IFF_FLAG_SKIP_SCAN)) out.push_back(c);
    for (const ChunkImage& c : chunks)
        if (!(c.flags & IFF_FLAG_SKIP_SCAN)) out.push_back(c);
    return out;
}

}  // namespace

int ContainerOneInput(const uint8_t* data, size_t size) {
    // One of each per process: a loaded container stays open until Reset.
    static ScratchFile input("input"), saved("saved");
    static CIffFile first, second;

    if (LoadThroughFile(first, input, data, size) && first.LoadAllChunkData()) {
        const std::vector<ChunkImage> before = Chunks(first);
        CMemFile out;
        FUZZ_CHECK(first.Save(&out));
        FUZZ_CHECK(out.GetLength() == IffSavedSize(first.GetHandle()));
        const std::vector<BYTE> bytes(out.GetData(), out.GetData() + out.GetLength());
        FUZZ_CHECK(LoadThroughFile(second, saved, bytes.data(), bytes.size()));
        FUZZ_CHECK(second.LoadAllChunkData());
        FUZZ_CHECK(Chunks(second) == ExpectedAfterRoundTrip(before));
    }
    first.Reset();
    second.Reset();
    return 0;
}

}  // namespace palvane_fuzz
