// Container benchmarks, each against a floor measured in the same run:
//  (a) open + list (Reset, Load, both ascending-ID walks collecting ID and name) of files
//      of 1,000 / 10,000 / 100,000 chunks, against a loop that preads every chunk header;
//  (b) LoadAllChunkData + in-place Save of a file of about 200 MB, against writing the
//      same bytes to a new file in the same folder with fsync and rename.
// After the runs a table of ratios is printed (medians when repetitions are asked for).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "iff/iff_file.h"
#include "support/iff_builder.h"

namespace {

using testsupport::Bytes;
using testsupport::ChunkSpec;
using testsupport::IffSpec;

struct TestFile {
    std::string path;
    std::vector<DWORD> headerOffsets;  // every chunk header, the map's included
    Bytes bytes;                       // kept for the write floor only
};

// A program-written 2.5 file: palettes and sprites in turn, sprite sizes spread out.
TestFile MakeFile(size_t chunks, size_t minData, size_t maxData, bool keepBytes) {
    std::mt19937 rng(static_cast<unsigned>(chunks));
    std::uniform_int_distribution<size_t> size(minData, maxData);
    IffSpec layout;
    layout.chunks.reserve(chunks);
    for (size_t i = 0; i < chunks; ++i) {
        ChunkSpec c;
        const bool palette = i % 2 == 1;
        c.type = palette ? "PALT" : "SPR2";
        // IDs not in file order, so the ascending walk has work to do.
        c.id = static_cast<WORD>((i / 2 * 7919) % 65536);
        c.name = (palette ? "palette " : "sprite ") + std::to_string(i / 2);
        c.data.assign(palette ? 784 : size(rng), static_cast<BYTE>(i));
        layout.chunks.push_back(std::move(c));
    }
    const auto built = testsupport::BuildIffLayout(layout);
    TestFile f;
    f.path = testsupport::TempPath("bench-" + std::to_string(chunks) + ".iff");
    testsupport::WriteFileBytes(f.path, built.bytes);
    f.headerOffsets = built.chunkOffsets;
    f.headerOffsets.push_back(built.mapOffset);
    if (keepBytes) f.bytes = built.bytes;
    return f;
}

const TestFile& ListFile(size_t chunks) {
    static std::map<size_t, TestFile> files;
    auto it = files.find(chunks);
    if (it == files.end()) it = files.emplace(chunks, MakeFile(chunks, 256, 3072, false)).first;
    return it->second;
}

const TestFile& BigFile() {
    static const TestFile f = MakeFile(4000, 20 * 1024, 180 * 1024, true);
    return f;
}

struct Listed {
    WORD id;
    std::string name;
};

void BM_OpenAndList(benchmark::State& state) {
    const TestFile& f = ListFile(static_cast<size_t>(state.range(0)));
    std::vector<Listed> palettes, sprites;
    // Reset closes the container of the previous round, as opening the next file does.
    CIffFile iff;
    for (auto _ : state) {
        iff.Reset();
        CFile file;
        if (!file.Open(f.path.c_str(), CFile::modeReadWrite | CFile::shareExclusive) ||
            !iff.Load(&file, nullptr)) {
            state.SkipWithError("cannot load");
            return;
        }
        palettes.clear();
        sprites.clear();
        for (POSITION p = iff.FindLowestIdOfType(IFF_TYPE_PALT); p;) {
            const CIffChunk* c = iff.GetNextByIdOfType(p);
            palettes.push_back({c->m_wID, c->m_strName});
        }
        for (POSITION p = iff.FindLowestIdOfType(IFF_TYPE_SPR2); p;) {
            const CIffChunk* c = iff.GetNextByIdOfType(p);
            sprites.push_back({c->m_wID, c->m_strName});
        }
        benchmark::DoNotOptimize(palettes.data());
        benchmark::DoNotOptimize(sprites.data());
    }
    iff.Reset();  // a loaded container is not the object's own: let go of the file
    if (palettes.size() + sprites.size() + 1 != f.headerOffsets.size())
        state.SkipWithError("wrong count");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_OpenAndList_Floor(benchmark::State& state) {
    const TestFile& f = ListFile(static_cast<size_t>(state.range(0)));
    BYTE header[76];
    for (auto _ : state) {
        const int fd = ::open(f.path.c_str(), O_RDWR | O_CLOEXEC);
        for (DWORD offset : f.headerOffsets) {
            if (::pread(fd, header, sizeof header, offset) != static_cast<ssize_t>(sizeof header)) {
                state.SkipWithError("short read");
                break;
            }
            benchmark::DoNotOptimize(header);
        }
        ::close(fd);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_LoadAllAndSaveInPlace(benchmark::State& state) {
    const TestFile& f = BigFile();
    CIffFile iff;
    for (auto _ : state) {
        state.PauseTiming();
        iff.Reset();  // releases the previous round's data outside the timing
        CFile file;
        if (!file.Open(f.path.c_str(), CFile::modeReadWrite | CFile::shareExclusive) ||
            !iff.Load(&file, nullptr)) {
            state.SkipWithError("cannot load");
            return;
        }
        state.ResumeTiming();
        if (!iff.LoadAllChunkData() || !iff.Save(nullptr)) {
            state.SkipWithError("save failed");
            return;
        }
    }
    iff.Reset();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(f.bytes.size()));
}

void BM_LoadAllAndSaveInPlace_Floor(benchmark::State& state) {
    const TestFile& f = BigFile();
    const std::string target = f.path + ".floor";
    const std::string temp = f.path + ".floor.tmp";
    const std::string folder = f.path.substr(0, f.path.rfind('/'));
    constexpr size_t kBlock = 1 << 20;
    for (auto _ : state) {
        const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        for (size_t done = 0; done < f.bytes.size();) {
            const size_t n = std::min(kBlock, f.bytes.size() - done);
            if (::write(fd, f.bytes.data() + done, n) != static_cast<ssize_t>(n)) {
                state.SkipWithError("write failed");
                break;
            }
            done += n;
        }
        ::fsync(fd);
        ::rename(temp.c_str(), target.c_str());
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::fsync(dir);
        ::close(dir);
        ::close(fd);
    }
    ::unlink(target.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(f.bytes.size()));
}

BENCHMARK(BM_OpenAndList)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_OpenAndList_Floor)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_LoadAllAndSaveInPlace)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LoadAllAndSaveInPlace_Floor)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

