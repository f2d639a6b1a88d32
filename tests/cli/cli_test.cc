// palvane2-cli run the way a user's shell runs it: the info document, rendered bitmaps byte for
// byte, the bytes each saving command leaves, and the status and message of every failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <tuple>
#include <vector>

#include "base/byte_order.h"
#include "builders/spr2_builder.h"
#include "cli_run.h"
#include "files/file.h"
#include "iff/iff_file.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace builders;

namespace {

// What the library's Save makes of a file: every chunk loaded, a 2.5 container, a fresh map.
Bytes Saved(const Bytes& file) {
    CIffFile iff;
    CMemFile mem;
    EXPECT_TRUE(LoadIffBytes(iff, file) && iff.LoadAllChunkData() && iff.Save(&mem));
    return Bytes(mem.GetData(), mem.GetData() + mem.GetLength());
}

TEST(CliInfo, DescribesEveryChunkPaletteSpriteAndFrame) {
    const PaltSpec version2{2, 256, TestPalette().colors};
    const Bytes two = Spr2Stream().StartRow().DepthRun({{10, 1}, {10, 2}});
    // clang-format off
    const Spr2Spec main{1000, 1, {{2, 1, 0, 1, 0, 0, 0, two}, {2, 1, 0x12345678, 9, 7, 8, 9, two},
                                  {2, 1, 0, 2, 0, 0, 0, two}, {0, 0, 0, 1, 0, 0, 0, two}}},
        wide{1000, 0x00010005, {{2, 1, 0, 5, 0, 0, 0, two}}},  // only the low half names a palette
        broken{999};
    // The first only the map finds: the scan passes over it.
    const IffSpec file{"2.5", {ChunkSpec{"ab\x7F\xFF", 7, 0x0004, "skip", {1, 2, 3}},
        Spr2Chunk(128, broken, "replaced by the later copy"),
        PaltChunk(2, version2, "caf\xE9\x01\"\\\x85"), PaltChunk(1, TestPalette(), "p"),
        Spr2Chunk(130, broken, "bad"), Spr2Chunk(129, wide), Spr2Chunk(128, main, "x")}};
    // clang-format on
    const std::string path = Temp("info.iff", BuildIff(file));
    const Result r = Cli("info FILE", path);
    ASSERT_EQ(std::make_pair(r.status, r.err), std::make_pair(0, std::string()));
    // Quotes and backslashes the usual way; control characters, C1 and DEL too, as \u00XX.
    EXPECT_NE(r.out.find(R"("name": "café\u0001\"\\\u0085")"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(R"("type": "ab\u007Fÿ")"), std::string::npos) << r.out;

    nlohmann::ordered_json expected = nlohmann::ordered_json::parse(R"({
      "file": "", "version": "2.5", "chunks": [
        {"type": "ab\u007Fÿ", "id": 7, "flags": 4, "name": "skip", "size": 3},
        {"type": "PALT", "id": 2, "flags": 16, "name": "café\u0001\"\\\u0085", "size": 784},
        {"type": "PALT", "id": 1, "flags": 16, "name": "p", "size": 784},
        {"type": "SPR2", "id": 130, "flags": 16, "name": "bad", "size": 64},
        {"type": "SPR2", "id": 129, "flags": 16, "name": "", "size": 88},
        {"type": "SPR2", "id": 128, "flags": 16, "name": "x", "size": 160},
        {"type": "rsmp", "id": 0, "flags": 16, "name": "", "size": 154}],
      "palettes": [{"id": 1, "name": "p", "valid": true},
                   {"id": 2, "name": "café\u0001\"\\\u0085", "valid": false}],
      "sprites": [
        {"id": 128, "name": "x", "decoded": true, "palette": 1, "frames": [
          {"width": 2, "height": 1, "flags": 0, "palette": 1, "field10": 0, "field12": 0,
           "field14": 0, "palette_used": 1, "drawable": true},
          {"width": 2, "height": 1, "flags": 305419896, "palette": 9, "field10": 7, "field12": 8,
           "field14": 9, "palette_used": 1, "drawable": true},
          {"width": 2, "height": 1, "flags": 0, "palette": 2, "field10": 0, "field12": 0,
           "field14": 0, "palette_used": null, "drawable": false},
          {"width": 0, "height": 0, "flags": 0, "palette": 1, "field10": 0, "field12": 0,
           "field14": 0, "palette_used": 1, "drawable": false}]},
        {"id": 129, "name": "", "decoded": true, "palette": 5, "frames": [
          {"width": 2, "height": 1, "flags": 0, "palette": 5, "field10": 0, "field12": 0,
           "field14": 0, "palette_used": null, "drawable": false}]},
        {"id": 130, "name": "bad", "decoded": false}]})");
    expected["file"] = path;
    EXPECT_EQ(nlohmann::ordered_json::parse(r.out), expected);
}

// The file the other commands work on, by sprite: the sprite-wide palette field, the frames'
// palettes and whether the first frame sits where the encoder would not put it. Palettes 1 and
// 2 exist; sprite 130, between them in the file, never decodes.
struct SpriteModel {
    DWORD common;
    std::vector<WORD> framePalettes;
    bool oddLayout;
};
using Model = std::map<WORD, SpriteModel>;
const Model kInput = {
    {131, {0x00030003, {3}, true}}, {128, {1, {1, 2}, true}}, {129, {2, {}, false}}};

// `padding` bytes of another chunk make a file that takes a while to write.
Bytes FileOf(const Model& model, const std::string& version = "2.5", size_t padding = 0) {
    Spr2Grid grid(3, 2);  // every kind of run, rows to pad at both bit depths
    grid.Set(0, 0, 1, 10);
    grid.Set(1, 0, 4, 50, 128);
    grid.Set(2, 1, 2);
    const auto sprite = [&](WORD id) {
        Spr2Spec s;
        s.paletteId = model.at(id).common;
        for (WORD p : model.at(id).framePalettes) s.frames.push_back(FrameFromGrid(grid, p));
        if (model.at(id).oddLayout) s.firstFrameOffset = 200;
        return Spr2Chunk(id, s, "s" + std::to_string(id));
    };
    IffSpec file{version,
                 {PaltChunk(1, TestPalette(), "p"), sprite(131), sprite(128),
                  ChunkSpec{"SPR2", 130, 0x10, "bad", {7, 0, 0, 0}}, sprite(129),
                  PaltChunk(2, TestPalette())},
                 version == "2.5"};
    if (padding) file.chunks.push_back({"BLOB", 1, 0x10, "", Bytes(padding, 0), std::nullopt});
    return BuildIff(file);
}

// The model with every frame given the palette, and every sprite that decodes written back
// in the layout the encoder gives it.
Model AllFrames(WORD id, Model m = kInput) {
    for (auto& [sprite, s] : m)
        s = {s.common, std::vector<WORD>(s.framePalettes.size(), id), false};
    return m;
}

// The text itself: two-space indents, one member a line, an empty array on one line.
TEST(CliInfo, LaysTheDocumentOutOneMemberALine) {
    const Result r =
        Cli("info FILE", Temp("layout.iff", BuildIff({"2.5", {PaltChunk(3, {}, "ab")}})));
    EXPECT_EQ(r.out, nlohmann::ordered_json::parse(r.out).dump(2) + "\n");
}

// The bitmaps of the 3 x 2 frame where they are plain: headers, grey tables, the bottom row
// first. What the pixels hold is the renderer's (its tests draw them byte for byte).
TEST(CliRender, WritesBottomUpBitmapsOnAnyBackground) {
    const Bytes bytes = FileOf(kInput);
    const std::string path = Temp("render.iff", bytes), c = TempPath("c"), d = TempPath("d"),
                      a = TempPath("a"), line = "render FILE --sprite 128 --frame 0 --out OUT";
    ASSERT_EQ(Cli(line + " --background 1a2B3c --depth " + d + " --alpha " + a, path, c).status, 0);
    EXPECT_EQ(ReadFileBytes(path), bytes);
    const Bytes colour = ReadFileBytes(c), depth = ReadFileBytes(d);
    // File size, pixel offset, width, height, bits per pixel.
    const auto header = [](Bytes bmp) {
        bmp.resize(std::max<size_t>(bmp.size(), 54));  // a short file fails the test, unread
        return std::vector<DWORD>{LoadLE32(&bmp[2]), LoadLE32(&bmp[10]), LoadLE32(&bmp[18]),
                                  LoadLE32(&bmp[22]), LoadLE16(&bmp[28])};
    };
    EXPECT_EQ(header(colour), (std::vector<DWORD>{54 + 2 * 12, 54, 3, 2, 24}));
    EXPECT_EQ(header(depth), (std::vector<DWORD>{1078 + 2 * 4, 1078, 3, 2, 8}));
    EXPECT_EQ(header(ReadFileBytes(a)), header(depth));
    EXPECT_EQ(Bytes(depth.begin() + 54 + 4 * 200, depth.begin() + 58 + 4 * 200),
              (Bytes{200, 200, 200, 0}));
    EXPECT_EQ(Bytes(depth.begin() + 1078, depth.end()), (Bytes{255, 255, 255, 0, 10, 50, 255, 0}));
    const Rgb px = TestColor(2);
    EXPECT_EQ(Bytes(colour.begin() + 54, colour.begin() + 66),
              (Bytes{0x3C, 0x2B, 0x1A, 0x3C, 0x2B, 0x1A, px.b, px.g, px.r, 0, 0, 0}));
    ASSERT_EQ(Cli(line, path, c).status, 0);  // on the dialog's face colour by default
    EXPECT_EQ(ReadFileBytes(c).at(54), 0xF0);
}

// What happens to the file of the model (without a map, so that a save makes a 2.5 container
// with a fresh one): how a command line that names it ends, and how one line of stderr begins
// (FILE standing for the path; empty: stderr stays empty). With a change, the file the command
// saves (OUT with --output) holds the changed model and stdout sums up the file; without one,
// nothing is saved, written or printed on stdout.
enum class Given { file, missing, notIff, held, cut };

struct Case {
    std::string line;
    Given given;
    int status;
    std::string err;
    void (*change)(Model&) = nullptr;
};

std::vector<Case> Cases() {
    const std::string skipped = "FILE: Can't load one of the SPR2 resources!",
                      unsaved = "FILE: Error while saving this file!",
                      item = "FILE: Can't find this item!",
                      load = "FILE: Can't load this resource!",
                      frame = "FILE: Can't find this frame!";
    const auto quick = +[](Model& m) { m = AllFrames(41891); };
    // clang-format off
    std::vector<Case> all = {
        {"quick-patch FILE", Given::file, 1, skipped, quick},
        {"quick-patch FILE --output OUT", Given::file, 1, skipped, quick},
        // A file that does not open is reported, and the files after it are still processed.
        {"quick-patch FILE.gone FILE", Given::file, 2, "FILE.gone: Unable to open file!", quick},
        {"manual-patch --palette 7 FILE", Given::file, 1, skipped,
         [](Model& m) { m = AllFrames(7); }},
        {"set-palette FILE --sprite 131 --palette 2 --common", Given::file, 0, "",
         [](Model& m) { m[131] = {2, {3}, false}; }},
        {"set-palette FILE --sprite 128 --palette 5 --frame 1 --output OUT", Given::file, 0, "",
         [](Model& m) { m[128] = {1, {1, 5}, false}; }},
        {"set-palette FILE --sprite 129 --palette 0 --common", Given::file, 0, "",
         [](Model& m) { m[129].common = 0; }},
        {"set-palette FILE --sprite 128 --palette 9 --all-frames", Given::file, 0,
         "FILE: There is no usable palette 9 in this file!",
         [](Model& m) { m[128] = {1, {9, 9}, false}; }},
        {"resave FILE", Given::file, 0, "", [](Model&) {}},
        {"render FILE --sprite 200 --frame 0 --out OUT", Given::file, 1, item},
        {"render FILE --sprite 130 --frame 0 --out OUT", Given::file, 1, load},
        {"render FILE --sprite 128 --frame 2 --out OUT", Given::file, 1, frame},
        {"render FILE --sprite 131 --frame 0 --out OUT --depth FILE.depth", Given::file, 1,
         "FILE: Can't draw this frame!"},
        {"set-palette FILE --sprite 128 --palette 4 --frame 2", Given::file, 1, frame},
        {"quick-patch FILE", Given::cut, 2, unsaved},  // a chunk's data cannot be loaded
        {"resave FILE --output /no-such-folder/out", Given::file, 2, unsaved}};
    for (const char* line : {"info FILE", "render FILE --sprite 128 --frame 0 --out OUT",
             "quick-patch FILE", "manual-patch --palette 1 FILE",
             "set-palette FILE --sprite 128 --palette 1 --common", "resave FILE --output OUT"}) {
        all.push_back({line, Given::missing, 2, "FILE: Unable to open file!"});
        all.push_back({line, Given::notIff, 2, "FILE: Unable to open file as an IFF file!"});
        all.push_back({line, Given::held, 2, "FILE: Unable to open file!"});
    }
    // Usage errors, one after each semicolon.
    std::istringstream usage(";frobnicate FILE;info;info FILE FILE;manual-patch FILE;"
        "render FILE --sprite 0x80 --frame 0 --out OUT;render FILE --sprite +1 --frame 0 --out OUT;"
        "render FILE --sprite 1.5 --frame 0 --out OUT;render FILE --sprite '' --frame 0 --out OUT;"
        "render FILE --sprite 65536 --frame 0 --out OUT;"
        "render FILE --sprite 128 --frame 2147483648 --out OUT;"
        "render FILE --sprite 128 --frame 0 --out OUT --background F0F0F;"
        "render FILE --sprite 128 --frame 0 --out FILE;quick-patch FILE FILE --output OUT;"
        "render FILE --sprite 128 --frame 0 --out OUT --alpha OUT;"
        "set-palette FILE --sprite 128 --palette -1 --common;"
        "set-palette FILE --sprite 128 --palette 1;"
        "set-palette FILE --sprite 128 --palette 1 --common --frame 0;"
        "quick-patch FILE --output FILE;resave FILE --output ''");
    // clang-format on
    for (std::string line; std::getline(usage, line, ';');)
        all.push_back({line, Given::file, 2, "palvane2-cli: "});
    return all;
}

class CliCommand : public testing::TestWithParam<Case> {};

TEST_P(CliCommand, EndsAsExpectedAndSavesOnlyWhatItShould) {
    const Case& c = GetParam();
    SCOPED_TRACE(c.line);
    Bytes bytes = c.given == Given::notIff ? Bytes(100, 'x') : FileOf(kInput, "2.0");
    if (c.given == Given::cut) bytes.resize(bytes.size() - 10);
    const std::string path = c.given == Given::missing ? TempPath("gone") : Temp("in.iff", bytes);
    const std::string out = TempPath("out");
    CFile holder;  // another program holding the file, as the desktop program does
    ASSERT_TRUE(c.given != Given::held ||
                holder.Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive));
    const Result r = Cli(c.line, path, out);
    holder.Close();
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::string err = c.err.find("FILE") == 0 ? path + c.err.substr(4) : c.err;
    EXPECT_TRUE(err.empty() ? r.err.empty() : ("\n" + r.err).find("\n" + err) != std::string::npos)
        << r.err;
    const bool toOutput = c.line.find("--output OUT") != std::string::npos;
    if (c.change) {
        Model model = kInput;
        c.change(model);
        EXPECT_EQ(ReadFileBytes(toOutput ? out : path), Saved(FileOf(model, "2.0")));
        const std::string saved = toOutput ? "saved to " + out + "\n" : "saved\n";
        EXPECT_EQ(r.out.find(path + ": "), 0u) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - std::min(r.out.size(), saved.size())), saved);
    } else {
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(std::filesystem::exists(out)) << "OUT written";
    }
    if (c.given != Given::missing && (!c.change || toOutput)) {
        EXPECT_EQ(ReadFileBytes(path), bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(All, CliCommand, testing::ValuesIn(Cases()));

// Only a file is ever replaced: a folder, or a pipe (which would keep the tool waiting for
// a writer), named as an output stays what it was; output that cannot be written fails.
TEST(CliOutputs, WhatIsNotAFileIsNeverReplacedAndAFullDiskFails) {
    const std::string path = Temp("outputs.iff", FileOf(kInput)), folder = TempPath("folder");
    std::filesystem::create_directory(std::filesystem::u8path(folder));
    std::vector<std::string> targets = {folder};
#ifndef _WIN32
    const std::string pipe = TempPath("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    targets.push_back(pipe);
#endif
    for (const std::string& target : targets)
        for (const char* line :
             {"resave FILE --output OUT", "render FILE --sprite 128 --frame 0 --out OUT"}) {
            const Result r = Cli(line, path, target);
            EXPECT_EQ(r.status, 2) << line << " " << target;
            EXPECT_NE(r.err.find("not a file"), std::string::npos) << r.err;
        }
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(folder)));
#ifndef _WIN32
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    const std::string errPath = TempPath("err");
    EXPECT_EQ(RunTool({PALVANE_CLI_PATH, "info", path}, "/dev/full", errPath), 2);
    EXPECT_NE(Text(errPath).find("Unable to write the document!"), std::string::npos);
#endif
}

namespace fs = std::filesystem;

// A folder stands for the .iff files below it, in path order; the run ends with totals,
// and a second run leaves alone what would not change.
TEST(CliBatch, WalksAFolderOnceAndLeavesUnchangedFilesAlone) {
    const std::string root = TempPath("mods"), sub = In(root, "sub");
    fs::create_directories(fs::u8path(In(sub, "deeper")));
    const IffSpec paletteOnly{"2.0", {PaltChunk(1, TestPalette())}, false};
    WriteFileBytes(In(root, "A.IFF"), FileOf(kInput, "2.0"));
    WriteFileBytes(In(root, "b.iff"), FileOf(kInput, "2.0"));
    WriteFileBytes(In(root, ".b.iff.12-0-3.tmp"), Bytes(7, 'x'));  // an interrupted save's
    WriteFileBytes(In(root, "notes.txt"), Bytes(7, 'x'));
    WriteFileBytes(In(sub, "bad.iff"), Bytes(100, 'x'));
    WriteFileBytes(In(In(sub, "deeper"), "c.iff"), BuildIff(paletteOnly));
    std::string loopLine;
#ifndef _WIN32
    fs::create_directory_symlink("..", In(sub, "loop"));
    fs::create_symlink("../b.iff", In(sub, "same.iff"));  // b.iff once more: not taken again
    loopLine = In(sub, "loop") + ": Skipped: a link leads back to a folder above it\n";
#endif
    const std::string a = In(root, "A.IFF"), b = In(root, "b.iff"),
                      c = In(In(sub, "deeper"), "c.iff");
    const std::string patched = ": palette 41891 set in 3 frames of 3 sprites, 1 sprite skipped, ";
    const Result dry = Cli("quick-patch -j 2 --dry-run FILE", root);
    EXPECT_EQ(dry.status, 2);
    EXPECT_EQ(dry.out, a + patched + "would be saved\n" + b + patched + "would be saved\n" + c +
                           ": palette 41891 set in 0 frames of 0 sprites, would be saved\n"
                           "4 files: 1 would be patched, 2 with warnings, 1 failed, 0 unchanged; "
                           "6 frames in 6 sprites would be set to 41891\n");
    EXPECT_EQ(ReadFileBytes(b), FileOf(kInput, "2.0"));

    const Result first = Cli("quick-patch FILE", root);
    EXPECT_EQ(first.out.substr(first.out.find("\n4 files")),
              "\n4 files: 1 patched, 2 with warnings, 1 failed, 0 unchanged; 6 frames in 6 "
              "sprites set to 41891\n");
    EXPECT_NE(("\n" + first.err).find("\n" + loopLine), std::string::npos) << first.err;
    EXPECT_EQ(ReadFileBytes(a), Saved(FileOf(AllFrames(41891), "2.0")));
    EXPECT_EQ(ReadFileBytes(c), Saved(BuildIff(paletteOnly)));

    std::map<std::string, fs::file_time_type> times;
    for (const std::string& f : {a, b, c}) times[f] = fs::last_write_time(fs::u8path(f));
    const Result second = Cli("quick-patch FILE", root);
    EXPECT_NE(second.out.find(c + ": palette 41891 set in 0 frames of 0 sprites, unchanged\n4 "
                                  "files: 0 patched, 2 with warnings, 1 failed, 1 unchanged"),
              std::string::npos)
        << second.out;
    for (const auto& [f, time] : times) EXPECT_EQ(fs::last_write_time(fs::u8path(f)), time) << f;
}

// Files worked on side by side print exactly what one after the other prints, in the order
// given; a file named twice is never held by two workers at once.
TEST(CliBatch, ParallelWorkPrintsWhatSerialWorkPrints) {
    const std::string x = TempPath("x.iff"), y = TempPath("y.iff"), gone = TempPath("gone.iff");
    std::vector<Result> runs;
    for (const char* jobs : {"1", "4"}) {
        WriteFileBytes(x, FileOf(kInput, "2.0"));
        WriteFileBytes(y, FileOf(kInput));
        runs.push_back(Cli(std::string("manual-patch -j ") + jobs + " --palette 2 " + x + " " +
                           gone + " " + y + " " + x + " " + y));
    }
    EXPECT_EQ(runs[0].status, 2);
    EXPECT_EQ(std::count(runs[0].out.begin(), runs[0].out.end(), '\n'), 4) << runs[0].out;
    EXPECT_EQ(std::tie(runs[1].status, runs[1].out, runs[1].err),
              std::tie(runs[0].status, runs[0].out, runs[0].err));
}

#ifndef _WIN32
// The tool with its stdout on a pipe, killed once it printed `lines` lines (one per file
// done) and `delay` more microseconds passed, unless it ended first.
void KillPartWay(const std::string& line, const std::string& file, int lines, int delay) {
    std::string command = "echo $$; exec";  // the shell's process becomes the tool's
    for (const std::string& a : ArgsOf(line, file)) command += " '" + a + "'";
    FILE* out = ::popen(command.c_str(), "r");
    char pid[32] = {};
    ASSERT_TRUE(out && std::fgets(pid, sizeof pid, out));
    for (int seen = 0, c; seen < lines && (c = std::fgetc(out)) != EOF;) seen += c == '\n';
    ::usleep(delay);
    ::kill(std::atoi(pid), SIGKILL);
    ::pclose(out);
}
#endif

// Killed at any moment, a batch leaves each file with its old bytes or its new ones, those
// it reported done with the new; the same command run again finishes the job. The moments:
// after the k-th file's line and a few milliseconds more, drawn from a fixed seed.
TEST(CliBatch, AKilledBatchLeavesWholeFilesAndARerunFinishes) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a kill at an arbitrary moment of the batch (SIGKILL)";
#else
    const Bytes old = FileOf(kInput, "2.0", 200000);  // long enough to be killed while written
    const std::map<std::string, Bytes> commands = {
        {"quick-patch -j 2 FILE", Saved(FileOf(AllFrames(41891), "2.0", 200000))},
        {"resave -j 2 FILE", Saved(old)}};
    std::mt19937 random(21);
    for (const auto& [line, now] : commands)
        for (int round = 0; round < 12; ++round) {
            const int lines = int(random() % 24), delay = int(random() % 3000);
            SCOPED_TRACE(line + " killed after " + std::to_string(lines) + " lines and " +
                         std::to_string(delay) + " us");
            const std::string root = TempPath("killed");
            const auto file = [&](int i) { return In(root, std::to_string(i + 10) + ".iff"); };
            fs::create_directory(root);
            for (int i = 0; i < 24; ++i) WriteFileBytes(file(i), old);
            KillPartWay(line, root, lines, delay);
            for (int i = 0; i < 24; ++i) {
                const Bytes bytes = ReadFileBytes(file(i));
                EXPECT_TRUE(bytes == now || (bytes == old && i >= lines)) << file(i);
            }
            const Result again = Cli(line, root);  // an interrupted save's leftovers not taken
            EXPECT_NE(again.out.find("\n24 files: "), std::string::npos) << again.out;
            for (int i = 0; i < 24; ++i) EXPECT_EQ(ReadFileBytes(file(i)), now) << file(i);
        }
#endif
}

// No shell expands wildcards on Windows: the tool does it itself.
TEST(CliBatch, ExpandsWildcardsOnWindows) {
#ifndef _WIN32
    GTEST_SKIP() << "on other systems the shell expands wildcards before the tool starts";
#else
    const std::string root = TempPath("wild");
    fs::create_directories(fs::u8path(root));
    for (const char* name : {"b.IFF", "a.iff", "c.txt"})
        WriteFileBytes(In(root, name), FileOf(kInput));
    const Result r = Cli("resave --dry-run FILE", In(root, "*.iff"));
    EXPECT_EQ(r.out, In(root, "a.iff") + ": would be saved\n" + In(root, "b.IFF") +
                         ": would be saved\n2 files: 2 would be saved, 0 failed, 0 unchanged\n");
#endif
}

}  // namespace
