// The container's core: chunk buffers and the slot table; loading both versions with and
// without a map, damaged headers and sizes, the bounded map walk, and the indexed loader
// against a literal one on random files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <set>

#include "base/byte_order.h"
#include "iff_test_helpers.h"

using namespace ifftest;

namespace {

TEST(ChunkBuffer, ReadsStayInsideAndWritesGrowInSixtyFourByteSteps) {
    CIffChunk c, fresh;
    using State = std::vector<DWORD>;  // capacity, size, cursor after an operation
    auto after = [](CIffChunk& k, BOOL ok) {
        return ok ? State{k.m_dwCapacity, k.m_dwSize, k.m_dwPos} : State{};
    };
    BYTE out[80] = {9};
    c.m_dwSize = 5000;  // an unloaded chunk's length on disk; the buffer holds 64 bytes
    EXPECT_FALSE(c.Read(out, 65));
    c.m_dwSize = 0;
    const BYTE bytes[7] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xEE};
    ASSERT_TRUE(c.Write(bytes, 7));
    c.m_dwPos = 0;
    WORD w = 0;
    DWORD d = 0;
    ASSERT_TRUE(c.ReadWord(&w) && c.ReadDword(&d));
    EXPECT_FALSE(c.Read(out, 2) || c.Read(out, 0xFFFFFFFFu));  // one byte left
    EXPECT_EQ((State{w, d, out[0], c.m_dwPos}), (State{0x1234, 0x12345678, 9, 6}));
    EXPECT_TRUE(c.Read(out, 1) && out[0] == 0xEE);
    const std::vector<BYTE> fill(100, 0xAB);
    c.m_dwPos = 0;
    EXPECT_EQ(after(c, c.Write(fill.data(), 64)), (State{64, 64, 64}));
    EXPECT_EQ(after(c, c.WriteByte(0x5A)), (State{128, 65, 65}));  // capacity + 1, rounded up
    EXPECT_EQ(c.m_pData[63], 0xAB);                                // the old bytes carried over
    EXPECT_EQ(after(c, c.SetSize(1)), (State{128, 1, 1}));
    c.m_dwPos = 120;
    EXPECT_EQ(after(c, c.WriteDword(0x11223344)), (State{128, 124, 124}));  // the size follows
    EXPECT_EQ(c.m_pData[121], 0x33);
    EXPECT_EQ(after(c, c.SetSize(1000)), (State{1024, 1000, 124}));  // the size rounded up
    EXPECT_EQ(after(fresh, fresh.Write(fill.data(), 65)), (State{192, 65, 65}));  // not the end
    for (auto [size, capacity] : {std::pair<DWORD, DWORD>{0, 64}, {64, 64}, {65, 128}}) {
        c.m_dwSize = size;
        EXPECT_EQ(after(c, c.AllocForSize()), (State{capacity, size, 0}));
    }
}

TEST(SlotTable, SlotsStartAtOneGrowBySixtyFourAndReuseTheLowest) {
    // Containers attached by Load are left to the exit clean-up; earlier tests leave some.
    for (DWORD h = 1; h < CIffManager::GetCapacity(); ++h) CIffManager::Close(h);
    const DWORD capacity = CIffManager::GetCapacity();  // 64, unless an earlier test grew it
    std::vector<DWORD> handles;
    for (DWORD i = 1; i <= 64; ++i) handles.push_back(CIffManager::CreateNew(TRUE));
    EXPECT_TRUE(handles.front() == 1 && handles.back() == 64);
    EXPECT_EQ(CIffManager::GetCapacity(), capacity == 64 ? 128u : capacity);
    EXPECT_TRUE(CIffManager::Close(5));
    EXPECT_FALSE(CIffManager::Close(5) || CIffManager::IsValid(0) ||
                 CIffManager::IsValid(CIffManager::GetCapacity()));
    ASSERT_EQ(CIffManager::CreateNew(FALSE), 5u);
    EXPECT_TRUE(CIffManager::GetRecord(5)->m_bMemoryFile &&
                !CIffManager::GetRecord(5)->m_bNoSaveInPlace);
    for (DWORD h : handles) EXPECT_TRUE(CIffManager::Close(h));
    CIffFile iff;
    EXPECT_TRUE(iff.Attach(iff.GetHandle()));  // attaching the own container keeps it
    EXPECT_TRUE(CIffManager::IsValid(iff.GetHandle()));
}

