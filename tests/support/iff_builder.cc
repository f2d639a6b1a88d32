#include "support/iff_builder.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/byte_order.h"
#include "platform/file.h"

namespace testsupport {

namespace {

void Append(Bytes& out, const void* p, size_t n) {
    const auto* b = static_cast<const BYTE*>(p);
    out.insert(out.end(), b, b + n);
}

void AppendBE32(Bytes& out, DWORD v) {
    BYTE b[4];
    StoreBE32(b, v);
    Append(out, b, 4);
}

void AppendLE32(Bytes& out, DWORD v) {
    BYTE b[4];
    StoreLE32(b, v);
    Append(out, b, 4);
}

void AppendLE16(Bytes& out, WORD v) {
    BYTE b[2];
    StoreLE16(b, v);
    Append(out, b, 2);
}

DWORD TypeValue(const std::string& type) {
    BYTE b[4] = {' ', ' ', ' ', ' '};
    std::memcpy(b, type.data(), std::min<size_t>(type.size(), 4));
    return LoadBE32(b);
}

void AppendChunkHeader(Bytes& out, DWORD type, DWORD size, WORD id, WORD flags,
                       const std::string& name) {
    const size_t start = out.size();
    out.resize(start + 76, 0);
    BYTE* p = out.data() + start;
    StoreBE32(p, type);
    StoreBE32(p + 4, size);
    StoreBE16(p + 8, id);
    StoreBE16(p + 10, flags);
    std::memcpy(p + 12, name.data(), std::min<size_t>(name.size(), 64));
}

void AppendChunk(Bytes& out, const ChunkSpec& c) {
    const DWORD size = c.sizeField ? *c.sizeField : static_cast<DWORD>(76 + c.data.size());
    AppendChunkHeader(out, TypeValue(c.type), size, c.id, c.flags, c.name);
    Append(out, c.data.data(), c.data.size());
}

size_t ChunkLength(const ChunkSpec& c) {
    return 76 + c.data.size();
}

struct TempDir {
    std::string path;
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/palvane-test-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
        path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

Bytes BuildMapData(const std::vector<MapEntry>& entries) {
    // Type tables in order of first occurrence, entries in the given order within them.
    std::vector<std::string> types;
    for (const auto& e : entries)
        if (std::find(types.begin(), types.end(), e.type) == types.end()) types.push_back(e.type);

    Bytes data(20, 0);
    std::memcpy(data.data() + 8, "pmsr", 4);
    StoreLE32(data.data() + 16, static_cast<DWORD>(types.size()));
    for (const auto& type : types) {
        AppendLE32(data, TypeValue(type));
        AppendLE32(data, static_cast<DWORD>(
                             std::count_if(entries.begin(), entries.end(),
                                           [&](const MapEntry& e) { return e.type == type; })));
        for (const auto& e : entries) {
            if (e.type != type) continue;
            AppendLE32(data, e.offset);
            AppendLE16(data, e.id);
            AppendLE16(data, e.flags);
            Append(data, e.name.data(), e.name.size());
            data.push_back(0);
            if (data.size() & 1) data.push_back(0xA3);
        }
    }
    StoreLE32(data.data() + 12, static_cast<DWORD>(76 + data.size()));
    return data;
}

BuiltIff BuildIffLayout(const IffSpec& spec) {
    BuiltIff built;
    const bool withMap = spec.withMap && spec.version == "2.5";
    built.chunkOffsets.assign(spec.chunks.size(), 0);

    // Lay out first: where every chunk goes, so the map can list the offsets.
    size_t mapLength = 0;
    std::vector<MapEntry> entries;
    auto mapEntries = [&]() {
        entries.clear();
        std::vector<size_t> order = spec.mapOrder;
        if (order.empty())
            for (size_t i = 0; i < spec.chunks.size(); ++i) order.push_back(i);
        for (size_t i : order) {
            const ChunkSpec& c = spec.chunks.at(i);
            if (c.inMap) entries.push_back({c.type, built.chunkOffsets[i], c.id, c.flags, c.name});
        }
    };
    if (withMap) {
        mapEntries();
        mapLength = 76 + (spec.mapData ? spec.mapData->size() : BuildMapData(entries).size());
    }

    size_t pos = 64;
    if (withMap && spec.mapFirst) {
        built.mapOffset = static_cast<DWORD>(pos);
        pos += mapLength;
    }
    for (size_t i = 0; i < spec.chunks.size(); ++i) {
        if (!spec.chunks[i].inFile) continue;
        built.chunkOffsets[i] = static_cast<DWORD>(pos);
        pos += ChunkLength(spec.chunks[i]);
    }
    if (withMap && !spec.mapFirst) {
        built.mapOffset = static_cast<DWORD>(pos);
        pos += mapLength;
    }
    const bool anyHidden = std::any_of(spec.chunks.begin(), spec.chunks.end(),
                                       [](const ChunkSpec& c) { return !c.inFile; });
    if (anyHidden) {
        pos += 76;  // a header of size 0 ends the scan before the hidden chunks
        for (size_t i = 0; i < spec.chunks.size(); ++i) {
            if (spec.chunks[i].inFile) continue;
            built.chunkOffsets[i] = static_cast<DWORD>(pos);
            pos += ChunkLength(spec.chunks[i]);
        }
    }

    Bytes map;
    if (withMap) {
        mapEntries();
        const Bytes data = spec.mapData ? *spec.mapData : BuildMapData(entries);
        AppendChunkHeader(map, TypeValue("rsmp"), static_cast<DWORD>(76 + data.size()), 0, 0x0010,
                          "");
        Append(map, data.data(), data.size());
    }

    Bytes& out = built.bytes;
    out.reserve(pos);
    std::string text = spec.signature;
    text.resize(8, ' ');
    text += ' ';
    std::string version = spec.version;
    version.resize(3, ' ');
    text += version;
    text += ":TYPE FOLLOWED BY SIZE";
    Append(out, text.data(), text.size());
    out.push_back(0);
    const char kTail[] = " KESTREL WARDEN & DUZAD 1";
    Append(out, kTail, sizeof kTail - 1);
    out.resize(60, 0);
    AppendBE32(out, spec.mapOffsetField ? *spec.mapOffsetField : built.mapOffset);

    if (withMap && spec.mapFirst) Append(out, map.data(), map.size());
    for (const auto& c : spec.chunks)
        if (c.inFile) AppendChunk(out, c);
    if (withMap && !spec.mapFirst) Append(out, map.data(), map.size());
    if (anyHidden) {
        out.resize(out.size() + 76, 0);
        for (const auto& c : spec.chunks)
            if (!c.inFile) AppendChunk(out, c);
    }
    return built;
}

Bytes BuildIff(const IffSpec& spec) {
    return BuildIffLayout(spec).bytes;
}

std::string TempPath(const std::string& name) {
    static TempDir dir;
    static std::atomic<unsigned> counter{0};
    return dir.path + "/" + std::to_string(counter++) + "-" + name;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

}  // namespace testsupport
