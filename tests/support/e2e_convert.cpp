// Running the converter for the end-to-end tests.
#include "support/e2e_convert.h"

#include <filesystem>

namespace tavorin::test {

bool IsDocumentedExitCode(int code) { return (code >= 0 && code <= 12) || code == 15; }

std::string DefaultSettingsPath() {
    return (std::filesystem::path(TAVORIN_SOURCE_DIR) / "default_styles.sini").string();
}

CommandResult ConvertWithExe(const std::string& input, const std::string& output, const std::string& workDir,
                             const std::string& tempDir) {
    std::filesystem::create_directories(tempDir);
    const std::string command = "TMPDIR=" + ShellQuote(tempDir) + " timeout 300 " + ShellQuote(TAVORIN_EXE) + " -s " +
                                ShellQuote(DefaultSettingsPath()) + " -i " + ShellQuote(input) + " -o " +
                                ShellQuote(output);
    return RunCommand(command, workDir);
}

bool LooksLikeZip(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K' && bytes[2] == 3 && bytes[3] == 4;
}

}  // namespace tavorin::test