TEST(SlotTable, ReplacedChunksMoveToTheEndAndRemovedOnesLeaveTheIndexes) {
    CIffFile iff;
    const DWORD h = iff.GetHandle();
    IffChunkHeader header{};
    auto add = [&](DWORD type, WORD id, DWORD size) {
        std::tie(header.dwType, header.wID, header.dwSize) = std::make_tuple(type, id, size);
        return CIffManager::AddChunk(h, header, 100);
    };
    add(IFF_TYPE_PALT, 7, 1);
    for (WORD id : {65535, 0, 256, 255, 64, 63, 40000, 1}) add(IFF_TYPE_SPR2, id, 0);
    CIffChunk *const again = add(IFF_TYPE_PALT, 7, 4), *c = again;
    again->m_bLoaded = TRUE;
    iff.RebuildTypeList();  // the PALT moved behind the SPR2s
    EXPECT_EQ(iff.m_typeList, (std::vector<DWORD>{IFF_TYPE_SPR2, IFF_TYPE_PALT}));
    EXPECT_EQ(iff.CountOfType(IFF_TYPE_PALT, TRUE) + iff.CountOfType(IFF_TYPE_SPR2, TRUE), 1);
    EXPECT_FALSE(iff.FindChunk(&c, IFF_TYPE_PALT, 8) || iff.FindLowestIdOfType(0));
    EXPECT_EQ(c, again);  // a failed lookup leaves the pointer alone
    EXPECT_TRUE(CIffManager::RemoveChunk(h, IFF_TYPE_SPR2, 64) &&
                !CIffManager::RemoveChunk(h, IFF_TYPE_SPR2, 64));
    EXPECT_EQ(Walk(iff, IFF_TYPE_SPR2, true),
              (std::vector<WORD>{0, 1, 63, 255, 256, 40000, 65535}));
    EXPECT_TRUE(CIffManager::RemoveChunk(h, IFF_TYPE_PALT, 7) &&
                !iff.FindFirstOfType(IFF_TYPE_PALT));
}

// Lookups stay exact whatever the shape of a file: a type of a few chunks, one of thousands
// (its index changes form on the way), many types of one chunk; then with every other one
// removed.
TEST(SlotTable, LookupsAndWalksHoldForFewManyAndScatteredIds) {
    std::mt19937 random(11);
    for (int count : {3, 1024, 1025, 3000}) {
        SCOPED_TRACE(count);
        std::vector<WORD> ids(count);
        for (int i = 0; i < count; ++i) ids[i] = static_cast<WORD>(i * 21 + 7);  // over pages
        std::shuffle(ids.begin(), ids.end(), random);
        IffSpec layout{"2.0", {}, false};
        for (WORD id : ids) layout.chunks.push_back(Chunk("SPR2", id, 1, 0x10, "a"));
        layout.chunks.push_back(Chunk("SPR2", ids[0], 1, 0x10, "again"));  // replaces the first
        for (int t = 0; t < 300; ++t) layout.chunks.push_back(Chunk(std::to_string(1000 + t), 5));
        CIffFile iff;
        ASSERT_TRUE(LoadAs(iff, BuildIff(layout)));
        EXPECT_EQ(iff.GetTypeCount(), 301);
        EXPECT_EQ(iff.CountOfType(IFF_TYPE_SPR2, FALSE), count);
        std::vector<WORD> sorted = ids;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(Walk(iff, IFF_TYPE_SPR2, true), sorted);
        for (WORD id : ids) {
            CIffChunk* c = nullptr;
            ASSERT_TRUE(iff.FindChunk(&c, IFF_TYPE_SPR2, id));
            EXPECT_EQ(c->m_strName, id == ids[0] ? "again" : "a");
        }
        CIffChunk* missing = nullptr;
        EXPECT_FALSE(iff.FindChunk(&missing, IFF_TYPE_SPR2, 2));
        std::vector<WORD> kept;
        for (size_t i = 0; i < ids.size(); i += 2)
            EXPECT_TRUE(CIffManager::RemoveChunk(iff.GetHandle(), IFF_TYPE_SPR2, ids[i]));
        for (size_t i = 1; i < ids.size(); i += 2) kept.push_back(ids[i]);
        std::sort(kept.begin(), kept.end());
        EXPECT_EQ(Walk(iff, IFF_TYPE_SPR2, true), kept);
        EXPECT_EQ(Walk(iff, MakeIffType('1', '1', '5', '0'), true), std::vector<WORD>{5});
    }
}

