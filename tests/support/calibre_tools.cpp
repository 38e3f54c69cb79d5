// Running lrf2lrs and ebook-meta and picking their answers apart.
#include "support/calibre_tools.h"

#include <sstream>

namespace tavorin::test {
namespace {

// The value of a "Name   : value" line of ebook-meta's report.
std::string ReportValue(const std::string& report, const std::string& name) {
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string key = line.substr(0, colon);
        while (!key.empty() && key.back() == ' ') key.pop_back();
        if (key != name) continue;
        std::string value = line.substr(colon + 1);
        const size_t first = value.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : value.substr(first);
    }
    return {};
}

}  // namespace

bool ToolFailed(const CommandResult& result) {
    return result.exitCode != 0 || result.output.find("Traceback") != std::string::npos ||
           result.output.find("Warning: corrupted") != std::string::npos;
}

CommandResult RunLrf2Lrs(const std::string& lrfPath, const std::string& lrsPath) {
    return RunCommand("lrf2lrs --dont-output-resources -o " + ShellQuote(lrsPath) + " " + ShellQuote(lrfPath));
}

EbookMeta RunEbookMeta(const std::string& lrfPath) {
    EbookMeta meta;
    meta.run = RunCommand("ebook-meta " + ShellQuote(lrfPath));
    meta.title = ReportValue(meta.run.output, "Title");
    meta.authors = ReportValue(meta.run.output, "Author(s)");
    return meta;
}

CommandResult RunGetCover(const std::string& lrfPath, const std::string& coverPath) {
    return RunCommand("ebook-meta " + ShellQuote(lrfPath) + " --get-cover=" + ShellQuote(coverPath));
}

}  // namespace tavorin::test
