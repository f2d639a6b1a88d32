// palvane2-cli run the way a user's shell runs it: the info document, rendered bitmaps byte for
// byte, the bytes each saving command leaves, and the status and message of every failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "base/byte_order.h"
#include "cli_run.h"
#include "files/file.h"
#include "iff/iff_types.h"
#include "sprites/spr2.h"
#include "support/iff/spr2_builder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace testsupport;

namespace {

// What the library's Save makes of a file: every chunk loaded, a 2.5 container, a fresh map.
Bytes Saved(const Bytes& file) {
    CIffFile iff;
    CMemFile mem;
    EXPECT_TRUE(LoadIffBytes(iff, file) && iff.LoadAllChunkData() && iff.Save(&mem));
    iff.Reset();
    return Bytes(mem.GetData(), mem.GetData() + mem.GetLength());
}

TEST(CliInfo, DescribesEveryChunkPaletteSpriteAndFrame) {
    PaltSpec version2 = TestPalette();
    version2.version = 2;
    const Bytes two = Spr2Stream().StartRow().DepthRun({{10, 1}, {10, 2}});
    Spr2Spec main, wide, broken;
    main.paletteId = 1;
    main.frames = {{2, 1, 0, 1, 0, 0, 0, two},
                   {2, 1, 0x12345678, 9, 7, 8, 9, two},
                   {2, 1, 0, 2, 0, 0, 0, two},
                   {0, 0, 0, 1, 0, 0, 0, two}};
    wide.paletteId = 0x00010005;  // only the low half names a palette
    wide.frames = {{2, 1, 0, 5, 0, 0, 0, two}};
    broken.version = 999;
    // The first only the map finds: the scan passes over it.
    IffSpec file;
    // clang-format off
    file.chunks = {ChunkSpec{"ab\x7F\xFF", 7, 0x0004, "skip", {1, 2, 3}, std::nullopt, true, true},
                   Spr2Chunk(128, broken, "replaced by the later copy"),
                   PaltChunk(2, version2, "caf\xE9\x01\"\\\x85"), PaltChunk(1, TestPalette(), "p"),
                   Spr2Chunk(130, broken, "bad"), Spr2Chunk(129, wide),
                   Spr2Chunk(128, main, "x")};
    // clang-format on
    const Bytes bytes = BuildIff(file);
    const std::string path = Temp("info.iff", bytes);
    const Result r = Cli("info FILE", path);
    ASSERT_EQ(std::make_pair(r.status, r.err), std::make_pair(0, std::string()));
    // Quotes and backslashes the usual way; control characters, C1 and DEL too, as \u00XX.
    EXPECT_NE(r.out.find(R"("name": "café\u0001\"\\\u0085")"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(R"("type": "ab\u007Fÿ")"), std::string::npos) << r.out;

    nlohmann::ordered_json expected = nlohmann::ordered_json::parse(R"({
      "file": "", "version": "2.5", "chunks": [
        {"type": "ab\u007Fÿ", "id": 7, "flags": 4, "name": "skip", "size": 3},
        {"type": "PALT", "id": 2, "flags": 16, "name": "café\u0001\"\\\u0085", "size": 0},
        {"type": "PALT", "id": 1, "flags": 16, "name": "p", "size": 0},
        {"type": "SPR2", "id": 130, "flags": 16, "name": "bad", "size": 0},
        {"type": "SPR2", "id": 129, "flags": 16, "name": "", "size": 0},
        {"type": "SPR2", "id": 128, "flags": 16, "name": "x", "size": 0},
        {"type": "rsmp", "id": 0, "flags": 16, "name": "", "size": 0}],
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
    for (size_t i : {2, 3, 4, 5, 6}) expected["chunks"][i - 1]["size"] = file.chunks[i].data.size();
    expected["chunks"][6]["size"] = LoadBE32(&bytes[LoadBE32(&bytes[60]) + 4]) - 76;
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

Bytes FileOf(const Model& model, const std::string& version = "2.5") {
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
    IffSpec file;
    file.version = version;
    file.withMap = version == "2.5";
    file.chunks = {PaltChunk(1, TestPalette(), "p"),
                   sprite(131),
                   sprite(128),
                   ChunkSpec{"SPR2", 130, 0x10, "bad", {7, 0, 0, 0}, std::nullopt, true, true},
                   sprite(129),
                   PaltChunk(2, TestPalette())};
    return BuildIff(file);
}

// Every frame gets the palette, and every sprite that decodes is written back in the layout
// the encoder gives it.
void AllFrames(Model& m, WORD id) {
    for (auto& [sprite, s] : m)
        s = {s.common, std::vector<WORD>(s.framePalettes.size(), id), false};
}

// The BMP file a bitmap of the library must become: the two headers, a grey table for 8 bits,
// then the rows as they are in memory (both bottom-up), each padded to 4 bytes.
Bytes BmpOf(const CBitmap& bitmap) {
    BITMAP bm{};
    EXPECT_EQ(bitmap.GetBitmap(&bm), int(sizeof bm));
    const DWORD row = DWORD(bm.bmWidth) * bm.bmBitsPixel / 8, stride = (row + 3) & ~3u;
    const DWORD offBits = 54 + (bm.bmBitsPixel == 8 ? 1024 : 0), image = stride * bm.bmHeight;
    Bytes out(offBits + image, 0);
    // clang-format off
    for (const auto& [at, value] : {std::pair<int, DWORD>{0, 'B' | 'M' << 8}, {2, offBits + image},
             {10, offBits}, {14, 40}, {18, bm.bmWidth}, {22, bm.bmHeight},
             {26, 1 | bm.bmBitsPixel << 16}, {34, image}})
        StoreLE32(&out[at], value);  // at 26: one plane, then the bit count
    // clang-format on
    for (int i = 0; offBits > 54 && i < 256; ++i) std::fill_n(&out[54 + 4 * i], 3, BYTE(i));
    for (LONG y = 0; y < bm.bmHeight; ++y)
        std::copy_n(static_cast<const BYTE*>(bm.bmBits) + y * bm.bmWidthBytes, row,
                    &out[offBits + y * stride]);
    return out;
}

// The BMP files of the library's own bitmaps of sprite 128, frame 0, on a background.
std::vector<Bytes> LibraryBmps(const Bytes& file, RGBQUAD background) {
    CIffFile iff;
    CSpr2 sprite;
    CBitmap bmp[3];
    CIffChunk* chunk = nullptr;
    EXPECT_TRUE(LoadIffBytes(iff, file) && iff.FindChunk(&chunk, IFF_TYPE_SPR2, 128) &&
                sprite.Attach(&iff, chunk) &&
                sprite.BuildFrameBitmaps(&iff, 0, &bmp[0], &bmp[1], &bmp[2], background, 0, 0, 0));
    iff.Reset();
    return {BmpOf(bmp[0]), BmpOf(bmp[1]), BmpOf(bmp[2])};
}

// The text itself: two-space indents, one member a line, an empty array on one line.
TEST(CliInfo, LaysTheDocumentOutOneMemberALine) {
    IffSpec file;
    file.chunks = {PaltChunk(3, {}, "ab")};
    const Result r = Cli("info FILE", Temp("layout.iff", BuildIff(file)));
    EXPECT_EQ(r.out, nlohmann::ordered_json::parse(r.out).dump(2) + "\n");
}

TEST(CliRender, WritesTheLibrarysBitmapsOnAnyBackground) {
    const Bytes bytes = FileOf(kInput);
    const std::string path = Temp("render.iff", bytes), c = TempPath("c"), d = TempPath("d"),
                      a = TempPath("a"), line = "render FILE --sprite 128 --frame 0 --out OUT";
    ASSERT_EQ(Cli(line + " --background 1a2B3c --depth " + d + " --alpha " + a, path, c).status, 0);
    EXPECT_EQ(ReadFileBytes(path), bytes);
    EXPECT_EQ((std::vector<Bytes>{ReadFileBytes(c), ReadFileBytes(d), ReadFileBytes(a)}),
              LibraryBmps(bytes, RGBQUAD{0x3C, 0x2B, 0x1A, 0}));

    ASSERT_EQ(Cli(line, path, c).status, 0);
    const Bytes bmp = ReadFileBytes(c);
    EXPECT_EQ(bmp, LibraryBmps(bytes, RGBQUAD{0xF0, 0xF0, 0xF0, 0})[0]);
    // Independently of the library: the file's first row is the frame's bottom row, padded.
    const Rgb px = TestColor(2);
    EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.begin() + 66),
              (Bytes{0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, px.b, px.g, px.r, 0, 0, 0}));
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
    const auto quick = +[](Model& m) { AllFrames(m, 41891); };
    // clang-format off
    std::vector<Case> all = {
        {"quick-patch FILE", Given::file, 1, skipped, quick},
        {"quick-patch FILE --output OUT", Given::file, 1, skipped, quick},
        // A file that does not open is reported, and the files after it are still processed.
        {"quick-patch FILE.gone FILE", Given::file, 2, "FILE.gone: Unable to open file!", quick},
        {"manual-patch --palette 7 FILE", Given::file, 1, skipped,
         [](Model& m) { AllFrames(m, 7); }},
        {"set-palette FILE --sprite 131 --palette 2 --common", Given::file, 0, "",
         [](Model& m) { m[131] = {2, {3}, false}; }},
        {"set-palette FILE --sprite 128 --palette 5 --frame 1 --output OUT", Given::file, 0, "",
         [](Model& m) { m[128] = {1, {1, 5}, false}; }},
        {"set-palette FILE --sprite 129 --palette 0 --common", Given::file, 0, "",
         [](Model& m) { m[129].common = 0; }},
        {"resave FILE", Given::file, 0, "", [](Model&) {}},
        {"render FILE --sprite 200 --frame 0 --out OUT", Given::file, 1, item},
        {"render FILE --sprite 130 --frame 0 --out OUT", Given::file, 1, load},
        {"render FILE --sprite 128 --frame 2 --out OUT", Given::file, 1, frame},
        {"render FILE --sprite 131 --frame 0 --out OUT --depth FILE.depth", Given::file, 1,
         "FILE: Can't draw this frame!"},
        {"set-palette FILE --sprite 200 --palette 4 --common", Given::file, 1, item},
        {"set-palette FILE --sprite 130 --palette 4 --common", Given::file, 1, load},
        {"set-palette FILE --sprite 128 --palette 4 --frame 2", Given::file, 1, frame},
        {"quick-patch FILE", Given::cut, 2, unsaved},  // a chunk's data cannot be loaded
        {"resave FILE", Given::cut, 2, unsaved},
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
    const Bytes err = ReadFileBytes(errPath);
    EXPECT_NE(std::string(err.begin(), err.end()).find("Unable to write the document!"),
              std::string::npos);
#endif
}

}  // namespace
