// palvane2-cli over many files, as whole processes, each against a floor measured in the
// same run (wall clock, the median of the repetitions):
//  (e) quick-patch -j 2 over a folder of object files of 50 KB to 1 MB (2 to 12 sprites
//      of 4 to 12 frames, 16 to 128 pixels a side), against two threads that read each
//      file, write its bytes to a new file beside it, fsync it, rename it over the file
//      and fsync the folder;
//  (f) check -j 2 over the same files, against two threads reading all their bytes;
//  (g) resave of one file of 100,000 small chunks, against cat + fsync + rename of it.
// The files are written back before every timed run of (e), so each run patches them all;
// (f) and its floor run after a sync, taking turns at going first.
// Usage: bench_batch [FILES [REPETITIONS [FOLDER]]] (defaults 1000, 3 and a temporary
// folder; a folder given is left behind for a closer look).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "builders/iff_builder.h"
#include "builders/spr2_builder.h"

extern char** environ;

namespace {

using namespace builders;
using Clock = std::chrono::steady_clock;

struct Folder {
    std::string path;
    std::vector<std::string> files;
    std::vector<Bytes> bytes;
    size_t total = 0;
};

// One object file: palettes, sprites of noisy pixels (short runs, as real art has), and
// filler up to a size drawn between 50 KB and 1 MB, spread evenly on a log scale.
Bytes ObjectFile(std::mt19937& rng) {
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    const double target = 50e3 * std::pow(20.0, std::uniform_real_distribution<double>(0, 1)(rng));
    IffSpec layout;
    layout.chunks.push_back(PaltChunk(1, TestPalette(), "palette"));
    const int sprites = pick(2, 12);
    // Sides shrink until the sprites fit the drawn size.
    for (int maxSide = 128; layout.chunks.size() == 1; maxSide = std::max(16, maxSide * 3 / 4)) {
        std::vector<ChunkSpec> chunks;
        size_t bytes = 0;
        for (int s = 0; s < sprites; ++s) {
            Spr2Spec sprite;
            sprite.paletteId = 1;
            const int frames = pick(4, 12);
            for (int f = 0; f < frames; ++f) {
                Spr2Grid grid(pick(16, maxSide), pick(16, maxSide));
                for (int y = 0; y < grid.height; ++y)
                    for (int x = 0; x < grid.width; ++x)
                        if (pick(0, 7)) grid.Set(x, y, pick(1, 255), pick(0, 255));
                sprite.frames.push_back(FrameFromGrid(grid, 1));
            }
            chunks.push_back(Spr2Chunk(static_cast<WORD>(1000 + s), sprite, "sprite"));
            bytes += chunks.back().data.size();
        }
        if (bytes <= target || maxSide == 16) {
            for (ChunkSpec& c : chunks) layout.chunks.push_back(std::move(c));
            if (bytes < target) {
                ChunkSpec filler;
                filler.type = "DATA";
                filler.data.resize(static_cast<size_t>(target) - bytes);
                for (BYTE& b : filler.data) b = static_cast<BYTE>(rng());
                layout.chunks.push_back(std::move(filler));
            }
        }
    }
    return BuildIff(layout);
}

Folder MakeFolder(int count, const char* where) {
    Folder folder;
    folder.path = where ? where : TempPath("objects");
    std::filesystem::create_directories(folder.path + "/a");
    std::filesystem::create_directories(folder.path + "/b");
    std::mt19937 rng(7);
    for (int i = 0; i < count; ++i) {
        folder.files.push_back(folder.path + (i % 2 ? "/a/" : "/b/") + std::to_string(i) + ".iff");
        folder.bytes.push_back(ObjectFile(rng));
        folder.total += folder.bytes.back().size();
    }
    return folder;
}

void WriteBack(const Folder& folder) {
    for (size_t i = 0; i < folder.files.size(); ++i)
        WriteFileBytes(folder.files[i], folder.bytes[i]);
    ::sync();
}

double Seconds(const std::function<void()>& run) {
    const Clock::time_point start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Tool(std::vector<std::string> args) {
    args.insert(args.begin(), PALVANE_CLI);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
        ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        std::fprintf(stderr, "%s failed\n", args[1].c_str());
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
}

Bytes ReadAll(const std::string& path) {
    Bytes bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    BYTE block[1 << 16];
    for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;)
        bytes.insert(bytes.end(), block, block + n);
    ::close(fd);
    return bytes;
}

// Each file as a save writes it: a new file beside it, fsync, rename, fsync the folder.
void CopyOver(const std::string& path) {
    const Bytes bytes = ReadAll(path);
    const std::string temp = path + ".floor.tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) std::exit(1);
        done += static_cast<size_t>(n);
    }
    ::fsync(fd);
    ::close(fd);
    ::rename(temp.c_str(), path.c_str());
    const int dir = ::open(path.substr(0, path.rfind('/')).c_str(), O_RDONLY | O_DIRECTORY);
    ::fsync(dir);
    ::close(dir);
}