const char kNewImage[] = "IFF FILE 2.5:TYPE FOLLOWED BY SIZE\0 KESTREL WARDEX & DUZAD 1";

// A file of four chunks with one change: at a place, a byte (width 1), the third chunk's size
// field (4, at 228) or the length (0: cut there); then the error (-1: loads) and the list
// after loading all data ('*' marks what loaded).
using Damage = std::tuple<size_t, int, DWORD, int, std::string>;

TEST(DamagedFiles, HeaderChecksAndScanStops) {
    const std::string two = "PALT 1*, SPR2 2*", three = two + ", PALT 3";
    const Damage cases[] = {{8, 1, '_', -1, two + ", PALT 3*, PALT 4*"},
                            {0, 1, 'i', IFF_ERROR_SIGNATURE, ""},
                            {7, 1, 'X', IFF_ERROR_SIGNATURE, ""},
                            {63, 0, 0, IFF_ERROR_SIGNATURE, ""},
                            {11, 1, '1', IFF_ERROR_VERSION, ""},
                            {228, 4, 75, -1, two},
                            {228, 4, 0x40000001, -1, two},
                            {254, 0, 0, -1, two},                  // inside the third header
                            {228, 4, 76 + 4 + 76 + 5, -1, three},  // one byte past the end
                            {228, 4, 0x40000000, -1, three}};
    for (const char* version : {"2.0", "2.5"}) {
        for (const auto& [at, width, value, code, order] : cases) {
            SCOPED_TRACE(std::string(version) + " at " + std::to_string(at));
            Bytes bytes = BuildIff(
                IffSpec{version,
                        {Chunk("PALT", 1), Chunk("SPR2", 2), Chunk("PALT", 3), Chunk("PALT", 4)},
                        false});
            if (width == 1) bytes.at(at) = BYTE(value);
            if (width == 4) StoreBE32(&bytes.at(at), value);
            if (width == 0) bytes.resize(at);
            CIffFile iff;
            int error = -1;
            EXPECT_EQ(LoadAs(iff, bytes, Access::Plain, &error), code < 0);
            EXPECT_EQ(error, code);
            EXPECT_EQ(iff.LoadAllChunkData(), order != three);
            EXPECT_EQ(ListOrder(iff), order);
            CIffChunk* c = nullptr;  // a size past the end of the file allocates nothing
            EXPECT_TRUE(!iff.FindChunk(&c, IFF_TYPE_PALT, 3) || c->IsLoaded() ||
                        c->m_dwCapacity == 64);
            // A short file leaves the new container's header image.
            EXPECT_TRUE(bytes.size() >= 64 ||
                        !std::memcmp(iff.GetRecord()->m_header, kNewImage, 60));
        }
    }
    int error = 0;
    EXPECT_FALSE(CIffManager::Parse(0, &error));
    EXPECT_EQ(error, IFF_ERROR_HANDLE);
}

// The literal loader: a plain vector with linear replacement, the map step and then the
// scan, every header read on its own. A chunk: (type, ID), flags, name, size, data offset,
// loaded.
using Ref = std::tuple<std::pair<DWORD, WORD>, WORD, std::string, DWORD, DWORD, bool>;

