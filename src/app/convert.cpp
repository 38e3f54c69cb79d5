// The library entry point: the folder for temporary files, the settings of
// the book, and the driver.
#include "tavorin/convert.h"

#include <exception>
#include <optional>

#include "app/driver.h"
#include "app/run_state.h"
#include "app/temp_folder.h"
#include "settings/conversion_settings.h"
#include "text/exit_codes.h"

namespace tavorin {

namespace {

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

        ConversionSettings bookSettings = settings ? *settings : BuiltInSettings();
        if (!settings) {
            try {
                ReadSettingsFile(run.settingsPath, bookSettings, console);
            } catch (const RunExit& exit) {
                return {exit.code, "Error: Cannot open style file:" + run.settingsPath};
            }
        }
        const ConversionOutcome outcome = RunConversion(bookSettings, sink, run);
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
