// Start-up of the executable: the usage text, the option scan and path
// completion, then the library's ConvertBook on the paths, or a batch when
// the call asks for a whole library.
#include "app/entry.h"

#include <unistd.h>

#include <exception>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/batch.h"
#include "app/batch_options.h"
#include "app/batch_plan.h"
#include "app/temp_folder.h"
#include "settings/conversion_settings.h"
#include "tavorin/convert.h"
#include "text/exit_codes.h"

namespace tavorin {

namespace {

constexpr std::string_view kUsageLines[] = {
    "",
    "tavorin_c  v1.4",
    "FB2 to LRF converter by the tavorin_c developers, 2026",
    "",
    "Usage:",
    "",
    "tavorin_c.exe [-s styles] [-t tempfolder] -i inputfile -o outputfile",
    "styles: *.sini file with conversion settings",
    "tempfolder: path to folder for temporary files",
    "",
    "tavorin_c.exe [-s styles] [-t tempfolder] [-j jobs] [-f] [-T seconds] [--report file.csv]",
    "              [--names codepage] -i library -o outfolder/",
    "library: a folder of books (looked into recursively), or a zip of many books",
    "-j: books converted at once; -f: convert books whose LRF is up to date as well",
    "-T: time limit of one book; --names: code page of zip member names (cp866)",
};

void PrintUsage(Console& console) {
    for (const std::string_view line : kUsageLines) console.Line(line);
}

std::string CurrentFolder() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

bool HasFolderPart(const std::string& path) { return path.find('/') != std::string::npos; }

// A path without a folder part is taken relative to the current folder.
void CompletePath(std::string& path, const std::string& currentFolder) {
    if (!HasFolderPart(path)) path = currentFolder + "/" + path;
}

// The paths named on the command line; empty when not given.
struct CommandPaths {
    std::string settingsPath, tempFolder, inputPath, outputPath;
};

// Options are exactly "-s", "-t", "-i" and "-o"; the argument after an option
// is its value and is not scanned itself. A later option overwrites an earlier one.
CommandPaths ScanOptions(const std::vector<std::string>& args) {
    CommandPaths paths;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string* target = nullptr;
        if (args[i] == "-s") target = &paths.settingsPath;
        else if (args[i] == "-t") target = &paths.tempFolder;
        else if (args[i] == "-i") target = &paths.inputPath;
        else if (args[i] == "-o") target = &paths.outputPath;
        if (!target) continue;
        *target = i + 1 < args.size() ? args[i + 1] : std::string();
        ++i;
    }
    return paths;
}

// The executable's own file, which the batch's children run: by its name,
// so that they show as tavorin_c in the process table; /proc/self/exe when
// that file has gone (replaced while the batch runs).
std::string SelfPath() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return !ec && std::filesystem::exists(self, ec) ? self.string() : "/proc/self/exe";
}

// The batch gets the paths start-up has completed and the temporary folder
// and settings file checked, as for one book; -j, -f, -T and --report are
// read only now, so they change nothing for one book.
int StartBatch(const std::vector<std::string>& args, const CommandPaths& paths, Console& console) {
    BatchOptions options;
    const std::optional<std::string> tempFolder = ChooseTempFolder(paths.tempFolder);
    if (!tempFolder) {
        console.Line("Error: temp dir cannot be set");
        return kExitNoTempDir;
    }
    ConversionSettings settings = BuiltInSettings();
    ReadSettingsFile(paths.settingsPath, settings, console);  // only whether it can be read
    options.settingsPath = paths.settingsPath;
    options.tempFolder = *tempFolder;
    options.inputPath = paths.inputPath;
    options.outputFolder = paths.outputPath;
    options.selfPath = SelfPath();
    if (const BatchOptionError error = ScanBatchOptions(args, options); !error.message.empty()) {
        console.Line(error.message);
        if (error.showUsage) PrintUsage(console);
        return kExitNoPaths;
    }
    return RunBatch(std::move(options), console);
}

int StartUp(const std::vector<std::string>& args, bool allowBatch, Console& console) {
    if (args.size() < 3) {
        PrintUsage(console);
        return kExitDone;
    }
    CommandPaths paths = ScanOptions(args);
    if (paths.inputPath.empty() || paths.outputPath.empty()) {
        console.Line("\rError: inputfile or outputfile is not defined");
        console.Line("");
        PrintUsage(console);
        return kExitNoPaths;
    }
    const std::string currentFolder = CurrentFolder();
    CompletePath(paths.inputPath, currentFolder);
    CompletePath(paths.outputPath, currentFolder);
    if (paths.settingsPath.empty()) paths.settingsPath = currentFolder + "/default_styles.sini";
    else CompletePath(paths.settingsPath, currentFolder);
    if (allowBatch && IsBatchRequest(paths.inputPath, paths.outputPath)) return StartBatch(args, paths, console);
    const int code =
        ConvertBook(paths.inputPath, paths.outputPath, paths.settingsPath, paths.tempFolder, *console.sink).exitCode;
    if (allowBatch && code == kExitArchiveCount && HoldsSeveralBooks(paths.inputPath)) {
        console.Line("The archive holds several books: with a folder as -o (ending in '/') each one is converted");
    }
    return code;
}

int RunArguments(const std::vector<std::string>& args, bool allowBatch, ConsoleSink& sink) {
    Console console{sink};
    try {
        return StartUp(args, allowBatch, console);
    } catch (const RunExit& exit) {
        return exit.code;
    } catch (const std::exception& e) {
        console.Line(std::string("\nError: ") + e.what());
        return kExitReadError;
    }
}

}  // namespace

int RunConverter(const std::vector<std::string>& args, ConsoleSink& console) {
    return RunArguments(args, false, console);
}

int RunConverter(int argc, char** argv, ConsoleSink& console) {
    return RunConverter(std::vector<std::string>(argv, argv + argc), console);
}

int RunProgram(int argc, char** argv, ConsoleSink& console) {
    return RunArguments(std::vector<std::string>(argv, argv + argc), true, console);
}

}  // namespace tavorin
