// Small helpers shared by the container tests.
#pragma once

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "builders/iff_builder.h"
#include "doubles/fault_files.h"
#include "iff/iff_file.h"

namespace ifftest {

using namespace builders;
using namespace doubles;

// A chunk whose data bytes count up from its ID, named "TYPE#id" unless named.
inline ChunkSpec Chunk(const std::string& type, WORD id, size_t dataLength = 4, WORD flags = 0x0010,
                       const std::string& name = "") {
    ChunkSpec c;
    std::tie(c.type, c.id, c.flags, c.name) =
        std::make_tuple(type, id, flags, name.empty() ? type + "#" + std::to_string(id) : name);
    for (size_t i = 0; i < dataLength; ++i) c.data.push_back(static_cast<BYTE>(id + i));
    return c;
}

// "TYPE id" for each chunk in list order, with a '*' after loaded ones.
inline std::string ListOrder(const CIffFile& iff) {
    std::string out;
    const CIffFileRecord* rec = iff.GetRecord();
    for (POSITION pos = rec ? rec->GetHeadPosition() : nullptr; pos;) {
        const CIffChunk* c = rec->GetNext(pos);
        const DWORD t = c->m_dwType;
        out += std::string(out.empty() ? "" : ", ") + char(t >> 24) + char(t >> 16) + char(t >> 8) +
               char(t) + " " + std::to_string(c->m_wID) + (c->m_bLoaded ? "*" : "");
    }
    return out;
}

// The IDs of one type as the ascending walk or the list-order walk visits them.
inline std::vector<WORD> Walk(const CIffFile& iff, DWORD type, bool byId) {
    std::vector<WORD> ids;
    for (POSITION p = byId ? iff.FindLowestIdOfType(type) : iff.FindFirstOfType(type); p;)
        ids.push_back((byId ? iff.GetNextByIdOfType(p) : iff.GetNextOfType(p))->m_wID);
    return ids;
}

// How a file is read: directly, or through a double that hands out 7 bytes a read.
enum class Access { Plain, SplitReads };

// Writes the bytes to a fresh file, opens it exclusively and loads it.
inline BOOL LoadAs(CIffFile& iff, const Bytes& bytes, Access access = Access::Plain,
                   int* pError = nullptr) {
    const std::string path = TempPath("t.iff");
    WriteFileBytes(path, bytes);
    std::unique_ptr<CFile> file = OpenExclusive(path);
    if (access == Access::SplitReads) file = std::make_unique<CSplitReadFile>(std::move(file), 7);
    iff.Reset();
    return iff.Load(file.get(), pError);
}

}  // namespace ifftest
