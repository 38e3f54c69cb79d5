// Start-up: the usage text, the option scan, path completion, the folder for
// temporary files, the settings file, then the conversion driver.
#include "fb2/conversion_state.h"
#include "app/entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <string_view>

#include "app/console.h"
#include "app/driver.h"
#include "app/run_state.h"
#include "settings/conversion_settings.h"

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

void PrintUsage() {
    for (const std::string_view line : kUsageLines) ConsoleLine(line);
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

// Options are exactly "-s", "-t", "-i" and "-o"; the argument after an option
// is its value and is not scanned itself. A later option overwrites an earlier one.
void ScanOptions(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size(); ++i) {
        std::string* target = nullptr;
        if (args[i] == "-s") target = &g_run.settingsPath;
        else if (args[i] == "-t") target = &g_run.tempFolder;
        else if (args[i] == "-i") target = &g_run.inputPath;
        else if (args[i] == "-o") target = &g_run.outputPath;
        if (!target) continue;
        *target = i + 1 < args.size() ? args[i + 1] : std::string();
        ++i;
    }
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder for temporary files: -t as given, else TMPDIR, else /tmp, else
// the current folder; always ending in '/'. A folder that does not exist is
// refused at once rather than failing later at extraction.
bool ChooseTempFolder(const std::string& currentFolder) {
    std::string& folder = g_run.tempFolder;
    if (folder.empty()) {
        const char* env = std::getenv("TMPDIR");
        for (const std::string& candidate : {std::string(env ? env : ""), std::string("/tmp"), currentFolder}) {
            if (IsFolder(candidate)) {
                folder = candidate;
                break;
            }
        }
    }
    if (!IsFolder(folder)) return false;
    if (folder.back() != '/') folder += '/';
    return true;
}

int StartUp(const std::vector<std::string>& args) {
    ResetRunState();
    if (args.size() < 3) {
        PrintUsage();
        return kExitDone;
    }
    ScanOptions(args);
    if (g_run.inputPath.empty() || g_run.outputPath.empty()) {
        ConsoleLine("\rError: inputfile or outputfile is not defined");
        ConsoleLine("");
        PrintUsage();
        return kExitNoPaths;
    }
    const std::string currentFolder = CurrentFolder();
    CompletePath(g_run.inputPath, currentFolder);
    CompletePath(g_run.outputPath, currentFolder);
    if (!ChooseTempFolder(currentFolder)) {
        ConsoleLine("Error: temp dir cannot be set");
        return kExitNoTempDir;
    }
    ResetConversionState();
    if (g_run.settingsPath.empty()) g_run.settingsPath = currentFolder + "/default_styles.sini";
    else CompletePath(g_run.settingsPath, currentFolder);
    ReadSettingsFile(g_run.settingsPath, g_settings, RunConsole());
    return RunConversion();
}

}  // namespace

int RunConverter(const std::vector<std::string>& args) {
    try {
        return StartUp(args);
    } catch (const RunExit& exit) {
        return exit.code;
    } catch (const std::exception& e) {
        ConsoleLine(std::string("\nError: ") + e.what());
        return kExitReadError;
    }
}

int RunConverter(int argc, char** argv) {
    return RunConverter(std::vector<std::string>(argv, argv + argc));
}

}  // namespace tavorin
