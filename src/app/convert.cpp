// The library entry point: the folder for temporary files, the settings of
// the book, and the driver.
#include "tavorin/convert.h"

#include <sys/resource.h>

#include <exception>
#include <new>
#include <optional>

#include "app/convert_with_settings.h"
#include "app/driver.h"
#include "app/run_state.h"
#include "app/temp_folder.h"
#include "settings/settings_file.h"
#include "text/exit_codes.h"

namespace tavorin {

namespace {

// The conversion up to its status: `settingsPath` is read when `settings` is none.
Status Run(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
           const ConversionSettings* settings, const std::string& tempFolder, const ArchiveInput& archive,
           ConsoleSink& sink) {
    RunState run;
    run.memberLimit = archive.memberLimit;
    run.memberIndex = archive.memberIndex;
    run.inputPath = inputPath;
    run.outputPath = outputPath;
    run.settingsPath = settingsPath;
    const std::optional<std::string> folder = ChooseTempFolder(tempFolder);
    if (!folder) return Fail(kExitNoTempDir);
    run.tempFolder = *folder;

    ConversionSettings bookSettings = settings ? *settings : BuiltInSettings();
    if (!settings) {
        if (Status status = ReadSettingsFile(run.settingsPath, bookSettings); !status.ok()) return status;
    }
    return RunConversion(bookSettings, sink, run);
}

// "Out of memory", with the process's limit when it has one (a batch gives
// each child one).
std::string OutOfMemory() {
    std::string text = "Out of memory";
    struct rlimit limit {};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        text += " (the memory limit of " + std::to_string(limit.rlim_cur >> 20) + " MB per book)";
    }
    return text;
}

// Every form of ConvertBook. What the libraries throw (a read failure of the
// reader, memory exhausted) ends the conversion with code 12 here; the status
// is printed once, at the end.
ConvertResult Convert(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
                      const ConversionSettings* settings, const std::string& tempFolder, const ArchiveInput& archive,
                      ConsoleSink& sink) {
    Status status;
    try {
        status = Run(inputPath, outputPath, settingsPath, settings, tempFolder, archive, sink);
    } catch (const std::bad_alloc&) {
        status = Fail(kExitReadError, OutOfMemory());
    } catch (const std::exception& e) {
        status = Fail(kExitReadError, e.what());
    }
    Console console{sink};
    PrintStatus(console, status);
    return {ExitNumber(status.code), std::move(status.message)};
}

}  // namespace

ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
                          const std::string& tempFolder, ConsoleSink& console) {
    return Convert(inputPath, outputPath, settingsPath, nullptr, tempFolder, {}, console);
}

ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath, const std::string& settingsPath,
                          const std::string& tempFolder, const ArchiveInput& archive, ConsoleSink& console) {
    return Convert(inputPath, outputPath, settingsPath, nullptr, tempFolder, archive, console);
}

ConvertResult ConvertBook(const std::string& inputPath, const std::string& outputPath,
                          const ConversionSettings& settings, const std::string& tempFolder, ConsoleSink& console) {
    return Convert(inputPath, outputPath, {}, &settings, tempFolder, {}, console);
}

}  // namespace tavorin
