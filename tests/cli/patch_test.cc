// The commands that save: the bytes they leave on disk, their messages and statuses.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "cli_runner.h"
#include "platform/file.h"
#include "support/spr2_builder.h"

using namespace testsupport;

namespace {

struct SpriteModel {
    DWORD common;
    std::vector<WORD> framePalettes;
    std::optional<DWORD> firstFrameOffset;  // set: not the layout the encoder writes
};
using Model = std::map<WORD, SpriteModel>;

// In file order 131, 128, 130 (never decodes), 129 (no frames): not the ascending order.
const Model kInput = {
    {131, {0x00030001, {3}, 128}}, {128, {1, {1, 9}, 256}}, {129, {2, {}, std::nullopt}}};

Bytes BuildFile(const Model& model, const std::string& version = "2.5") {
    Spr2Grid grid(3, 2);
    grid.Set(0, 0, 1, 10);
    grid.Set(2, 1, 2);
    const auto sprite = [&](WORD id) {
        Spr2Spec spec;
        spec.paletteId = model.at(id).common;
        for (WORD p : model.at(id).framePalettes) spec.frames.push_back(FrameFromGrid(grid, p));
        spec.firstFrameOffset = model.at(id).firstFrameOffset;
        return Spr2Chunk(id, spec, "s" + std::to_string(id));
    };
    Spr2Spec broken;
    broken.version = 7;
    IffSpec spec;
    spec.version = version;
    spec.withMap = version == "2.5";
    spec.chunks = {PaltChunk(1, TestPalette(), "p"), sprite(131), sprite(128),
                   Spr2Chunk(130, broken, "bad"),    sprite(129), PaltChunk(2, TestPalette())};
    return BuildIff(spec);
}

// What a save of the edited model gives; a sprite written back loses its odd layout.
Bytes Expected(void (*change)(Model&)) {
    Model model = kInput;
    change(model);
    const std::string path = clitest::WriteTemp("expected.iff", BuildFile(model));
    EXPECT_EQ(clitest::RunCli({"resave", path}).status, 0);
    return ReadFileBytes(path);
}

void AllFrames(Model& m, WORD id) {
    for (auto& entry : m) {
        for (WORD& p : entry.second.framePalettes) p = id;
        entry.second.firstFrameOffset.reset();
    }
}

struct PatchCase {
    const char* args;
    void (*change)(Model&);
    int status;
    bool toOutput;
};

void PrintTo(const PatchCase& c, std::ostream* os) {
    *os << c.args << (c.toOutput ? " --output" : "");
}

class CliPatch : public testing::TestWithParam<PatchCase> {};

TEST_P(CliPatch, SavesWhatTheDialogWouldAndSaysSo) {
    const PatchCase& c = GetParam();
    const Bytes input = BuildFile(kInput);
    const std::string path = clitest::WriteTemp("in.iff", input), output = TempPath("out.iff");
    const std::string line = std::string(c.args) + " FILE" + (c.toOutput ? " --output OUT" : "");
    const clitest::CliResult r = clitest::RunCli(line, path, output);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(ReadFileBytes(c.toOutput ? output : path), Expected(c.change));
    if (c.toOutput) {
        EXPECT_EQ(ReadFileBytes(path), input);
    }
    const std::string saved = c.toOutput ? "saved to " + output + "\n" : "saved\n";
    EXPECT_EQ(r.out.rfind(path + ": ", 0), 0u) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - saved.size()), saved) << r.out;
    EXPECT_EQ(r.err.find(path + ": Can't load one of the SPR2 resources!") != std::string::npos,
              c.status == 1)
        << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliPatch,
    testing::Values(PatchCase{"quick-patch", [](Model& m) { AllFrames(m, 41891); }, 1, false},
                    PatchCase{"quick-patch", [](Model& m) { AllFrames(m, 41891); }, 1, true},
                    PatchCase{"manual-patch --palette 7", [](Model& m) { AllFrames(m, 7); }, 1,
                              false},
                    PatchCase{"set-palette --sprite 131 --palette 2 --common",
                              [](Model& m) {
                                  m[131] = {2, {3}, std::nullopt};
                              },
                              0, false},
                    PatchCase{"set-palette --sprite 128 --palette 5 --frame 1",
                              [](Model& m) {
                                  m[128] = {1, {1, 5}, std::nullopt};
                              },
                              0, true},
                    PatchCase{"set-palette --sprite 129 --palette 0 --common",
                              [](Model& m) { m[129].common = 0; }, 0, false},
                    PatchCase{"resave", [](Model&) {}, 0, true}));

TEST(CliResave, WritesWhatTheLibrarySaveWrites) {
    const Bytes input = BuildFile(kInput, "2.0");
    const std::string path = clitest::WriteTemp("old.iff", input);
    CIffFile iff;
    CMemFile mem;
    ASSERT_TRUE(LoadIffBytes(iff, input) && iff.LoadAllChunkData() && iff.Save(&mem));
    iff.Reset();
    const clitest::CliResult r = clitest::RunCli({"resave", path});
    EXPECT_EQ(r.out, path + ": saved\n");
    EXPECT_EQ(ReadFileBytes(path), Bytes(mem.GetData(), mem.GetData() + mem.GetLength()));
}

TEST(CliPatchMany, ProcessesEveryFileAndExitsWithTheWorstStatus) {
    const Bytes input = BuildFile(kInput), text = {'h', 'i', '\n'};
    const std::string a = clitest::WriteTemp("a.iff", input),
                      b = clitest::WriteTemp("b.iff", input);
    const std::string missing = TempPath("missing.iff"), notIff = clitest::WriteTemp("t.iff", text);

    const clitest::CliResult r = clitest::RunCli({"quick-patch", a, missing, notIff, b});
    EXPECT_EQ(r.status, 2);
    const Bytes want = Expected([](Model& m) { AllFrames(m, 41891); });
    EXPECT_EQ(ReadFileBytes(a), want);
    EXPECT_EQ(ReadFileBytes(b), want);
    EXPECT_EQ(ReadFileBytes(notIff), text);
    EXPECT_NE(r.err.find(missing + ": Unable to open file!"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(notIff + ": Unable to open file as an IFF file!"), std::string::npos);
    EXPECT_EQ(r.out.find(a + ": "), 0u) << r.out;
    EXPECT_NE(r.out.find("\n" + b + ": "), std::string::npos) << r.out;

    EXPECT_EQ(clitest::RunCli({"manual-patch", "--palette", "1", a, b}).status, 1);
}

}  // namespace
