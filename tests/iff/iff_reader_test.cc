// Loading: layouts of both versions, the map and the scan together, the scan's stops,
// the error codes and the bounded map walk, over plain files and split reads.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "iff/iff_file.h"
#include "iff/iff_io.h"
#include "iff_test_helpers.h"

using namespace ifftest;
using testsupport::BuildIff;
using testsupport::BuildIffLayout;
using testsupport::BuildMapData;
using testsupport::MapEntry;
using Strings = std::vector<std::string>;

namespace {

struct Layout {
    const char* name;
    const char* version;
    bool withMap;
    bool mapFirst;
    bool MapRead() const { return withMap && std::string(version) == "2.5"; }
};

const Layout kLayouts[] = {
    {"v20", "2.0", false, false},
    {"v25_map_last", "2.5", true, false},
    {"v25_map_first", "2.5", true, true},
    {"v25_no_map", "2.5", false, false},
};

IffSpec Describe(const Layout& l, std::vector<ChunkSpec> chunks) {
    IffSpec s;
    s.version = l.version;
    s.withMap = l.withMap;
    s.mapFirst = l.mapFirst;
    s.chunks = std::move(chunks);
    return s;
}

// Where the scan puts the map chunk among the chunks it finds in file order.
Strings WithMap(const Layout& l, Strings scanned) {
    if (!l.withMap) return scanned;
    if (l.mapFirst)
        scanned.insert(scanned.begin(), "rsmp 0");
    else
        scanned.push_back("rsmp 0");
    return scanned;
}

class ReadLayout : public testing::TestWithParam<std::tuple<Layout, Access>> {
protected:
    const Layout& L() const { return std::get<0>(GetParam()); }
    BOOL Load(const IffSpec& spec, int* pError = nullptr) {
        return LoadAs(iff, BuildIff(spec), std::get<1>(GetParam()), pError, &path);
    }
    CIffChunk* Find(const char* type, WORD id) {
        CIffChunk* c = nullptr;
        iff.FindChunk(&c, MakeIffType(type[0], type[1], type[2], type[3]), id);
        return c;
    }
    CIffFile iff;
    std::string path;
};

TEST_P(ReadLayout, ChunksComeInFileOrderUnloaded) {
    ASSERT_TRUE(
        Load(Describe(L(), {Chunk("PALT", 1), Chunk("SPR2", 5, 0), Chunk("PALT", 2, 200)})));
    EXPECT_EQ(ListOrder(iff), WithMap(L(), {"PALT 1", "SPR2 5", "PALT 2"}));
    CIffChunk* c = Find("PALT", 2);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->m_dwSize, 200u);
    EXPECT_EQ(c->m_strName, "PALT#2");
    ASSERT_TRUE(iff.LoadChunkData(c));
    EXPECT_EQ(c->m_pData[0], 2);
    EXPECT_EQ(c->m_pData[199], static_cast<BYTE>(2 + 199));
    EXPECT_EQ(iff.GetTypeCount(), L().withMap ? 3 : 2);
}

TEST_P(ReadLayout, TheLaterOfTwoDuplicatesStaysAtItsPlace) {
    ASSERT_TRUE(Load(Describe(L(), {Chunk("PALT", 1, 4), Chunk("SPR2", 5), Chunk("PALT", 1, 9)})));
    EXPECT_EQ(ListOrder(iff), WithMap(L(), {"SPR2 5", "PALT 1"}));
    EXPECT_EQ(Find("PALT", 1)->m_dwSize, 9u);
}

TEST_P(ReadLayout, SkipFlagHidesAChunkFromTheScanOnly) {
    ASSERT_TRUE(
        Load(Describe(L(), {Chunk("PALT", 1), Chunk("SPR2", 2, 4, 0x0014), Chunk("PALT", 3)})));
    Strings expected = WithMap(L(), {"PALT 1", "PALT 3"});
    if (L().MapRead()) expected.insert(expected.begin(), "SPR2 2");
    EXPECT_EQ(ListOrder(iff), expected);
}

TEST_P(ReadLayout, ChunkOfExactlyHeaderSizeHasNoData) {
    ASSERT_TRUE(Load(Describe(L(), {Chunk("PALT", 1, 0), Chunk("PALT", 2, 3)})));
    EXPECT_EQ(ListOrder(iff), WithMap(L(), {"PALT 1", "PALT 2"}));
    CIffChunk* c = Find("PALT", 1);
    ASSERT_TRUE(iff.LoadChunkData(c));
    EXPECT_EQ(c->m_dwSize, 0u);
    EXPECT_EQ(c->m_dwCapacity, 64u);
}

