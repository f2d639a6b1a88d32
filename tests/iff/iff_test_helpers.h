// Small helpers shared by the container tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "iff/iff_file.h"
#include "support/fault_files.h"
#include "support/iff_builder.h"

namespace ifftest {

using testsupport::Bytes;
using testsupport::ChunkSpec;
using testsupport::IffSpec;

inline ChunkSpec Chunk(const std::string& type, WORD id, size_t dataLength = 4, WORD flags = 0x0010,
                       const std::string& name = "") {
    ChunkSpec c;
    c.type = type;
    c.id = id;
    c.flags = flags;
    c.name = name.empty() ? type + "#" + std::to_string(id) : name;
    for (size_t i = 0; i < dataLength; ++i) c.data.push_back(static_cast<BYTE>(id + i));
    return c;
}

inline std::string TypeText(DWORD type) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((type >> shift) & 0xFF);
    return s;
}

// "TYPE id" for each chunk in list order; unloaded chunks only, loaded ones get a '*'.
inline std::vector<std::string> ListOrder(const CIffFile& iff) {
    std::vector<std::string> out;
    const CIffFileRecord* rec = iff.GetRecord();
    if (!rec) return out;
    POSITION pos = rec->GetHeadPosition();
    while (pos) {
        const CIffChunk* c = rec->GetNext(pos);
        out.push_back(TypeText(c->m_dwType) + " " + std::to_string(c->m_wID) +
                      (c->m_bLoaded ? "*" : ""));
    }
    return out;
}

// How a test file is opened: directly, or through a double that splits every read.
enum class Access { Plain, SplitReads };

inline std::unique_ptr<CFile> OpenAs(const std::string& path, Access access) {
    auto file = testsupport::OpenExclusive(path);
    if (access == Access::SplitReads)
        return std::make_unique<testsupport::CSplitReadFile>(std::move(file), 7);
    return file;
}

inline BOOL LoadAs(CIffFile& iff, const Bytes& bytes, Access access, int* pError = nullptr,
                   std::string* pPath = nullptr) {
    const std::string path = testsupport::TempPath("t.iff");
    testsupport::WriteFileBytes(path, bytes);
    if (pPath) *pPath = path;
    auto file = OpenAs(path, access);
    iff.Reset();
    return iff.Load(file.get(), pError);
}

}  // namespace ifftest
