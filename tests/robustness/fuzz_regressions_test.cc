// Every input that ever broke a fuzz harness, run through that harness again (a harness
// nothing has broken yet has a damaged file of the kind it must survive). A harness
// aborts on a fault, so a regression shows as this test dying with the harness's message.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "builders/scratch_files.h"
#include "fuzz_targets.h"

namespace robustness {
namespace {

namespace fs = std::filesystem;

struct Area {
    const char* folder;
    int (*entry)(const uint8_t*, size_t);
};

class FuzzRegressions : public testing::TestWithParam<Area> {};

TEST_P(FuzzRegressions, ReplayWithoutAFault) {
    const fs::path folder =
        fs::path(PALVANE_SOURCE_DIR) / "fuzz" / "regressions" / GetParam().folder;
    std::set<fs::path> inputs;  // in name order
    if (fs::is_directory(folder))
        for (const auto& e : fs::directory_iterator(folder))
            if (e.is_regular_file()) inputs.insert(e.path());
    ASSERT_FALSE(inputs.empty()) << "nothing to replay in " << folder.string();
    for (const fs::path& input : inputs) {
        const builders::Bytes bytes = builders::ReadFileBytes(input.u8string());
        std::fprintf(stderr, "replaying %s\n", input.string().c_str());
        EXPECT_EQ(GetParam().entry(bytes.data(), bytes.size()), 0) << input;
    }
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzRegressions,
                         testing::Values(Area{"container", palvane_fuzz::ContainerOneInput},
                                         Area{"sprite", palvane_fuzz::SpriteOneInput},
                                         Area{"dialog", palvane_fuzz::DialogOneInput},
                                         Area{"cli_info", palvane_fuzz::CliInfoOneInput},
                                         Area{"cli_check", palvane_fuzz::CliCheckOneInput}),
                         [](const auto& info) { return std::string(info.param.folder); });

}  // namespace
}  // namespace robustness
