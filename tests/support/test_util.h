// Helpers shared by the test programs: scratch folders, files, and running
// commands (the converter itself, calibre's reading tools) with their output.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tavorin::test {

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteFileText(const std::string& path, const std::string& text);
// The bytes in base64, as an FB2 binary element holds them.
std::string Base64(const std::vector<uint8_t>& bytes);

struct CommandResult {
    int exitCode = -1;   // exit status, or 128 + signal number
    std::string output;  // standard output and standard error together
};

// Runs a shell command line in `workDir` (the current folder when empty).
CommandResult RunCommand(const std::string& command, const std::string& workDir = "");

// Quotes an argument for the shell.
std::string ShellQuote(const std::string& arg);

// Runs the converter executable with the arguments, in `workDir`.
CommandResult RunConverterExe(const std::vector<std::string>& args, const std::string& workDir = "");

// Path of a file in the repository's test data folder.
std::string TestDataPath(const std::string& relative);
// Path of a file in the shared corpus next to the repository; empty when the
// corpus is not present on this machine.
std::string CorpusPath(const std::string& relative);

// True when calibre's lrf2lrs is installed.
bool HaveCalibre();

}  // namespace tavorin::test