TEST_P(ReadLayout, DataCutShortByTheEndOfTheFileFailsToLoadWithoutAllocating) {
    IffSpec spec = Describe(L(), {Chunk("PALT", 1), Chunk("SPR2", 7, 5000)});
    spec.withMap = false;  // the file has to end inside the last chunk's data
    Bytes bytes = BuildIff(spec);
    bytes.resize(bytes.size() - 10);
    ASSERT_TRUE(LoadAs(iff, bytes, std::get<1>(GetParam())));
    CIffChunk* c = Find("SPR2", 7);
    ASSERT_NE(c, nullptr);
    EXPECT_FALSE(iff.LoadChunkData(c));
    EXPECT_FALSE(c->IsLoaded());
    EXPECT_EQ(c->m_dwCapacity, 64u);
    EXPECT_FALSE(iff.LoadAllChunkData());
    EXPECT_TRUE(Find("PALT", 1)->IsLoaded());  // loaded before the failure
}

TEST_P(ReadLayout, WalksVisitByTypeInIdAndListOrder) {
    ASSERT_TRUE(Load(Describe(L(), {Chunk("PALT", 300), Chunk("SPR2", 9), Chunk("PALT", 128),
                                    Chunk("PALT", 200), Chunk("SPR2", 1)})));
    std::vector<WORD> byId, inList;
    for (POSITION p = iff.FindLowestIdOfType(IFF_TYPE_PALT); p;)
        byId.push_back(iff.GetNextByIdOfType(p)->m_wID);
    for (POSITION p = iff.FindFirstOfType(IFF_TYPE_PALT); p;)
        inList.push_back(iff.GetNextOfType(p)->m_wID);
    EXPECT_EQ(byId, (std::vector<WORD>{128, 200, 300}));
    EXPECT_EQ(inList, (std::vector<WORD>{300, 128, 200}));
    EXPECT_EQ(iff.CountOfType(IFF_TYPE_PALT, FALSE), 3);
    EXPECT_EQ(iff.CountOfType(IFF_TYPE_PALT, TRUE), 0);
    iff.LoadChunkData(Find("PALT", 128));
    EXPECT_EQ(iff.CountOfType(IFF_TYPE_PALT, TRUE), 1);
    EXPECT_EQ(iff.CountOfType(MakeIffType('N', 'O', 'N', 'E'), FALSE), 0);
    EXPECT_EQ(iff.FindFirstOfType(MakeIffType('N', 'O', 'N', 'E')), nullptr);
    EXPECT_EQ(iff.FindLowestIdOfType(MakeIffType('N', 'O', 'N', 'E')), nullptr);
    CIffChunk* untouched = reinterpret_cast<CIffChunk*>(&iff);
    EXPECT_FALSE(iff.FindChunk(&untouched, IFF_TYPE_PALT, 129));
    EXPECT_EQ(untouched, reinterpret_cast<CIffChunk*>(&iff));
}

std::string LayoutName(const testing::TestParamInfo<std::tuple<Layout, Access>>& info) {
    return std::string(std::get<0>(info.param).name) +
           (std::get<1>(info.param) == Access::Plain ? "_plain" : "_split");
}

INSTANTIATE_TEST_SUITE_P(Layouts, ReadLayout,
                         testing::Combine(testing::ValuesIn(kLayouts),
                                          testing::Values(Access::Plain, Access::SplitReads)),
                         LayoutName);

// --- where the scan stops ---------------------------------------------------------------

enum class Stop { Size75, SizeZero, SizeTooBig, HeaderCut, PastLength };

class ScanStops : public testing::TestWithParam<std::tuple<Stop, const char*>> {};

