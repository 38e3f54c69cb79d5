// Start-up of the executable: the usage text, the option scan and path
// completion, then the library's ConvertBook on the paths, or a batch when
// the call asks for a whole library.
#include "app/entry.h"

#include <unistd.h>

#include <charconv>
#include <optional>
#include <string_view>

#include "app/batch.h"
#include "app/batch_options.h"
#include "app/batch_plan.h"
#include "app/child_result.h"
#include "app/convert_with_settings.h"
#include "app/failure_status.h"
#include "app/temp_folder.h"
#include "settings/conversion_settings.h"
#include "settings/settings_file.h"
#include "tavorin/convert.h"
#include "text/exit_codes.h"

namespace tavorin {

namespace {

constexpr std::string_view kUsageLines[] = {
    "",
    "tavorin_c  v" TAVORIN_VERSION,
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
    "--member-limit MB: largest zip member extracted (default 1024); --memory-limit MB: memory of one book",
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
    std::string memberLimit, member;  // the texts of --member-limit and --member; --member is a batch's child's
};

// Options are exactly "-s", "-t", "-i", "-o", "--member-limit" and
// "--member"; the argument after an option is its value and is not scanned
// itself. A later option overwrites an earlier one.
CommandPaths ScanOptions(const std::vector<std::string>& args) {
    CommandPaths paths;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string* target = nullptr;
        if (args[i] == "-s") target = &paths.settingsPath;
        else if (args[i] == "-t") target = &paths.tempFolder;
        else if (args[i] == "-i") target = &paths.inputPath;
        else if (args[i] == "-o") target = &paths.outputPath;
        else if (args[i] == "--member-limit") target = &paths.memberLimit;
        else if (args[i] == "--member") target = &paths.member;
        if (!target) continue;
        *target = i + 1 < args.size() ? args[i + 1] : std::string();
        ++i;
    }
    return paths;
}

// The entry number of --member: digits only.
bool ParseMember(const std::string& text, int64_t& index) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && index >= 0;
}

// The batch gets the paths start-up has completed and the temporary folder
// and settings file checked, as for one book; -j, -f, -T and --report are
// read only now, so they change nothing for one book.
int StartBatch(const std::vector<std::string>& args, const CommandPaths& paths, const std::string& selfPath,
               Console& console) {
    BatchOptions options;
    const std::optional<std::string> tempFolder = ChooseTempFolder(paths.tempFolder);
    ConversionSettings settings = BuiltInSettings();
    // The settings file only for whether it can be read: each child reads it again.
    const Status status = !tempFolder ? Fail(kExitNoTempDir) : ReadSettingsFile(paths.settingsPath, settings);
    if (!status.ok()) {
        PrintStatus(console, status);
        return ExitNumber(status.code);
    }
    options.settingsPath = paths.settingsPath;
    options.tempFolder = *tempFolder;
    options.inputPath = paths.inputPath;
    options.outputFolder = paths.outputPath;
    options.selfPath = selfPath;
    if (const BatchOptionError error = ScanBatchOptions(args, options); !error.message.empty()) {
        console.Line(error.message);
        if (error.showUsage) PrintUsage(console);
        return ExitNumber(kExitNoPaths);
    }
    return RunBatch(std::move(options), console);
}

// The run's exit code and the message printed for it (empty for the usage
// text and a batch, which print more than one line).
ConvertResult StartUp(const std::vector<std::string>& args, const std::string* selfPath, Console& console) {
    if (args.size() < 3) {
        PrintUsage(console);
        return {ExitNumber(kExitDone), ""};
    }
    CommandPaths paths = ScanOptions(args);
    if (paths.inputPath.empty() || paths.outputPath.empty()) {
        const Status status = Fail(kExitNoPaths);
        PrintStatus(console, status);
        console.Line("");
        PrintUsage(console);
        return {ExitNumber(status.code), status.message};
    }
    const std::string currentFolder = CurrentFolder();
    CompletePath(paths.inputPath, currentFolder);
    CompletePath(paths.outputPath, currentFolder);
    if (paths.settingsPath.empty()) paths.settingsPath = currentFolder + "/default_styles.sini";
    else CompletePath(paths.settingsPath, currentFolder);
    if (selfPath && IsBatchRequest(paths.inputPath, paths.outputPath)) {
        return {StartBatch(args, paths, *selfPath, console), ""};
    }
    ArchiveInput archive;
    const bool member = paths.member.empty() || ParseMember(paths.member, archive.memberIndex);
    if (!member || (!paths.memberLimit.empty() && !ParseMegabytes(paths.memberLimit, archive.memberLimit))) {
        const Status status = {kExitNoPaths, member ? "Error: --member-limit needs a number of MB (0 for no limit)"
                                                    : "Error: --member needs an entry number"};
        PrintStatus(console, status);
        return {ExitNumber(status.code), status.message};
    }
    ConvertResult result =
        ConvertBook(paths.inputPath, paths.outputPath, paths.settingsPath, paths.tempFolder, archive, *console.sink);
    if (selfPath && result.exitCode == ExitNumber(kExitArchiveCount) && HoldsSeveralBooks(paths.inputPath)) {
        console.Line("The archive holds several books: with a folder as -o (ending in '/') each one is converted");
    }
    return result;
}

// A batch is allowed when the caller names the executable its children run.
// What the libraries throw on the way (the batch's file system calls, memory
// exhausted) ends the run with code 12 and a message naming the cause.
ConvertResult RunArguments(const std::vector<std::string>& args, const std::string* selfPath, ConsoleSink& sink) {
    Console console{sink};
    try {
        return StartUp(args, selfPath, console);
    } catch (...) {
        const Status status = StatusOfCurrentException();
        PrintStatus(console, status);
        return {ExitNumber(status.code), status.message};
    }
}

}  // namespace

int RunConverter(const std::vector<std::string>& args, ConsoleSink& console) {
    return RunArguments(args, nullptr, console).exitCode;
}

int RunConverter(int argc, char** argv, ConsoleSink& console) {
    return RunConverter(std::vector<std::string>(argv, argv + argc), console);
}

int RunProgram(int argc, char** argv, const ProgramStart& start, ConsoleSink& console) {
    const ConvertResult result = RunArguments(std::vector<std::string>(argv, argv + argc), &start.selfPath, console);
    if (!start.resultFile.empty()) WriteChildResult(start.resultFile, {result.exitCode, result.message});
    return result.exitCode;
}

}  // namespace tavorin
