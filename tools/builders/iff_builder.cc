#include "builders/iff_builder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "base/byte_order.h"
#include "files/file.h"

namespace builders {

namespace {

// Appends the n low bytes of v, least significant first.
void AppendLE(Bytes& out, DWORD v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

DWORD TypeValue(const std::string& type) {
    BYTE b[4] = {' ', ' ', ' ', ' '};
    std::memcpy(b, type.data(), std::min<size_t>(type.size(), 4));
    return LoadBE32(b);
}

// A chunk header (the name cut at 64 bytes) and the data.
void AppendChunk(Bytes& out, DWORD type, DWORD size, WORD id, WORD flags, const std::string& name,
                 const Bytes& data) {
    const size_t start = out.size();
    out.resize(start + 76, 0);
    StoreBE32(&out[start], type);
    StoreBE32(&out[start + 4], size);
    StoreBE16(&out[start + 8], id);
    StoreBE16(&out[start + 10], flags);
    std::memcpy(&out[start + 12], name.data(), std::min<size_t>(name.size(), 64));
    out.insert(out.end(), data.begin(), data.end());
}

struct MapEntry {
    std::string type;
    DWORD offset;
    WORD id;
    WORD flags;
    std::string name;
};

// A resource map's data (without its chunk header) listing these chunks.
Bytes BuildMapData(const std::vector<MapEntry>& entries) {
    // Type tables in order of first occurrence, entries in the given order within them.
    std::vector<std::string> types;
    for (const auto& e : entries)
        if (std::find(types.begin(), types.end(), e.type) == types.end()) types.push_back(e.type);
    Bytes data(20, 0);
    std::memcpy(data.data() + 8, "pmsr", 4);
    StoreLE32(data.data() + 16, static_cast<DWORD>(types.size()));
    for (const auto& type : types) {
        const auto listed = [&](const MapEntry& e) { return e.type == type; };
        AppendLE(data, TypeValue(type), 4);
        AppendLE(data, static_cast<DWORD>(std::count_if(entries.begin(), entries.end(), listed)),
                 4);
        for (const auto& e : entries) {
            if (e.type != type) continue;
            AppendLE(data, e.offset, 4);
            AppendLE(data, e.id | static_cast<DWORD>(e.flags) << 16, 4);
            data.insert(data.end(), e.name.begin(), e.name.end());
            data.push_back(0);
            if (data.size() & 1) data.push_back(0xA3);
        }
    }
    StoreLE32(data.data() + 12, static_cast<DWORD>(76 + data.size()));
    return data;
}

}  // namespace

BuiltIff BuildIffLayout(const IffSpec& layout) {
    BuiltIff built;
    built.chunkOffsets.assign(layout.chunks.size(), 0);
    const bool withMap = layout.withMap && layout.version == "2.5";
    // The map's data; its entries carry the offsets laid out so far, its size does not
    // depend on them.
    auto mapData = [&]() {
        if (layout.mapData) return *layout.mapData;
        std::vector<size_t> order = layout.mapOrder;
        if (order.empty())
            for (size_t i = 0; i < layout.chunks.size(); ++i) order.push_back(i);
        std::vector<MapEntry> entries;
        for (size_t i : order) {
            const ChunkSpec& c = layout.chunks.at(i);
            if (c.inMap) entries.push_back({c.type, built.chunkOffsets[i], c.id, c.flags, c.name});
        }
        return BuildMapData(entries);
    };
    const size_t mapLength = withMap ? 76 + mapData().size() : 0;

    std::string version = layout.version;
    version.resize(3, ' ');
    const std::string text =
        "IFF FILE " + version + ":TYPE FOLLOWED BY SIZE" + '\0' + " KESTREL WARDEN & DUZAD 1";
    Bytes& out = built.bytes;
    out.assign(text.begin(), text.end());
    out.resize(64, 0);
    auto chunks = [&](bool inFile) {
        for (size_t i = 0; i < layout.chunks.size(); ++i) {
            const ChunkSpec& c = layout.chunks[i];
            if (c.inFile != inFile) continue;
            built.chunkOffsets[i] = static_cast<DWORD>(out.size());
            const DWORD size = c.sizeField ? *c.sizeField : static_cast<DWORD>(76 + c.data.size());
            AppendChunk(out, TypeValue(c.type), size, c.id, c.flags, c.name, c.data);
        }
    };
    auto mapPlace = [&]() {
        built.mapOffset = static_cast<DWORD>(out.size());
        out.resize(out.size() + mapLength);
    };
    if (withMap && layout.mapFirst) mapPlace();
    chunks(true);
    if (withMap && !layout.mapFirst) mapPlace();
    if (std::any_of(layout.chunks.begin(), layout.chunks.end(),
                    [](const ChunkSpec& c) { return !c.inFile; })) {
        out.resize(out.size() + 76, 0);  // a size-0 header ends the scan before them
        chunks(false);
    }
    if (withMap) {
        const Bytes data = mapData();
        Bytes map;
        AppendChunk(map, TypeValue("rsmp"), static_cast<DWORD>(76 + data.size()), 0, 0x0010, "",
                    data);
        std::copy(map.begin(), map.end(), out.begin() + built.mapOffset);
    }
    StoreBE32(&out[60], built.mapOffset);
    return built;
}

Bytes BuildIff(const IffSpec& layout) {
    return BuildIffLayout(layout).bytes;
}

Bytes HeldFileBytes(CIffFile& iff) {
    if (!iff.GetRecord() || !iff.GetRecord()->m_pFile) throw std::runtime_error("no file held");
    CFile& file = *iff.GetRecord()->m_pFile;
    Bytes bytes(static_cast<size_t>(file.GetLength()));
    for (size_t at = 0; at < bytes.size();) {
        const UINT got = file.ReadAt(at, bytes.data() + at, static_cast<UINT>(bytes.size() - at));
        if (got == 0) throw std::runtime_error("short read of " + file.GetFilePath());
        at += got;
    }
    return bytes;
}

BOOL LoadIffBytes(CIffFile& iff, const Bytes& bytes, int* pError, std::string* pPath) {
    const std::string path = TempPath("load.iff");
    WriteFileBytes(path, bytes);
    if (pPath) *pPath = path;
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive)) return FALSE;
    iff.Reset();
    return iff.Load(&file, pError);
}

}  // namespace builders
