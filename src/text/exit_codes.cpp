// The messages of the exit codes and where on the console they are printed.
#include "text/exit_codes.h"

namespace tavorin {

namespace {

struct ExitEntry {
    ExitCode code;
    std::string_view text;    // followed by the detail of the status
    std::string_view before;  // written before the message: "\r" over the progress line, "\n" after it
    std::string_view after;   // written after it
};

constexpr ExitEntry kExitEntries[] = {
    {kExitDone, " DONE ", "\r", ""},
    {kExitNoPaths, "Error: inputfile or outputfile is not defined", "\r", "\n"},
    {kExitNoTempDir, "Error: temp dir cannot be set", "", "\n"},
    {kExitNoSettings, "Error: Cannot open style file:", "", "\n"},
    {kExitCannotOpenInput, "Error: Cannot open input file", "\n", "\n"},
    {kExitArchiveCount, "Error: More than 1 file in archive", "\n", "\n"},
    {kExitCannotExtract, "Error: Cannot extract file to TempDir\\forLRFconversion", "\n", "\n"},
    {kExitCannotOpenExtracted, "Error: Cannot open extracted file", "\n", "\n"},
    {kExitExtractedNotFb2, "Error: Extracted file is not fb2 file", "\n", "\n"},
    {kExitNotFb2, "Error: Not fb2 file", "\n", "\n"},
    {kExitBadHeader, "Error: Error in fb2 header", "\n", "\n"},
    {kExitCannotWriteOutput, "Cannot write outputfile:", "\r", "\n"},
    {kExitReadError, "Error: ", "\n", "\n"},
    {kExitBookTooLarge, "Error: Book too large for the LRF format: ", "\n", "\n"},
    {kExitCannotStart, "failed to start: ", "", "\n"},
};

const ExitEntry* EntryOf(ExitCode code) {
    for (const ExitEntry& entry : kExitEntries) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

}  // namespace

std::string ExitMessage(ExitCode code, std::string_view detail) {
    const ExitEntry* entry = EntryOf(code);
    if (!entry) return std::string(detail);
    std::string message(entry->text);
    message += detail;
    return message;
}

void PrintStatus(Console& console, const Status& status) {
    const ExitEntry* entry = EntryOf(status.code);
    std::string text(entry ? entry->before : "\n");
    text += status.message;
    text += entry ? entry->after : "\n";
    console.Write(text);
}

}  // namespace tavorin