void TwoWorkers(const std::vector<std::string>& files, void (*work)(const std::string&)) {
    std::atomic<size_t> next{0};
    const auto worker = [&] {
        for (size_t i; (i = next++) < files.size();) work(files[i]);
    };
    std::thread a(worker), b(worker);
    a.join();
    b.join();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Row(const char* what, const std::vector<double>& tool, const std::vector<double>& floor,
         const char* target) {
    const double t = Median(tool), f = Median(floor);
    std::printf("%-58s %9.3f %9.3f %6.2f   %s\n", what, t, f, t / f, target);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int reps = argc > 2 ? std::atoi(argv[2]) : 3;
    std::printf("writing %d object files...\n", count);
    const Folder folder = MakeFolder(count, argc > 3 ? argv[3] : nullptr);
    std::printf("%d files, %.1f MB, %.0f KB each on average\n", count, folder.total / 1e6,
                folder.total / 1e3 / count);

    std::vector<double> patch, patchFloor, check, checkFloor, resave, resaveFloor;
    IffSpec small;  // 100,000 chunks of 96 to 156 bytes, headers included
    for (int i = 0; i < 100000; ++i) {
        ChunkSpec c;
        c.type = "DAT" + std::to_string(i % 4);
        c.id = static_cast<WORD>(i / 4);
        c.data.assign(static_cast<size_t>(20 + i % 61), static_cast<BYTE>(i));
        small.chunks.push_back(std::move(c));
    }
    const std::string big = folder.path + "-small-chunks.iff";
    WriteFileBytes(big, BuildIff(small));
    ::sync();
    for (int r = 0; r < reps; ++r) {
        WriteBack(folder);
        patch.push_back(Seconds([&] { Tool({"quick-patch", "-j", "2", "--quiet", folder.path}); }));
        WriteBack(folder);
        patchFloor.push_back(Seconds([&] { TwoWorkers(folder.files, CopyOver); }));
        // Both after the writes above have settled, taking turns at going first.
        const auto timeCheck = [&] {
            ::sync();
            check.push_back(Seconds([&] { Tool({"check", "-j", "2", "--quiet", folder.path}); }));
        };
        const auto timeCheckFloor = [&] {
            ::sync();
            checkFloor.push_back(Seconds(
                [&] { TwoWorkers(folder.files, [](const std::string& p) { ReadAll(p); }); }));
        };
        if (r % 2) {
            timeCheckFloor();
            timeCheck();
        } else {
            timeCheck();
            timeCheckFloor();
        }
        resave.push_back(Seconds([&] { Tool({"resave", big}); }));
        resaveFloor.push_back(Seconds([&] { CopyOver(big); }));
    }
    std::printf("\n%-58s %9s %9s %6s   %s\n", "benchmark (seconds, whole process)", "time", "floor",
                "ratio", "target");
    Row("(e) quick-patch -j 2 over the folder", patch, patchFloor, "at most 1.25");
    Row("(f) check -j 2 over the folder", check, checkFloor, "at most 1.5");
    Row("(g) resave of 100,000 small chunks (13 MB)", resave, resaveFloor, "at most 2");
    return 0;
}
