// info: the JSON document for a file that exercises every field.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "platform/byte_order.h"
#include "support/spr2_builder.h"

using namespace testsupport;

namespace {

Spr2FrameSpec Frame(WORD paletteId, int w = 2) {
    Spr2Grid grid(w, w / 2);
    for (int x = 0; x < w; ++x) grid.Set(x, 0, x + 1, 10);
    return FrameFromGrid(grid, paletteId);
}

}  // namespace

TEST(CliInfo, DescribesEveryChunkPaletteSpriteAndFrame) {
    PaltSpec version2 = TestPalette(), cut = TestPalette();
    version2.version = 2;
    cut.size = 700;
    Spr2Spec main, wide, broken;
    main.paletteId = 1;
    main.frames = {Frame(1), Frame(9), Frame(2), Frame(1, 0)};
    main.frames[1].flags = 0x12345678;
    main.frames[1].field10 = 7;
    main.frames[1].field12 = 8;
    main.frames[1].field14 = 9;
    wide.paletteId = 0x00010005;  // only the low half names a palette
    wide.frames = {Frame(5)};
    broken.version = 999;

    // The first two only the map finds: one the scan passes over, one it never reaches.
    IffSpec spec;
    spec.chunks = {ChunkSpec{"ab\x7F\xFF", 7, 0x0004, "skip", {1, 2, 3}, std::nullopt, true, true},
                   ChunkSpec{"STR#", 8, 0x0010, "", {4}, std::nullopt, true, false},
                   Spr2Chunk(128, broken, "replaced by the later copy"),
                   PaltChunk(2, version2, "caf\xE9\x01\"\\\x85"),
                   PaltChunk(1, TestPalette(), "p"),
                   PaltChunk(3, cut),
                   Spr2Chunk(130, broken, "bad"),
                   Spr2Chunk(129, wide),
                   Spr2Chunk(128, main, "x")};
    const Bytes bytes = BuildIff(spec);
    const std::string path = clitest::WriteTemp("info.iff", bytes);
    const clitest::CliResult r = clitest::RunCli({"info", path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // Quotes and backslashes the usual way; control characters, C1 and DEL too, as \u00XX.
    EXPECT_NE(r.out.find(R"("name": "café\u0001\"\\\u0085")"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(R"("type": "ab\u007Fÿ")"), std::string::npos) << r.out;

    nlohmann::ordered_json expected = nlohmann::ordered_json::parse(R"({
      "file": "", "version": "2.5", "chunks": [
        {"type": "ab\u007Fÿ", "id": 7, "flags": 4, "name": "skip", "size": 3},
        {"type": "STR#", "id": 8, "flags": 16, "name": "", "size": 1},
        {"type": "PALT", "id": 2, "flags": 16, "name": "café\u0001\"\\\u0085", "size": 0},
        {"type": "PALT", "id": 1, "flags": 16, "name": "p", "size": 0},
        {"type": "PALT", "id": 3, "flags": 16, "name": "", "size": 700},
        {"type": "SPR2", "id": 130, "flags": 16, "name": "bad", "size": 0},
        {"type": "SPR2", "id": 129, "flags": 16, "name": "", "size": 0},
        {"type": "SPR2", "id": 128, "flags": 16, "name": "x", "size": 0},
        {"type": "rsmp", "id": 0, "flags": 16, "name": "", "size": 0}],
      "palettes": [{"id": 1, "name": "p", "valid": true},
                   {"id": 2, "name": "café\u0001\"\\\u0085", "valid": false},
                   {"id": 3, "name": "", "valid": false}],
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
    for (size_t i : {3, 4, 6, 7, 8}) expected["chunks"][i - 1]["size"] = spec.chunks[i].data.size();
    expected["chunks"][8]["size"] = LoadBE32(&bytes[LoadBE32(&bytes[60]) + 4]) - 76;
    EXPECT_EQ(nlohmann::ordered_json::parse(r.out), expected);
}
