// Whole conversion from bytes (an FB2 file or a zip archive): the converter
// ends with a documented exit code, leaves nothing in its temporary folder,
// and any book it writes passes the LRF structure check.
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "fuzz_target.h"
#include "support/lrf_check.h"
#include "tavorin/convert.h"
#include "text/console.h"

namespace tavorin::fuzz::convert {

inline std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        uint8_t chunk[65536];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(file);
    }
    return bytes;
}

inline int Convert(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    const std::string input = WriteInput("book.fb2", data, size);
    const std::string output = PrivateFolder() + "/book.lrf";
    const std::string temp = PrivateFolder() + "/tmp";
    fs::remove(output);
    fs::create_directories(temp);

    StringSink printed;
    const int code =
        ConvertBook(input, output, std::string(TAVORIN_SOURCE_DIR) + "/default_styles.sini", temp, printed).exitCode;

    TAVORIN_FUZZ_CHECK((code >= 0 && code <= 12) || code == 14);
    TAVORIN_FUZZ_CHECK(fs::is_empty(temp));
    if (fs::exists(output)) {
        const auto problems = tavorin::test::CheckLrfStructure(ReadAll(output));
        for (const auto& problem : problems) std::fprintf(stderr, "LRF problem: %s\n", problem.c_str());
        TAVORIN_FUZZ_CHECK(problems.empty());
    }
    return 0;
}

}  // namespace tavorin::fuzz::convert

TAVORIN_FUZZ_TARGET(FuzzConvert) { return tavorin::fuzz::convert::Convert(data, size); }
