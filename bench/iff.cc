// Container benchmarks, each against a floor measured in the same run:
//  (a) open + list (Reset, Load, both ascending-ID walks collecting ID and name) of files
//      of 1,000 / 10,000 / 100,000 chunks, against a loop that preads every chunk header;
//  (b) LoadAllChunkData + in-place Save of a file of about 200 MB, against writing the
//      same bytes to a new file in the same folder with fsync and rename;
//  (c) the same and the command-line tool's save to another file, for a file of 100,000
//      small chunks, against the same floor;
//  (d) the command-line tool's `info` on that file, run as its own process, against a loop
//      that preads every chunk header; its peak memory is reported beside it.
// After the runs a table of ratios is printed (medians when repetitions are asked for).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"
#include "cli/iff_session.h"
#include "iff/iff_file.h"

extern char** environ;

namespace {

using builders::Bytes;
using builders::ChunkSpec;
using builders::IffSpec;

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
    const auto built = builders::BuildIffLayout(layout);
    TestFile f;
    f.path = builders::TempPath("bench-" + std::to_string(chunks) + ".iff");
    builders::WriteFileBytes(f.path, built.bytes);
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

// 100,000 chunks: 784-byte palettes and one-frame sprites of a few pixels in turn, IDs in
// no particular order, every frame drawable.
const TestFile& SmallChunkFile() {
    static const TestFile f = [] {
        constexpr size_t kChunks = 100000;
        builders::Spr2Grid grid(3, 2);
        for (int x = 0; x < 3; ++x) grid.Set(x, x % 2, 10 * x + 1, 40);
        IffSpec layout;
        layout.chunks.reserve(kChunks);
        for (size_t i = 0; i < kChunks; ++i) {
            const auto id = static_cast<WORD>((i / 2 * 7919) % 65536);
            const std::string name = std::to_string(i / 2);
            if (i % 2) {
                layout.chunks.push_back(
                    builders::PaltChunk(id, builders::TestPalette(), "palette " + name));
            } else {
                builders::Spr2Spec sprite;
                sprite.paletteId = (i / 2 + 1) * 7919 % 65536;  // a palette in the file
                sprite.frames.push_back(builders::FrameFromGrid(grid, 41891));
                layout.chunks.push_back(builders::Spr2Chunk(id, sprite, "sprite " + name));
            }
        }
        const auto built = builders::BuildIffLayout(layout);
        TestFile t;
        t.path = builders::TempPath("bench-small-chunks.iff");
        builders::WriteFileBytes(t.path, built.bytes);
        t.headerOffsets = built.chunkOffsets;
        t.headerOffsets.push_back(built.mapOffset);
        t.bytes = built.bytes;
        return t;
    }();
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

// The floor of reading a file's chunk headers: one pread per header.
void ReadEveryHeader(benchmark::State& state, const TestFile& f) {
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
}

void BM_OpenAndList_Floor(benchmark::State& state) {
    const TestFile& f = ListFile(static_cast<size_t>(state.range(0)));
    ReadEveryHeader(state, f);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void LoadAllAndSaveInPlace(benchmark::State& state, const TestFile& f) {
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

void WriteFloor(benchmark::State& state, const TestFile& f) {
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

void BM_LoadAllAndSaveInPlace(benchmark::State& state) {
    LoadAllAndSaveInPlace(state, BigFile());
}

void BM_LoadAllAndSaveInPlace_Floor(benchmark::State& state) {
    WriteFloor(state, BigFile());
}

void BM_SmallChunksSaveInPlace(benchmark::State& state) {
    LoadAllAndSaveInPlace(state, SmallChunkFile());
}

// As `resave FILE --output OUT` does it, the opening left out as above.
void BM_SmallChunksSaveToOutput(benchmark::State& state) {
    const TestFile& f = SmallChunkFile();
    const std::string output = f.path + ".out";
    for (auto _ : state) {
        state.PauseTiming();
        {
            IffSession session(f.path);
            if (!session.Open()) {
                state.SkipWithError("cannot load");
                return;
            }
            state.ResumeTiming();
            if (!session.Save(output)) {
                state.SkipWithError("save failed");
                return;
            }
            state.PauseTiming();  // closing the session is not part of the save
        }
        state.ResumeTiming();
    }
    ::unlink(output.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(f.bytes.size()));
}

void BM_SmallChunksSave_Floor(benchmark::State& state) {
    WriteFloor(state, SmallChunkFile());
}

// Starts `palvane2-cli info PATH` (output to /dev/null) and waits for it, from a small
// process forked before anything else: a child's peak memory includes whatever its
// parent held when it was started, and this program holds the test files.
class InfoRunner {
public:
    static InfoRunner& Get() {
        static InfoRunner runner;
        return runner;
    }

    // The child's peak resident memory in KiB, or -1 when it failed.
    long Run(const std::string& path) {
        const size_t n = path.size();
        long peak = -1;
        if (::write(m_request, &n, sizeof n) != sizeof n ||
            ::write(m_request, path.data(), n) != static_cast<ssize_t>(n) ||
            ::read(m_reply, &peak, sizeof peak) != sizeof peak)
            return -1;
        return peak;
    }

private:
    InfoRunner() {
        int request[2], reply[2];
        if (::pipe(request) != 0 || ::pipe(reply) != 0) return;
        if (::fork() == 0) {
            ::close(request[1]);
            ::close(reply[0]);
            Serve(request[0], reply[1]);
            ::_exit(0);
        }
        ::close(request[0]);
        ::close(reply[1]);
        m_request = request[1];
        m_reply = reply[0];
    }

    static void Serve(int requests, int replies) {
        size_t n;
        while (::read(requests, &n, sizeof n) == sizeof n) {
            std::string path(n, '\0');
            if (::read(requests, path.data(), n) != static_cast<ssize_t>(n)) return;
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            char program[] = PALVANE_CLI;
            char command[] = "info";
            char* argv[] = {program, command, path.data(), nullptr};
            pid_t pid;
            const int rc = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
            posix_spawn_file_actions_destroy(&actions);
            int status = 0;
            struct rusage usage {};
            long peak = -1;
            if (rc == 0 && ::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) &&
                WEXITSTATUS(status) == 0)
                peak = usage.ru_maxrss;
            if (::write(replies, &peak, sizeof peak) != sizeof peak) return;
        }
    }

    int m_request = -1;
    int m_reply = -1;
};

// The whole process: start, open, load, print, exit.
void BM_SmallChunksInfo(benchmark::State& state) {
    const TestFile& f = SmallChunkFile();
    long peakKiB = 0;
    for (auto _ : state) {
        const long peak = InfoRunner::Get().Run(f.path);
        if (peak < 0) {
            state.SkipWithError("info failed");
            return;
        }
        peakKiB = std::max(peakKiB, peak);
    }
    state.counters["peak_MiB"] = static_cast<double>(peakKiB) / 1024;
    state.counters["file_MiB"] = static_cast<double>(f.bytes.size()) / (1024 * 1024);
}

void BM_SmallChunksInfo_Floor(benchmark::State& state) {
    const TestFile& f = SmallChunkFile();
    ReadEveryHeader(state, f);
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
BENCHMARK(BM_SmallChunksSaveInPlace)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_SmallChunksSaveToOutput)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_SmallChunksSave_Floor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_SmallChunksInfo)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_SmallChunksInfo_Floor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

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
            const bool median = r.run_type != Run::RT_Aggregate || r.aggregate_name == "median";
            if (median && r.run_name.function_name == "BM_SmallChunksInfo") {
                if (auto c = r.counters.find("peak_MiB"); c != r.counters.end())
                    peakMiB = std::max(peakMiB, static_cast<double>(c->second));
                if (auto c = r.counters.find("file_MiB"); c != r.counters.end())
                    fileMiB = c->second;
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
    double peakMiB = 0, fileMiB = 0;
};

}  // namespace

int main(int argc, char** argv) {
    InfoRunner::Get();  // while this process is still small
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
    const std::string small =
        ", " + std::to_string(SmallChunkFile().bytes.size() / 1000000) + " MB";
    const double smallFloor = reporter.Time("BM_SmallChunksSave_Floor");
    for (const auto& [name, label] :
         {std::make_pair("BM_SmallChunksSaveInPlace", "small: save in place"),
          std::make_pair("BM_SmallChunksSaveToOutput", "small: save to output")}) {
        const double t = reporter.Time(name);
        if (t > 0 && smallFloor > 0)
            std::printf("%-34s %12.3f %12.3f %8.2f\n", (label + small).c_str(), t, smallFloor,
                        t / smallFloor);
    }
    const double info = reporter.Time("BM_SmallChunksInfo");
    const double infoFloor = reporter.Time("BM_SmallChunksInfo_Floor");
    if (info > 0 && infoFloor > 0)
        std::printf("%-34s %12.3f %12.3f %8.2f   peak %.1f MiB (file %.1f MiB)\n",
                    ("small: info" + small).c_str(), info, infoFloor, info / infoFloor,
                    reporter.peakMiB, reporter.fileMiB);
    benchmark::Shutdown();
    return 0;
}