TEST_P(ScanStops, ChunksBeforeTheStopRemainAndLoadingSucceeds) {
    const auto [stop, version] = GetParam();
    IffSpec spec;
    spec.version = version;
    spec.withMap = false;
    spec.chunks = {Chunk("PALT", 1), Chunk("SPR2", 2), Chunk("PALT", 3), Chunk("PALT", 4)};
    ChunkSpec& bad = spec.chunks[2];
    if (stop == Stop::Size75) bad.sizeField = 75;
    if (stop == Stop::SizeZero) bad.sizeField = 0;
    if (stop == Stop::SizeTooBig) bad.sizeField = 0x40000001;
    if (stop == Stop::PastLength) bad.sizeField = 76 + 4 + 76 + 4 + 1;  // jumps past the end
    const auto built = BuildIffLayout(spec);
    Bytes bytes = built.bytes;
    if (stop == Stop::HeaderCut) bytes.resize(built.chunkOffsets[2] + 30);
    CIffFile iff;
    ASSERT_TRUE(LoadAs(iff, bytes, Access::Plain));
    Strings expected = {"PALT 1", "SPR2 2"};
    if (stop == Stop::PastLength) expected.push_back("PALT 3");
    EXPECT_EQ(ListOrder(iff), expected);
}

INSTANTIATE_TEST_SUITE_P(Stops, ScanStops,
                         testing::Combine(testing::Values(Stop::Size75, Stop::SizeZero,
                                                          Stop::SizeTooBig, Stop::HeaderCut,
                                                          Stop::PastLength),
                                          testing::Values("2.0", "2.5")));

TEST(ScanStops, LargestAllowedSizeIsAcceptedButTheChunkCannotLoad) {
    IffSpec spec;
    spec.version = "2.0";
    spec.chunks = {Chunk("PALT", 1), Chunk("SPR2", 2)};
    spec.chunks[1].sizeField = 0x40000000;
    CIffFile iff;
    ASSERT_TRUE(LoadAs(iff, BuildIff(spec), Access::Plain));
    EXPECT_EQ(ListOrder(iff), (Strings{"PALT 1", "SPR2 2"}));
    CIffChunk* c = nullptr;
    ASSERT_TRUE(iff.FindChunk(&c, IFF_TYPE_SPR2, 2));
    EXPECT_FALSE(iff.LoadChunkData(c));
    EXPECT_EQ(c->m_dwCapacity, 64u);
}

// --- header checks ---------------------------------------------------------------------

struct HeaderCase {
    const char* name;
    Bytes bytes;
    BOOL loads;
    int error;
};

Bytes WithByte(Bytes b, size_t at, BYTE v) {
    b.at(at) = v;
    return b;
}

std::vector<HeaderCase> HeaderCases() {
    IffSpec s;
    s.version = "2.0";
    s.chunks = {Chunk("PALT", 1)};
    const Bytes good = BuildIff(s);
    IffSpec v21 = s;
    v21.version = "2.1";
    IffSpec v205 = s;
    v205.version = "2.5";
    v205.withMap = false;
    Bytes shortHeader(good.begin(), good.begin() + 63);
    return {
        {"good", good, TRUE, -1},
        {"any_byte_at_8", WithByte(good, 8, '_'), TRUE, -1},
        {"lowercase_signature", WithByte(good, 0, 'i'), FALSE, IFF_ERROR_SIGNATURE},
        {"signature_byte_7", WithByte(good, 7, 'X'), FALSE, IFF_ERROR_SIGNATURE},
        {"empty_file", Bytes{}, FALSE, IFF_ERROR_SIGNATURE},
        {"header_cut_at_63", shortHeader, FALSE, IFF_ERROR_SIGNATURE},
        {"version_2_1", BuildIff(v21), FALSE, IFF_ERROR_VERSION},
        {"version_byte_11", WithByte(good, 11, '1'), FALSE, IFF_ERROR_VERSION},
        {"version_2_5_no_map", BuildIff(v205), TRUE, -1},
    };
}

