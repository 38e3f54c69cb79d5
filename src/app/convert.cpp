// The library entry point: the folder for temporary files, the settings of
// the book, and the driver; what anything on the way throws becomes the
// conversion's status.
#include "tavorin/convert.h"

#include <optional>

#include "app/convert_with_settings.h"
#include "app/driver.h"
#include "app/failure_status.h"
#include "app/run_state.h"
#include "app/temp_folder.h"
#include "settings/settings_file.h"
#include "text/exit_codes.h"

namespace tavorin {

namespace {

// Where the settings of one call come from, and what else it was given.
struct Request {
    const std::string& settingsPath;
    const std::optional<std::string>* settingsText = nullptr;  // the caller's settings text, when given
    const ConversionSettings* settings = nullptr;             // settings already read, when given
    const std::string& tempFolder;
    ArchiveInput archive = {};
    const ProgressCallback* progress = nullptr;
};

// The conversion up to its status: the settings come from `request.settings`,
// else its settings text, else the settings file.
Status Run(const std::string& inputPath, const std::string& outputPath, const Request& request, Console& console) {
    RunState run;
    run.memberLimit = request.archive.memberLimit;
    run.memberIndex = request.archive.memberIndex;
    run.inputPath = inputPath;
    run.outputPath = outputPath;
    run.settingsPath = request.settingsPath;
    const std::optional<std::string> folder = ChooseTempFolder(request.tempFolder);
    if (!folder) return Fail(kExitNoTempDir);
    run.tempFolder = *folder;

    ConversionSettings bookSettings = request.settings ? *request.settings : BuiltInSettings();
    if (request.settingsText && request.settingsText->has_value()) {
        ReadSettingsText(**request.settingsText, bookSettings);
    } else if (!request.settings) {
        if (Status status = ReadSettingsFile(run.settingsPath, bookSettings); !status.ok()) return status;
    }
    return RunConversion(bookSettings, console, run);
}

// Every form of ConvertBook. The caller's sink and progress callback are
// guarded, and what anything throws (the caller's code, a read failure of the
// reader, memory exhausted) ends the conversion with code 12 here; the status
// is printed once, at the end, unless the sink is what failed.
ConvertResult Convert(const std::string& inputPath, const std::string& outputPath, const Request& request,
                      ConsoleSink& callerSink) noexcept {
    try {
        GuardedSink sink(callerSink);
        bool progressFailed = false;
        const ProgressCallback progress = [&](int percent) {
            CallCaller("the progress callback", progressFailed, [&] { (*request.progress)(percent); });
        };
        const bool withProgress = request.progress && *request.progress;
        Console console{sink, withProgress ? &progress : nullptr};
        Status status;
        try {
            status = Run(inputPath, outputPath, request, console);
        } catch (...) {
            status = StatusOfCurrentException();
        }
        try {
            PrintStatus(console, status);
        } catch (...) {
            // The sink failed on the status itself: the result still carries it.
        }
        return {ExitNumber(status.code), std::move(status.message)};
    } catch (...) {
        // Memory exhausted even for the status: the code alone, or with its word when that fits.
        ConvertResult result{ExitNumber(kExitReadError), {}};
        try {
            result.message = ExitMessage(kExitReadError, "Out of memory");
        } catch (...) {
        }
        return result;
    }
}

}  // namespace

const char* LibraryVersion() { return TAVORIN_VERSION; }

ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath, const ConvertOptions& options,
                          ConsoleSink& console) {
    return Convert(inputPath, outputPath,
                   {.settingsPath = options.settingsPath,
                    .settingsText = &options.settingsText,
                    .tempFolder = options.tempFolder,
                    .progress = &options.progress},
                   console);
}

ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
                          const std::string& tempFolder, ConsoleSink& console) {
    return Convert(inputPath, outputPath, {.settingsPath = settingsPath, .tempFolder = tempFolder}, console);
}

ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
                          const std::string& tempFolder, const ArchiveInput& archive, ConsoleSink& console) {
    return Convert(inputPath, outputPath, {.settingsPath = settingsPath, .tempFolder = tempFolder, .archive = archive},
                   console);
}

ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath,
                          const ConversionSettings& settings, const std::string& tempFolder, ConsoleSink& console) {
    static const std::string kNoPath;
    return Convert(inputPath, outputPath, {.settingsPath = kNoPath, .settings = &settings, .tempFolder = tempFolder},
                   console);
}

}  // namespace tavorin
