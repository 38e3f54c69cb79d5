// Hostile input: a few test books cut short at 64 evenly spread lengths and
// damaged by a few hundred seeded byte flips. Whatever the damage, the
// converter must end with one of its documented exit codes (never a signal),
// leave no temporary file behind, and leave either no book or a complete one
// that passes the structure check (and, for a sample, calibre's lrf2lrs).
// Most runs go through the library's ConvertBook in this process for speed; every eighth
// runs the executable, which is how a crash by signal shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <random>

#include "support/calibre_tools.h"
#include "support/e2e_convert.h"
#include "support/lrf_check.h"
#include "support/test_util.h"
#include "tavorin/convert.h"
#include "text/console.h"

namespace tavorin::test {
namespace {

namespace fs = std::filesystem;

constexpr size_t kTruncations = 64;
constexpr size_t kFlipMutants = 192;
constexpr size_t kProcessEvery = 8;   // every n-th mutant also runs as a process
constexpr size_t kCalibreSamples = 3; // books read back with lrf2lrs per source

struct Mutant {
    std::string what;  // how the source was damaged, for the messages
    std::vector<uint8_t> bytes;
};

std::vector<Mutant> MakeMutants(const std::vector<uint8_t>& source, uint32_t seed) {
    std::vector<Mutant> mutants;
    for (size_t k = 0; k < kTruncations; ++k) {
        const size_t length = source.size() * k / kTruncations;
        mutants.push_back({"cut to " + std::to_string(length) + " bytes",
                           std::vector<uint8_t>(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(length))});
    }
    std::mt19937 random(seed);
    for (size_t k = 0; k < kFlipMutants; ++k) {
        Mutant mutant{"bytes changed at", source};
        const size_t flips = 1 + random() % 8;
        for (size_t f = 0; f < flips; ++f) {
            const size_t at = random() % source.size();
            mutant.bytes[at] ^= static_cast<uint8_t>(1 + random() % 255);
            mutant.what += " " + std::to_string(at);
        }
        mutants.push_back(std::move(mutant));
    }
    return mutants;
}

struct HostileCase {
    std::string name;
    std::string path;  // relative to testdata
};

void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }

class HostileInputTest : public ::testing::TestWithParam<HostileCase> {
protected:
    // Keeps a failing input next to the build for the report.
    std::string Keep(const Mutant& mutant, size_t index) const {
        const fs::path folder = fs::path(TAVORIN_BINARY_DIR) / "hostile_failures";
        fs::create_directories(folder);
        const fs::path file = folder / (GetParam().name + "_" + std::to_string(index) + fs::path(GetParam().path).extension().string());
        WriteFileBytes(file.string(), mutant.bytes);
        return file.string();
    }

    // The checks shared by both ways of running; returns true when a book was written.
    bool CheckOutcome(int code, const ScratchDir& dir, const Mutant& mutant, size_t index) {
        const std::string label = GetParam().name + " " + mutant.what;
        EXPECT_TRUE(IsDocumentedExitCode(code))
            << label << ": exit code " << code << " (input kept as " << Keep(mutant, index) << ")";
        EXPECT_TRUE(fs::is_empty(dir.file("tmp"))) << label << ": temporary files left behind";
        const std::string out = dir.file("out.lrf");
        if (!fs::exists(out)) return false;
        std::string problems;
        for (const auto& problem : CheckLrfStructure(ReadFileBytes(out))) problems += "\n  " + problem;
        EXPECT_TRUE(problems.empty()) << label << ": exit code " << code << ", broken book written (input kept as "
                                      << Keep(mutant, index) << "):" << problems;
        return true;
    }
};

TEST_P(HostileInputTest, EndsCleanlyOnDamagedInput) {
    const std::vector<uint8_t> source = ReadFileBytes(TestDataPath(GetParam().path));
    ASSERT_FALSE(source.empty()) << GetParam().path;
    const auto mutants = MakeMutants(source, /*seed=*/20240601);
    const std::string extension = fs::path(GetParam().path).extension().string();
    size_t readBack = 0;
    std::map<int, size_t> codes;

    for (size_t i = 0; i < mutants.size(); ++i) {
        ScratchDir dir;
        fs::create_directory(dir.file("tmp"));
        const std::string in = dir.file("in" + extension);
        const std::string out = dir.file("out.lrf");
        WriteFileBytes(in, mutants[i].bytes);

        int code;
        if (i % kProcessEvery == 0) {
            code = ConvertWithExe(in, out, dir.path().string(), dir.file("tmp")).exitCode;
        } else {
            StringSink printed;
            code = ConvertBook(in, out, DefaultSettingsPath(), dir.file("tmp"), printed).exitCode;
        }
        ++codes[code];
        const bool written = CheckOutcome(code, dir, mutants[i], i);
        if (written && code == 0 && readBack < kCalibreSamples && HaveCalibre()) {
            ++readBack;
            const CommandResult read = RunLrf2Lrs(out, dir.file("out.lrs"));
            EXPECT_FALSE(ToolFailed(read)) << GetParam().name << " " << mutants[i].what
                                           << ": lrf2lrs cannot read the book (input kept as " << Keep(mutants[i], i)
                                           << "):\n" << read.output;
        }
    }
    std::cout << GetParam().name << ": " << mutants.size() << " damaged inputs, exit codes:";
    for (const auto& [code, count] : codes) std::cout << " " << code << " x" << count;
    std::cout << "\n";
}

INSTANTIATE_TEST_SUITE_P(Books, HostileInputTest,
                         ::testing::Values(HostileCase{"tolstoy", "windows-1251/tolstoy_karenina_cover.fb2"},
                                           HostileCase{"regression", "generated/en_regression_markup.fb2"},
                                           HostileCase{"zipped", "generated/ru_utf8.fb2.zip"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tavorin::test