class HeaderChecks : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderChecks, ErrorCodeAsExpected) {
    CIffFile iff;
    int error = -1;
    EXPECT_EQ(LoadAs(iff, GetParam().bytes, Access::Plain, &error), GetParam().loads);
    EXPECT_EQ(error, GetParam().error);
    // A refused file still leaves a container attached; nothing was added.
    EXPECT_EQ(ListOrder(iff).size(), GetParam().loads ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Headers, HeaderChecks, testing::ValuesIn(HeaderCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HeaderChecks, InvalidHandleIsErrorFive) {
    int error = 0;
    EXPECT_FALSE(CIffManager::Parse(0, &error));
    EXPECT_EQ(error, IFF_ERROR_HANDLE);
    EXPECT_FALSE(CIffManager::Parse(0xFFFFFFF0u, nullptr));
}

TEST(HeaderChecks, NoHeaderImageIsTakenFromAShortFile) {
    CIffFile iff;
    const Bytes tiny = {'I', 'F', 'F', ' ', 'F', 'I', 'L', 'E'};
    EXPECT_FALSE(LoadAs(iff, tiny, Access::Plain));
    BYTE memorySignature[64];
    iffio::CopyMemorySignature(memorySignature);
    EXPECT_EQ(std::memcmp(iff.GetRecord()->m_header, memorySignature, 64), 0);
}

// --- the resource map ---------------------------------------------------------------

// A 2.5 file with one chunk the scan sees (V) and three only the map can find (H1..H3),
// whose map is replaced by a damaged one.
class MapWalk : public testing::Test {
protected:
    void SetUp() override {
        spec.version = "2.5";
        spec.chunks = {Chunk("SPR2", 10), Chunk("PALT", 1, 6), Chunk("PALT", 2, 6),
                       Chunk("SPR2", 3, 6)};
        for (size_t i = 1; i < 4; ++i) spec.chunks[i].inFile = false;
        layout = BuildIffLayout(spec);
    }
    using Layout = testsupport::BuiltIff;
    MapEntry Entry(const Layout& l, size_t i, const std::string& name = "ab") const {
        return {spec.chunks[i].type, l.chunkOffsets[i], spec.chunks[i].id, 0x10, name};
    }
    // The map's data is made from the layout it ends up in; its size does not depend on
    // the offsets, so two passes settle them.
    Strings LoadWithMap(const std::function<Bytes(const Layout&)>& make) {
        IffSpec s = spec;
        s.mapData = make(layout);
        const Layout first = BuildIffLayout(s);
        s.mapData = make(first);
        const Layout built = BuildIffLayout(s);
        EXPECT_EQ(built.chunkOffsets, first.chunkOffsets);
        iff.Reset();
        EXPECT_TRUE(LoadAs(iff, built.bytes, Access::Plain));
        return ListOrder(iff);
    }
    IffSpec spec;
    testsupport::BuiltIff layout;
    CIffFile iff;
};

TEST_F(MapWalk, MapListedChunksComeFirstInMapOrder) {
    IffSpec s = spec;
    s.mapOrder = {3, 0, 1, 2};
    iff.Reset();
    ASSERT_TRUE(LoadAs(iff, BuildIff(s), Access::Plain));
    // Map tables follow first occurrence: SPR2 (3, 10) then PALT (1, 2); the scan then
    // re-adds what it finds.
    EXPECT_EQ(ListOrder(iff), (Strings{"SPR2 3", "PALT 1", "PALT 2", "SPR2 10", "rsmp 0"}));
}

TEST_F(MapWalk, OverrunningCountsKeepWhatFits) {
    EXPECT_EQ(LoadWithMap([&](const Layout& l) {
                  Bytes data = BuildMapData({Entry(l, 1), Entry(l, 2), Entry(l, 3)});
                  StoreLE32(data.data() + 16, 0xFFFFFFFFu);  // type count
                  return data;
              }),
              (Strings{"PALT 1", "PALT 2", "SPR2 3", "SPR2 10", "rsmp 0"}));
    EXPECT_EQ(LoadWithMap([&](const Layout& l) {
                  Bytes data = BuildMapData({Entry(l, 1), Entry(l, 2)});
                  StoreLE32(data.data() + 24, 0x7FFFFFFFu);  // the table's entry count
                  return data;
              }),
              (Strings{"PALT 1", "PALT 2", "SPR2 10", "rsmp 0"}));
}

TEST_F(MapWalk, EntryWhoseNameRunsOffTheEndIsNotUsed) {
    EXPECT_EQ(LoadWithMap([&](const Layout& l) {
                  Bytes data = BuildMapData({Entry(l, 1), Entry(l, 2, "abc")});
                  data.pop_back();  // the terminator of the last name
                  return data;
              }),
              (Strings{"PALT 1", "SPR2 10", "rsmp 0"}));
    EXPECT_EQ(LoadWithMap([&](const Layout& l) {
                  Bytes data = BuildMapData({Entry(l, 1), Entry(l, 2, "abcd")});
                  EXPECT_EQ(data.back(), 0xA3);
                  data.pop_back();                 // a missing pad at the very end is fine
                  StoreLE32(data.data() + 16, 2);  // and a table said to follow is not read
                  return data;
              }),
              (Strings{"PALT 1", "PALT 2", "SPR2 10", "rsmp 0"}));
}

TEST_F(MapWalk, EntryNamingTheMapItselfDoesNotDerailTheWalk) {
    EXPECT_EQ(LoadWithMap([&](const Layout& l) {
                  MapEntry self = Entry(l, 1);
                  self.type = "rsmp";
                  self.offset = l.mapOffset;
                  return BuildMapData({Entry(l, 1), self, Entry(l, 2), Entry(l, 3)});
              }),
              (Strings{"PALT 1", "PALT 2", "SPR2 3", "SPR2 10", "rsmp 0"}));
}

TEST_F(MapWalk, EntriesLeadingNowhereUsefulArePassedOver) {
    EXPECT_EQ(LoadWithMap([&](const Layout& l) {
                  MapEntry pastEnd = Entry(l, 1);
                  pastEnd.offset = 0xFFFFFFF0u;
                  MapEntry stopper = Entry(l, 1);
                  stopper.offset =
                      l.chunkOffsets[1] - 76;  // the size-0 header before the hidden chunks
                  MapEntry header = Entry(l, 1);
                  header.offset = 0;  // the file header: its size field reads "FILE", far too big
                  return BuildMapData({pastEnd, stopper, header, Entry(l, 2), Entry(l, 3)});
              }),
              (Strings{"PALT 2", "SPR2 3", "SPR2 10", "rsmp 0"}));
}

TEST_F(MapWalk, MapWithoutItsTagOrTooShortAddsOnlyItself) {
    const Strings onlyItself = {"SPR2 10", "rsmp 0"};
    EXPECT_EQ(LoadWithMap([&](const Layout& l) {
                  Bytes data = BuildMapData({Entry(l, 1), Entry(l, 2)});
                  data[8] = 'P';
                  return data;
              }),
              onlyItself);
    EXPECT_EQ(LoadWithMap([&](const Layout& l) {
                  Bytes data = BuildMapData({Entry(l, 1), Entry(l, 2)});
                  data.resize(19);
                  return data;
              }),
              onlyItself);
    EXPECT_EQ(LoadWithMap([&](const Layout&) { return Bytes{}; }), onlyItself);
}

TEST_F(MapWalk, MapOffsetZeroOrOutOfBoundsMapIsIgnored) {
    const DWORD cut = static_cast<DWORD>(layout.bytes.size() - 10);
    for (DWORD field : {0u, 0xFFFFFF00u, cut}) {
        IffSpec s = spec;
        s.mapOffsetField = field;
        iff.Reset();
        ASSERT_TRUE(LoadAs(iff, BuildIff(s), Access::Plain)) << field;
        EXPECT_EQ(ListOrder(iff), (Strings{"SPR2 10", "rsmp 0"})) << field;
    }
    // A map chunk whose size field is out of bounds: no map step at all.
    IffSpec s = spec;
    s.withMap = false;
    s.chunks.push_back(Chunk("rsmp", 0, 0));
    s.chunks.back().sizeField = 0x40000001;
    s.chunks.back().inFile = false;
    s.mapOffsetField = BuildIffLayout(s).chunkOffsets.back();
    iff.Reset();
    ASSERT_TRUE(LoadAs(iff, BuildIff(s), Access::Plain));
    EXPECT_EQ(ListOrder(iff), (Strings{"SPR2 10"}));
}

TEST_F(MapWalk, VersionTwoIgnoresTheMap) {
    // The map as an ordinary chunk of a 2.0 file, the header pointing at it.
    IffSpec s = spec;
    s.version = "2.0";
    s.withMap = false;
    s.chunks.insert(s.chunks.begin() + 1,
                    Chunk("rsmp", 0, BuildMapData({Entry(layout, 1)}).size()));
    const auto first = BuildIffLayout(s);
    s.chunks[1].data = BuildMapData({{"PALT", first.chunkOffsets[2], 1, 0x10, "ab"}});
    s.mapOffsetField = first.chunkOffsets[1];
    iff.Reset();
    ASSERT_TRUE(LoadAs(iff, BuildIff(s), Access::Plain));
    EXPECT_EQ(ListOrder(iff), (Strings{"SPR2 10", "rsmp 0"}));
    s.version = "2.5";
    iff.Reset();
    ASSERT_TRUE(LoadAs(iff, BuildIff(s), Access::Plain));
    EXPECT_EQ(ListOrder(iff), (Strings{"PALT 1", "SPR2 10", "rsmp 0"}));
}

}  // namespace
