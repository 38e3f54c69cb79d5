// Replays the fuzz seeds (tests/fuzz/seeds/<target>/) through every fuzz
// target, so that the seeds, and crashing inputs added to them, run as
// ordinary tests in every build, sanitized builds included.
#define TAVORIN_FUZZ_REPLAY
#include "../fuzz/convert_fuzzer.cpp"
#include "../fuzz/image_fuzzer.cpp"
#include "../fuzz/settings_fuzzer.cpp"
#include "../fuzz/unicode_reader_fuzzer.cpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/test_util.h"

namespace tavorin::test {
namespace {

namespace fs = std::filesystem;

using FuzzTarget = int (*)(const uint8_t*, size_t);

struct Target {
    const char* name;
    FuzzTarget run;
};

constexpr Target kTargets[] = {
    {"convert", FuzzConvert},
    {"settings", FuzzSettings},
    {"unicode_reader", FuzzUnicodeReader},
    {"image", FuzzImage},
};

std::vector<std::string> SeedFiles() {
    std::vector<std::string> files;
    const fs::path root = fs::path(TAVORIN_SOURCE_DIR) / "tests" / "fuzz" / "seeds";
    if (!fs::is_directory(root)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

class FuzzReplayTest : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplayTest, EverySeedRunsThrough) {
    const auto seeds = SeedFiles();
    ASSERT_FALSE(seeds.empty()) << "no fuzz seeds found";
    for (const auto& seed : seeds) {
        SCOPED_TRACE(seed);
        const std::vector<uint8_t> bytes = ReadFileBytes(seed);
        EXPECT_EQ(GetParam().run(bytes.data(), bytes.size()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavorin::test
