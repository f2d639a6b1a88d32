// The indexed loader against a literal one (a plain vector, linear replacement, the map
// step and then the scan, each header read on its own) over random and damaged files:
// list order, every chunk's fields and both walks must agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "iff/iff_file.h"
#include "iff_test_helpers.h"
#include "platform/byte_order.h"

using namespace ifftest;
using testsupport::BuildIffLayout;
using testsupport::BuildMapData;
using testsupport::MapEntry;

namespace {

struct RefChunk {
    DWORD type;
    WORD id, flags;
    std::string name;
    DWORD size, dataOffset;
    bool loaded;
    bool operator==(const RefChunk& o) const {
        return type == o.type && id == o.id && flags == o.flags && name == o.name &&
               size == o.size && dataOffset == o.dataOffset && loaded == o.loaded;
    }
};

std::vector<RefChunk> ReferenceLoad(const Bytes& f) {
    std::vector<RefChunk> list;
    auto header = [&](ULONGLONG off, RefChunk* c) {
        if (off + 76 > f.size()) return false;
        const BYTE* p = f.data() + off;
        const char* name = reinterpret_cast<const char*>(p + 12);
        *c = {LoadBE32(p),
              LoadBE16(p + 8),
              LoadBE16(p + 10),
              std::string(name, strnlen(name, 64)),
              LoadBE32(p + 4),
              static_cast<DWORD>(off + 76),
              false};
        return c->size >= 76 && c->size <= 0x40000000;  // callers check the bounds
    };
    auto add = [&](RefChunk c) {
        c.size -= 76;
        list.erase(
            std::remove_if(list.begin(), list.end(),
                           [&](const RefChunk& o) { return o.type == c.type && o.id == c.id; }),
            list.end());
        list.push_back(c);
    };
    if (f.size() < 64 || std::memcmp(f.data(), "IFF FILE", 8) != 0) return list;
    if (std::memcmp(f.data() + 9, "2.5", 3) == 0) {
        const DWORD mapOffset = LoadBE32(f.data() + 60);
        RefChunk map;
        if (mapOffset && header(mapOffset, &map)) {
            add(map);
            const ULONGLONG end = static_cast<ULONGLONG>(map.dataOffset) + list.back().size;
            if (end <= f.size()) {
                list.back().loaded = true;
                const Bytes d(f.begin() + map.dataOffset,
                              f.begin() + static_cast<std::ptrdiff_t>(end));
                if (d.size() >= 20 && std::memcmp(d.data() + 8, "pmsr", 4) == 0) {
                    size_t pos = 20;
                    for (DWORD t = 0, types = LoadLE32(d.data() + 16); t < types; ++t) {
                        if (pos + 8 > d.size()) break;
                        const DWORD count = LoadLE32(d.data() + pos + 4);
                        pos += 8;
                        bool stop = false;
                        for (DWORD e = 0; e < count && !stop; ++e) {
                            if (pos + 8 > d.size()) stop = true;
                            if (stop) break;
                            const DWORD off = LoadLE32(d.data() + pos);
                            pos += 8;
                            const auto zero =
                                std::find(d.begin() + static_cast<std::ptrdiff_t>(pos), d.end(), 0);
                            if (zero == d.end()) stop = true;
                            if (stop) break;
                            pos = static_cast<size_t>(zero - d.begin()) + 1;
                            pos += pos & 1;
                            RefChunk c;
                            if (header(off, &c)) add(c);
                        }
                        if (stop) break;
                    }
                }
            }
        }
    } else if (std::memcmp(f.data() + 9, "2.0", 3) != 0) {
        return list;
    }
    for (ULONGLONG pos = 64; pos < f.size();) {
        RefChunk c;
        if (!header(pos, &c)) break;
        pos += c.size;
        if (!(c.flags & 0x0004)) add(c);
    }
    return list;
}

std::vector<RefChunk> Loaded(const CIffFile& iff) {
    std::vector<RefChunk> out;
    const CIffFileRecord* rec = iff.GetRecord();
    for (POSITION p = rec->GetHeadPosition(); p;) {
        const CIffChunk* c = rec->GetNext(p);
        out.push_back({c->m_dwType, c->m_wID, c->m_wFlags, c->m_strName, c->m_dwSize,
                       c->m_dwDataOffset, c->IsLoaded() != FALSE});
    }
    return out;
}

// A random file: few types and IDs (so duplicates happen), some chunks hidden from the
// scan or skipped by it, a map listing a random selection (some twice, some bogus
// offsets, some pointing at the map), sometimes first, sometimes cut short.
Bytes RandomFile(std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* types[] = {"PALT", "SPR2", "rsmp", "STR#"};
    IffSpec spec;
    spec.version = pick(4) ? "2.5" : "2.0";
    spec.mapFirst = pick(3) == 0;
    const int n = 1 + pick(30);
    for (int i = 0; i < n; ++i) {
        ChunkSpec c =
            Chunk(types[pick(4)], static_cast<WORD>(pick(6)), static_cast<size_t>(pick(40)),
                  pick(5) ? 0x10 : 0x14, std::string(static_cast<size_t>(pick(8)), 'a' + pick(26)));
        c.inFile = pick(6) != 0;
        if (pick(25) == 0) c.sizeField = static_cast<DWORD>(pick(200));
        spec.chunks.push_back(c);
    }
    auto layout = BuildIffLayout(spec);
    std::vector<MapEntry> entries;
    for (int i = 0, m = pick(2 * n + 1); i < m; ++i) {
        const size_t k = static_cast<size_t>(pick(n));
        MapEntry e{spec.chunks[k].type, layout.chunkOffsets[k], spec.chunks[k].id, 0x10,
                   spec.chunks[k].name};
        if (pick(10) == 0)
            e.offset = static_cast<DWORD>(pick(static_cast<int>(layout.bytes.size()) + 100));
        if (pick(15) == 0) e.offset = layout.mapOffset;
        entries.push_back(e);
    }
    Bytes data = BuildMapData(entries);
    if (pick(8) == 0) StoreLE32(data.data() + 16, static_cast<DWORD>(rng()));
    if (pick(8) == 0 && data.size() > 20)
        data.resize(20 + static_cast<size_t>(pick(static_cast<int>(data.size()) - 19)));
    spec.mapData = data;
    // The map's size does not depend on the offsets it lists: lay out once more with it.
    layout = BuildIffLayout(spec);
    Bytes bytes = layout.bytes;
    if (pick(6) == 0) bytes.resize(static_cast<size_t>(pick(static_cast<int>(bytes.size()) + 1)));
    return bytes;
}

class AgainstReference : public testing::TestWithParam<Access> {};

TEST_P(AgainstReference, RandomAndDamagedFilesLoadTheSame) {
    std::mt19937 rng(12345);
    CIffFile iff;
    for (int round = 0; round < 400; ++round) {
        const Bytes bytes = RandomFile(rng);
        const std::vector<RefChunk> expected = ReferenceLoad(bytes);
        LoadAs(iff, bytes, GetParam());
        ASSERT_TRUE(Loaded(iff) == expected) << "round " << round;
        for (DWORD type : {IFF_TYPE_PALT, IFF_TYPE_SPR2, IFF_TYPE_RSMP}) {
            std::vector<WORD> ids, walked, inList, walkedInList;
            for (const RefChunk& c : expected)
                if (c.type == type) inList.push_back(c.id);
            ids = inList;
            std::sort(ids.begin(), ids.end());
            for (POSITION p = iff.FindLowestIdOfType(type); p;)
                walked.push_back(iff.GetNextByIdOfType(p)->m_wID);
            for (POSITION p = iff.FindFirstOfType(type); p;)
                walkedInList.push_back(iff.GetNextOfType(p)->m_wID);
            ASSERT_EQ(walked, ids) << "round " << round;
            ASSERT_EQ(walkedInList, inList) << "round " << round;
        }
    }
    iff.Reset();
}

INSTANTIATE_TEST_SUITE_P(Access, AgainstReference,
                         testing::Values(Access::Plain, Access::SplitReads), [](const auto& info) {
                             return info.param == Access::Plain ? "plain" : "split";
                         });

}  // namespace
