// Files that will not open, load or save, for every command; usage errors; help.
#include <gtest/gtest.h>

#include <sstream>

#include "cli_runner.h"
#include "platform/file.h"
#include "support/spr2_builder.h"

using namespace testsupport;

namespace {

Bytes SmallFile() {
    Spr2Spec sprite;
    sprite.frames = {FrameFromGrid(Spr2Grid(1, 1), 1)};
    IffSpec spec;
    spec.chunks = {Spr2Chunk(128, sprite), PaltChunk(1, TestPalette())};
    return BuildIff(spec);
}

enum class Trouble { missing, notIff, held };

void PrintTo(Trouble t, std::ostream* os) {
    *os << (t == Trouble::missing ? "missing" : t == Trouble::notIff ? "not IFF" : "held");
}

class CliOpenFailure : public testing::TestWithParam<std::tuple<std::string, Trouble>> {};

TEST_P(CliOpenFailure, RefusesAtOnceAndWritesNothing) {
    const auto& [command, trouble] = GetParam();
    const Bytes bytes = trouble == Trouble::notIff ? Bytes(100, 'x') : SmallFile();
    const std::string path =
        trouble == Trouble::missing ? TempPath("missing.iff") : clitest::WriteTemp("f.iff", bytes);
    const std::string out = TempPath("out");
    CFile holder;  // another program holding the file, as the desktop program does
    if (trouble == Trouble::held) {
        ASSERT_TRUE(holder.Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive));
    }
    const clitest::CliResult r = clitest::RunCli(command, path, out);
    EXPECT_EQ(r.status, 2);
    const std::string message =
        trouble == Trouble::notIff ? "Unable to open file as an IFF file!" : "Unable to open file!";
    EXPECT_EQ(r.err.rfind(path + ": " + message, 0), 0u) << r.err;
    EXPECT_EQ(r.out + (clitest::Exists(out) ? "OUT written" : ""), "");
    if (trouble != Trouble::missing) {
        EXPECT_EQ(ReadFileBytes(path), bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliOpenFailure,
    testing::Combine(testing::Values("info FILE", "render FILE --sprite 128 --frame 0 --out OUT",
                                     "quick-patch FILE", "manual-patch --palette 1 FILE",
                                     "set-palette FILE --sprite 128 --palette 1 --common",
                                     "resave FILE --output OUT"),
                     testing::Values(Trouble::missing, Trouble::notIff, Trouble::held)));

TEST(CliSaveFailure, ReportsAndLeavesTheFileAsItWas) {
    // The last chunk's data is cut short: it cannot be loaded, so nothing may be written.
    IffSpec spec;
    spec.withMap = false;
    spec.chunks = {PaltChunk(1, TestPalette())};
    Bytes cut = BuildIff(spec);
    cut.resize(cut.size() - 10);
    const std::string path = clitest::WriteTemp("cut.iff", cut);
    const std::string good = clitest::WriteTemp("good.iff", SmallFile());
    const std::string nowhere = TempPath("no-such-folder") + "/out.iff";
    const std::string held = clitest::WriteTemp("held.iff", SmallFile());
    CFile holder;  // an output another program holds is refused like an input
    ASSERT_TRUE(holder.Open(held.c_str(), CFile::modeReadWrite | CFile::shareExclusive));
    for (const auto& [file, line, out] : {std::tuple{path, "quick-patch FILE", nowhere},
                                          {path, "resave FILE", nowhere},
                                          {good, "resave FILE --output OUT", nowhere},
                                          {good, "quick-patch FILE --output OUT", held}}) {
        const Bytes before = ReadFileBytes(file), heldBefore = ReadFileBytes(held);
        const clitest::CliResult r = clitest::RunCli(line, file, out);
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_EQ(r.err.rfind(file + ": Error while saving this file!", 0), 0u) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(ReadFileBytes(held), heldBefore);
        EXPECT_EQ(ReadFileBytes(file), before);
    }
}

class CliUsageError : public testing::TestWithParam<std::string> {};

TEST_P(CliUsageError, ExitsWithTwoAndTouchesNothing) {
    const Bytes bytes = SmallFile();
    const std::string path = clitest::WriteTemp("f.iff", bytes), out = TempPath("out");
    const clitest::CliResult r = clitest::RunCli(GetParam(), path, out);
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.err, "");
    EXPECT_EQ(r.out + (clitest::Exists(out) ? "OUT written" : ""), "");
    EXPECT_EQ(ReadFileBytes(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsageError,
    testing::Values("", "frobnicate FILE", "info", "info FILE FILE", "manual-patch FILE",
                    "render FILE --sprite 0x80 --frame 0 --out OUT",
                    "render FILE --sprite +128 --frame 0 --out OUT",
                    "render FILE --sprite 1.5 --frame 0 --out OUT",
                    "render FILE --sprite 65536 --frame 0 --out OUT",
                    "render FILE --sprite '' --frame 0 --out OUT",
                    "render FILE --sprite 128 --frame 2147483648 --out OUT",
                    "render FILE --sprite 128 --frame 0 --out OUT --background F0F0F",
                    "render FILE --sprite 128 --frame 0 --out FILE",
                    "set-palette FILE --sprite 128 --palette -1 --common",
                    "set-palette FILE --sprite 128 --palette 1",
                    "set-palette FILE --sprite 128 --palette 1 --common --frame 0",
                    "quick-patch FILE FILE --output OUT", "quick-patch FILE --output FILE",
                    "resave FILE --output ''"));

TEST(CliHelp, EveryCommandSaysWhatItDoesAndListsItsOptions) {
    const std::string top = clitest::RunCli({"--help"}).out;
    for (const char* line :
         {"info FILE", "render --sprite --frame --out --background --depth --alpha",
          "quick-patch FILE --output", "manual-patch --palette --output",
          "set-palette --sprite --palette --common --frame --output", "resave FILE --output"}) {
        std::istringstream words(line);
        std::string command, word;
        words >> command;
        const clitest::CliResult r = clitest::RunCli({command, "--help"});
        EXPECT_EQ(r.status, 0) << line;
        while (words >> word) EXPECT_NE(r.out.find(word), std::string::npos) << line << word;
        EXPECT_NE(top.find(command), std::string::npos) << command;
    }
    const clitest::CliResult v = clitest::RunCli({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out.rfind("palvane2-cli ", 0), 0u) << v.out;
}

}  // namespace
