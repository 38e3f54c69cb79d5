// The library entry point: the folder for temporary files, the settings, one
// Conversion for the book, and the driver.
#include "tavorin/convert.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <optional>

#include "app/driver.h"
#include "app/run_state.h"
#include "fb2/conversion.h"
#include "text/exit_codes.h"

namespace tavorin {

namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string CurrentFolder() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

// The folder for temporary files: as given, else TMPDIR, else /tmp, else the
// current folder; always ending in '/'. A folder that does not exist is
// refused at once rather than failing later at extraction.
std::optional<std::string> ChooseTempFolder(std::string folder) {
    if (folder.empty()) {
        const char* env = std::getenv("TMPDIR");
        for (const std::string& candidate : {std::string(env ? env : ""), std::string("/tmp"), CurrentFolder()}) {
            if (IsFolder(candidate)) {
                folder = candidate;
                break;
            }
        }
    }
    if (!IsFolder(folder)) return std::nullopt;
    if (folder.back() != '/') folder += '/';
    return folder;
}

// Both forms of ConvertBook: `settingsPath` is read when `settings` is none.
ConvertResult Convert(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
                      const ConversionSettings* settings, const std::string& tempFolder, ConsoleSink& sink) {
    Console console{sink};
    try {
        RunState run;
        run.inputPath = inputPath;
        run.outputPath = outputPath;
        run.settingsPath = settingsPath;
        const std::optional<std::string> folder = ChooseTempFolder(tempFolder);
        if (!folder) {
            const std::string message = "Error: temp dir cannot be set";
            console.Line(message);
            return {kExitNoTempDir, message};
        }
        run.tempFolder = *folder;

        fb2::Conversion cv(sink, settings ? *settings : BuiltInSettings());
        if (!settings) {
            try {
                ReadSettingsFile(run.settingsPath, cv.settings, console);
            } catch (const RunExit& exit) {
                return {exit.code, "Error: Cannot open style file:" + run.settingsPath};
            }
        }
        const ConversionOutcome outcome = RunConversion(cv, run);
        return {outcome.exitCode, outcome.message};
    } catch (const std::exception& e) {
        const std::string message = std::string("Error: ") + e.what();
        console.Line("\n" + message);
        return {kExitReadError, message};
    }
}

}  // namespace

ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
                          const std::string& tempFolder, ConsoleSink& console) {
    return Convert(inputPath, outputPath, settingsPath, nullptr, tempFolder, console);
}

ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath,
                          const ConversionSettings& settings, const std::string& tempFolder, ConsoleSink& console) {
    return Convert(inputPath, outputPath, {}, &settings, tempFolder, console);
}

}  // namespace tavorin
