// palvane2-cli check over a folder, and overview: every picture a page names is a PNG of the
// stated size, the pages mark what check finds, damaged files are listed first, and the
// bytes do not depend on -j.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "builders/spr2_builder.h"
#include "cli_run.h"

#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb/stb_image.h>  // the implementation is in pictures_test.cc

using namespace builders;
namespace fs = std::filesystem;

namespace {

int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A folder of files: one with every kind of finding and names that need escaping, a clean
// one, and damaged ones.
std::string Mods() {
    const std::string root = TempPath("overview-mods");
    fs::create_directories(fs::u8path(root));
    const PaltSpec old{2, 256, TestPalette().colors};
    Spr2Grid grid(3, 2);
    grid.Set(0, 0, 1);
    grid.Set(2, 1, 4);
    Spr2Spec sprite{1000, 1, {}};
    for (WORD p : {1, 7, 41891, 2}) sprite.frames.push_back(FrameFromGrid(grid, p));
    sprite.frames.push_back({200, 9, 0, 1, 0, 0, 0, Spr2Stream().End()});
    const IffSpec findings{
        "2.5",
        {PaltChunk(1, TestPalette(), "p<b>&\"\x01\xE9"), PaltChunk(2, old, "old"),
         Spr2Chunk(10, sprite, "s<script>"), ChunkSpec{"SPR2", 11, 0x10, "bad", {7, 0, 0, 0}}}};
    const IffSpec clean{
        "2.5",
        {PaltChunk(1, TestPalette()), Spr2Chunk(5, {1000, 1, {FrameFromGrid(grid, 41891)}})}};
    WriteFileBytes(In(root, "a clean.iff"), BuildIff(clean));
    WriteFileBytes(root + "/b&findings.IFF", BuildIff(findings));
    WriteFileBytes(In(root, "c.iff"), Bytes(100, 'x'));  // no IFF file
    WriteFileBytes(In(root, "d.iff"), Bytes());
    return root;
}

}  // namespace

// check names every obstacle to patching, as lines for people or one JSON object per file,
// and writes nothing.
TEST(CliCheck, FindsWhatCannotBeDrawnOrUsed) {
    const std::string root = Mods(), path = In(root, "b&findings.IFF");
    const Bytes bytes = ReadFileBytes(path);
    const Result r = Cli("check FILE", root);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, path +
                         ":\n"
                         "  palette 2 \"old\": cannot be used: its version is not 1\n"
                         "  sprite 10 \"s<script>\":\n"
                         "    frame 1: palette 7 is not in the file; the sprite's palette 1 is "
                         "used instead, which is usable\n"
                         "    frame 3: cannot be drawn: no usable palette (palette 2: cannot be "
                         "used: its version is not 1)\n"
                         "  sprite 11 \"bad\": does not decode\n"
                         "4 files: 1 without findings, 1 with findings, 2 failed; 4 findings\n");
    EXPECT_EQ(Cli("check FILE", In(root, "a clean.iff")).status, 0);
    EXPECT_EQ(Cli("check FILE", path).status, 1);

    std::istringstream lines(Cli("check --json FILE", root).out);
    std::vector<std::string> statuses, kinds;  // statuses with the error, if any
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json object = nlohmann::json::parse(line);
        statuses.push_back(object["status"].get<std::string>() + object.value("error", ""));
        for (const auto& f : object.value("findings", nlohmann::json::array()))
            kinds.push_back(f["kind"]);
    }
    const std::string failed =
        R"(failedUnable to open file as an IFF file! (it does not begin with "IFF FILE"))";
    EXPECT_EQ(statuses, (std::vector<std::string>{"ok", "findings", failed, failed}));
    EXPECT_EQ(kinds, (std::vector<std::string>{"unusable_palette", "missing_palette",
                                               "undrawable_frame", "undecodable_sprite"}));
    EXPECT_EQ(ReadFileBytes(path), bytes);
}

TEST(CliOverview, ShowsEveryFrameAndMarksWhatCheckFinds) {
    const std::string root = Mods(), out = TempPath("overview"), again = TempPath("again");
    const Result r = Cli("overview -j 2 FILE --out OUT", root, out);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out,
              "4 files: 1 without findings, 1 with findings, 2 failed; 6 frames in 3 "
              "sprites shown in " +
                  In(out, "index.html") + "\n");

    // The index: damaged files first, then those with findings, with check's counts.
    const std::string index = Text(out + "/index.html");
    const std::regex row("<tr( class=\"(\\w+)\")?><td>(<a href=\"([^\"]+)\">)?([^<]*)");
    std::vector<std::string> order, pages;
    for (std::sregex_iterator m(index.begin(), index.end(), row), end; m != end; ++m) {
        order.push_back((*m)[2].str() + " " + (*m)[5].str());
        if ((*m)[4].matched) pages.push_back((*m)[4]);
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{
                  "failed " + In(root, "c.iff"), "failed " + In(root, "d.iff"),
                  "findings " + In(root, "b&amp;findings.IFF"), " " + In(root, "a clean.iff")}));
    ASSERT_EQ(pages,
              (std::vector<std::string>{"0002-b_findings.IFF.html", "0001-a_clean.iff.html"}));
    EXPECT_NE(index.find("<td>2</td><td>5</td><td>4</td>"), std::string::npos);

    // Each page: check's four findings (CliCheck) listed and marked, every picture a PNG of
    // its stated size.
    const std::string page = Text(out + "/" + pages[0]);
    EXPECT_EQ(CountOf(page, "<li>"), 4);
    EXPECT_EQ(CountOf(page, "finding\" title="), 2);  // a frame missing its palette, one undrawn
    EXPECT_EQ(CountOf(page, ">cannot be drawn<"), 1);
    EXPECT_EQ(CountOf(page, ">cannot be used<"), 1);
    EXPECT_EQ(CountOf(page, "class=\"frame fallback\""), 1);  // 41891: no finding, yet marked
    EXPECT_NE(page.find("s&lt;script&gt;"), std::string::npos);
    EXPECT_NE(page.find("p&lt;b&gt;&amp;&quot;\xEF\xBF\xBD\xC3\xA9"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    int images = 0;
    for (const std::string& name : pages) {
        const std::string html = Text(out + "/" + name);
        const std::regex img("<img src=\"([^\"]+)\" width=\"(\\d+)\" height=\"(\\d+)\"");
        for (std::sregex_iterator m(html.begin(), html.end(), img), end; m != end; ++m, ++images) {
            SCOPED_TRACE((*m)[1].str());
            const Bytes png = ReadFileBytes(out + "/" + (*m)[1].str());
            int w = 0, h = 0, n = 0;
            ASSERT_TRUE(stbi_info_from_memory(png.data(), int(png.size()), &w, &h, &n));
            EXPECT_EQ(std::to_string(w) + "x" + std::to_string(h),
                      (*m)[2].str() + "x" + (*m)[3].str());
        }
    }
    EXPECT_EQ(images, 5 + 2);  // the drawn frames and usable palettes of both files
    EXPECT_NE(page.find("width=\"48\" height=\"32\""), std::string::npos);  // 3 x 2 at most 16x

    // One worker writes the same bytes.
    EXPECT_EQ(Cli("overview -j 1 --quiet FILE --out OUT", root, again).status, 2);
    for (const auto& e : fs::recursive_directory_iterator(fs::u8path(out))) {
        if (!e.is_regular_file()) continue;
        const std::string rel = fs::relative(e.path(), fs::u8path(out)).u8string();
        EXPECT_EQ(ReadFileBytes(e.path().u8string()), ReadFileBytes(again + "/" + rel)) << rel;
    }
}
