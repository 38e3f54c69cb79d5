// Writing and reading the result file of a batch's child.
#include "app/child_result.h"

#include <charconv>
#include <cstdio>

namespace tavorin {

namespace {

// More than any message: a longer file is not one the converter wrote.
constexpr size_t kLongestResult = 64 * 1024;

}  // namespace

bool WriteChildResult(const std::string& path, const ChildResult& result) {
    std::string text = std::to_string(result.exitCode) + '\n' + result.message;
    for (size_t at = text.find_first_of("\r\n", text.find('\n') + 1); at != std::string::npos;
         at = text.find_first_of("\r\n", at + 1)) {
        text[at] = ' ';
    }
    text += '\n';
    std::FILE* out = std::fopen(path.c_str(), "wbe");  // close-on-exec, as every file the converter opens
    if (!out) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && written;
}

std::optional<ChildResult> ReadChildResult(const std::string& path) {
    std::FILE* in = std::fopen(path.c_str(), "rbe");
    if (!in) return std::nullopt;
    std::string text;
    text.resize(kLongestResult + 1);
    text.resize(std::fread(text.data(), 1, text.size(), in));
    std::fclose(in);
    // Whole: a code line and a message line, each ended by its line break.
    const size_t codeEnd = text.find('\n');
    if (text.size() > kLongestResult || codeEnd == std::string::npos || text.back() != '\n' ||
        text.find('\n', codeEnd + 1) != text.size() - 1) {
        return std::nullopt;
    }
    ChildResult result;
    const auto [end, error] = std::from_chars(text.data(), text.data() + codeEnd, result.exitCode);
    if (error != std::errc() || end != text.data() + codeEnd) return std::nullopt;
    result.message = text.substr(codeEnd + 1, text.size() - codeEnd - 2);
    return result;
}

}  // namespace tavorin