std::vector<Ref> ReferenceLoad(const Bytes& f) {
    std::vector<Ref> list;
    DWORD size = 0, dataOffset = 0;  // of the chunk header read last
    auto header = [&](ULONGLONG at, Ref* c) {
        if (at + 76 > f.size()) return false;
        const DWORD field = LoadBE32(&f[at + 4]);
        const char* name = reinterpret_cast<const char*>(&f[at + 12]);
        std::tie(size, dataOffset) = std::make_tuple(field - 76, DWORD(at + 76));
        *c = Ref({LoadBE32(&f[at]), LoadBE16(&f[at + 8])}, LoadBE16(&f[at + 10]),
                 std::string(name, strnlen(name, 64)), size, dataOffset, false);
        return field >= 76 && field <= 0x40000000;
    };
    auto add = [&](const Ref& c) {
        auto same = [&](const Ref& o) { return std::get<0>(o) == std::get<0>(c); };
        list.erase(std::remove_if(list.begin(), list.end(), same), list.end());
        list.push_back(c);
    };
    if (f.size() < 64 || std::memcmp(f.data(), "IFF FILE", 8) != 0) return list;
    const bool v25 = std::memcmp(&f[9], "2.5", 3) == 0;
    if (!v25 && std::memcmp(&f[9], "2.0", 3) != 0) return list;
    Ref c;
    if (v25 && LoadBE32(&f[60]) && header(LoadBE32(&f[60]), &c)) add(c);
    if (!list.empty() && ULONGLONG(dataOffset) + size <= f.size()) {
        std::get<5>(list.back()) = true;
        const Bytes d(f.begin() + dataOffset, f.begin() + dataOffset + size);
        // pos stands at a type table's 8 bytes, later 8 bytes before the next entry.
        size_t pos = 20,
               types = d.size() < 20 || std::memcmp(&d[8], "pmsr", 4) ? 0 : LoadLE32(&d[16]);
        for (size_t t = 0, count = 0; t < types && pos + 8 <= d.size(); ++t, pos += 8) {
            for (count = LoadLE32(&d[pos + 4]); count > 0 && pos + 16 <= d.size(); --count) {
                const auto zero = std::find(d.begin() + pos + 16, d.end(), 0);
                if (zero == d.end()) break;
                if (header(LoadLE32(&d[pos + 8]), &c)) add(c);
                pos = zero - d.begin() - 7;
                pos += pos & 1;  // the pad
            }
            if (count > 0) break;
        }
    }
    for (ULONGLONG pos = 64; pos < f.size() && header(pos, &c); pos += size + 76)
        if (!(std::get<1>(c) & 0x0004)) add(c);
    return list;
}

// Few types and IDs, so that duplicates happen; chunks hidden from the scan or skipped by
// it; a map listing a random choice in random order, some twice; sometimes first; then a few
// bytes from the map on damaged, sometimes the version made 2.0, and sometimes the file cut.
Bytes RandomFile(std::mt19937& rng) {
    auto pick = [&](size_t n) { return rng() % n; };
    const WORD ids[] = {0, 1, 2, 255, 256, 65535};
    IffSpec layout;
    layout.version = pick(4) ? "2.5" : "2.0";
    layout.mapFirst = pick(3) == 0;  // else last
    for (size_t i = 0, n = 1 + pick(30); i < n; ++i) {
        layout.chunks.push_back(Chunk(std::string("PALTSPR2rsmp").substr(4 * pick(3), 4),
                                      ids[pick(6)], pick(40), pick(5) ? 0x10 : 0x14,
                                      std::string(pick(8), char('a' + pick(26)))));
        layout.chunks.back().inFile = pick(6) != 0;
        if (pick(25) == 0) layout.chunks.back().sizeField = DWORD(pick(200));
        for (size_t k = pick(3); k > 0; --k) layout.mapOrder.push_back(pick(n));
    }
    BuiltIff l = BuildIffLayout(layout);
    for (size_t k = l.mapOffset ? pick(4) : 0; k > 0; --k)
        l.bytes[l.mapOffset + 76 + pick(l.bytes.size() - l.mapOffset - 76)] = BYTE(rng());
    if (l.mapOffset && pick(8) == 0) std::memcpy(&l.bytes[9], "2.0", 3);  // a 2.0 with a map
    if (pick(6) == 0) l.bytes.resize(pick(l.bytes.size() + 1));
    return l.bytes;
}

