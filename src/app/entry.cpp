// Start-up of the executable: the usage text, the option scan and path
// completion, then the library's ConvertBook on the paths.
#include "app/entry.h"

#include <unistd.h>

#include <string_view>

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

}  // namespace

int RunConverter(const std::vector<std::string>& args, ConsoleSink& sink) {
    Console console{sink};
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
    return ConvertBook(paths.inputPath, paths.outputPath, paths.settingsPath, paths.tempFolder, sink).exitCode;
}

int RunConverter(int argc, char** argv, ConsoleSink& sink) {
    return RunConverter(std::vector<std::string>(argv, argv + argc), sink);
}

}  // namespace tavorin
