// Helpers shared by the test programs.
#include "support/test_util.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

namespace tavorin::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "tavorin_test_XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string Base64(const std::vector<uint8_t>& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - at);
        uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k) group = group << 8 | (k < n ? bytes[at + k] : 0);
        for (size_t k = 0; k < 4; ++k) text += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return text;
}

std::string ShellQuote(const std::string& arg) {
    std::string out = "'";
    for (const char c : arg) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

CommandResult RunCommand(const std::string& command, const std::string& workDir) {
    std::string line = command + " 2>&1";
    if (!workDir.empty()) line = "cd " + ShellQuote(workDir) + " && " + line;
    CommandResult result;
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> chunk;
    size_t n;
    while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0) result.output.append(chunk.data(), n);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
    return result;
}

CommandResult RunConverterExe(const std::vector<std::string>& args, const std::string& workDir) {
    std::string command = ShellQuote(TAVORIN_EXE);
    for (const auto& a : args) command += " " + ShellQuote(a);
    return RunCommand(command, workDir);
}

std::string TestDataPath(const std::string& relative) {
    return (fs::path(TAVORIN_SOURCE_DIR) / "testdata" / relative).string();
}

std::string CorpusPath(const std::string& relative) {
    const fs::path p = fs::path(TAVORIN_SOURCE_DIR).parent_path() / "shared" / "corpus" / relative;
    return fs::exists(p) ? p.string() : std::string();
}

bool HaveCalibre() { return RunCommand("command -v lrf2lrs").exitCode == 0; }

}  // namespace tavorin::test