// Collects the times (medians when there are repetitions) to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const std::string name =
                r.run_name.function_name + (r.run_name.args.empty() ? "" : "/" + r.run_name.args);
            if (r.run_type == Run::RT_Aggregate) {
                if (r.aggregate_name == "median") medians[name] = r.GetAdjustedRealTime();
            } else {
                singles[name] = r.GetAdjustedRealTime();
            }
        }
    }
    double Time(const std::string& name) const {
        auto it = medians.find(name);
        if (it != medians.end()) return it->second;
        auto s = singles.find(name);
        return s == singles.end() ? 0 : s->second;
    }
    std::map<std::string, double> medians, singles;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-34s %12s %12s %8s\n", "benchmark", "time (ms)", "floor (ms)", "ratio");
    double perChunk1k = 0, perChunk100k = 0;
    for (const char* n : {"1000", "10000", "100000"}) {
        const double t = reporter.Time(std::string("BM_OpenAndList/") + n);
        const double floor = reporter.Time(std::string("BM_OpenAndList_Floor/") + n);
        if (t <= 0 || floor <= 0) continue;
        std::printf("%-34s %12.3f %12.3f %8.2f\n",
                    (std::string("open + list, ") + n + " chunks").c_str(), t, floor, t / floor);
        if (std::string(n) == "1000") perChunk1k = t / 1000;
        if (std::string(n) == "100000") perChunk100k = t / 100000;
    }
    if (perChunk1k > 0 && perChunk100k > 0)
        std::printf("%-34s %12.3f %12.3f %8.2f\n", "per chunk (us), 100,000 vs 1,000",
                    perChunk100k * 1000, perChunk1k * 1000, perChunk100k / perChunk1k);
    const double save = reporter.Time("BM_LoadAllAndSaveInPlace");
    const double saveFloor = reporter.Time("BM_LoadAllAndSaveInPlace_Floor");
    if (save > 0 && saveFloor > 0)
        std::printf("%-34s %12.3f %12.3f %8.2f\n",
                    ("load all + save in place, " +
                     std::to_string(BigFile().bytes.size() / 1000000) + " MB")
                        .c_str(),
                    save, saveFloor, save / saveFloor);
    benchmark::Shutdown();
    return 0;
}