TEST(AgainstReference, RandomAndDamagedFilesLoadTheSame) {
    std::mt19937 rng(12345);
    CIffFile iff;
    for (int round = 0; round < 400; ++round) {
        const Bytes bytes = RandomFile(rng);
        const std::vector<Ref> expected = ReferenceLoad(bytes);
        LoadAs(iff, bytes, round % 2 ? Access::SplitReads : Access::Plain);
        // A chunk's bytes in the file, if they end before it does.
        const auto inFile = [&](const Ref& r) -> std::optional<Bytes> {
            const ULONGLONG at = std::get<4>(r), end = at + std::get<3>(r);
            if (end > bytes.size()) return std::nullopt;
            return Bytes(bytes.begin() + at, bytes.begin() + end);
        };
        // Visiting a type's data gives every chunk of it once, with its bytes where loading
        // it would succeed, and loads nothing (the list below is still as loaded).
        std::map<std::pair<DWORD, WORD>, std::optional<Bytes>> visited, readable;
        std::set<DWORD> types;
        for (const Ref& r : expected) {
            types.insert(std::get<0>(r).first);
            readable[std::get<0>(r)] = inFile(r);
        }
        for (DWORD type : types) {
            iff.VisitChunkDataOfType(type, [&](const CIffChunk& c, const BYTE* data) {
                const auto bytesOf =
                    data ? std::optional(Bytes(data, data + c.m_dwSize)) : std::nullopt;
                EXPECT_TRUE(visited.emplace(std::make_pair(type, c.m_wID), bytesOf).second);
            });
        }
        ASSERT_EQ(visited, readable) << "round " << round;
        std::vector<Ref> loaded;
        std::vector<WORD> ids;  // of the SPR2 chunks
        for (POSITION p = iff.GetRecord()->GetHeadPosition(); p;) {
            const CIffChunk* c = iff.GetRecord()->GetNext(p);
            loaded.emplace_back(std::make_pair(c->m_dwType, c->m_wID), c->m_wFlags, c->m_strName,
                                c->m_dwSize, c->m_dwDataOffset, c->IsLoaded() != FALSE);
            if (c->m_dwType == IFF_TYPE_SPR2) ids.push_back(c->m_wID);
        }
        ASSERT_EQ(loaded, expected) << "round " << round;
        ASSERT_EQ(Walk(iff, IFF_TYPE_SPR2, false), ids) << "round " << round;
        std::sort(ids.begin(), ids.end());
        ASSERT_EQ(Walk(iff, IFF_TYPE_SPR2, true), ids) << "round " << round;

        // Loading all data goes in list order and stops at the first chunk that runs past
        // the end of the file; each loaded chunk holds its own bytes.
        bool complete = true;
        std::vector<std::optional<Bytes>> want, got;
        for (const Ref& r : expected) {
            complete = complete && inFile(r);
            want.push_back(complete ? inFile(r) : std::nullopt);
        }
        ASSERT_EQ(iff.LoadAllChunkData() != FALSE, complete) << "round " << round;
        for (POSITION p = iff.GetRecord()->GetHeadPosition(); p;) {
            const CIffChunk* c = iff.GetRecord()->GetNext(p);
            got.push_back(c->IsLoaded() ? std::optional(Bytes(c->m_pData.get(),
                                                              c->m_pData.get() + c->m_dwSize))
                                        : std::nullopt);
        }
        ASSERT_EQ(got, want) << "round " << round;
    }
}

}  // namespace
