// Finding the books of a batch and choosing their output paths: a linear
// pass to collect, a sort for the report's order, a hash map for collisions.
#include "app/batch_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "archive/zip_archive.h"

namespace tavorin {

namespace fs = std::filesystem;

namespace {

// Book file names by their ending (compared in any case), longest first, and
// what replaces the ending in the output name.
constexpr std::string_view kBookEndings[] = {".fb2.zip", ".fb2", ".zip"};
constexpr std::string_view kOutputEnding = ".lrf";

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) return false;
    const std::string_view tail = text.substr(text.size() - ending.size());
    return std::equal(tail.begin(), tail.end(), ending.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

// Length of the book ending of the name; 0 when the name is no book's.
size_t BookEndingLength(std::string_view name) {
    for (const std::string_view ending : kBookEndings) {
        if (EndsWithNoCase(name, ending)) return ending.size();
    }
    return 0;
}

std::string OutputName(const std::string& relative, size_t endingLength) {
    return relative.substr(0, relative.size() - endingLength) + std::string(kOutputEnding);
}

// A member name may only name a place inside the output folder: not
// absolute and without a ".." component (checked before normalising, so that
// "a/../../b" is refused too).
bool StaysInside(const fs::path& name) {
    if (name.empty() || name.is_absolute() || name.has_root_name()) return false;
    return std::none_of(name.begin(), name.end(), [](const fs::path& part) { return part == ".."; });
}

struct timespec ModificationTime(const std::string& path, bool& exists) {
    struct stat st {};
    exists = stat(path.c_str(), &st) == 0;
    return st.st_mtim;
}

bool IsNewer(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// A symbolic link is listed but not followed; files that are no books by
// their name are listed as such.
void AddFolderEntry(const fs::directory_entry& entry, const fs::path& root, BatchPlan& plan) {
    std::error_code ec;
    BatchBook book;
    book.shownPath = entry.path().lexically_relative(root).string();
    book.inputPath = entry.path().string();
    const fs::file_status status = entry.symlink_status(ec);
    if (ec || fs::is_directory(status)) return;
    if (fs::is_symlink(status)) {
        book.result = BookResult::kNotABook;
        book.message = "symbolic link, not followed";
    } else if (!fs::is_regular_file(status)) {
        return;  // fifos, sockets, devices
    } else if (const size_t ending = BookEndingLength(book.shownPath); ending == 0) {
        book.result = BookResult::kNotABook;
        book.message = "not an FB2 file by its name";
        book.inputBytes = entry.file_size(ec);
    } else {
        book.relativeOutput = OutputName(book.shownPath, ending);
        book.inputBytes = entry.file_size(ec);
    }
    plan.books.push_back(std::move(book));
}

std::string PlanFolder(const BatchOptions& options, BatchPlan& plan) {
    const fs::path root = fs::absolute(options.inputPath).lexically_normal();
    std::error_code ec;
    const fs::path output = fs::weakly_canonical(options.outputFolder, ec);
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    if (ec) return "Error: Cannot open input file";
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
        if (ec) return "Error: Cannot read the library folder: " + ec.message();
        const fs::directory_entry& entry = *it;
        // An output folder inside the library is not part of it.
        if (entry.is_directory(ec) && !entry.is_symlink(ec) && fs::equivalent(entry.path(), output, ec)) {
            it.disable_recursion_pending();
            continue;
        }
        AddFolderEntry(entry, root, plan);
    }
    return "";
}

std::string PlanArchive(const BatchOptions& options, BatchPlan& plan) {
    plan.fromArchive = true;
    std::vector<ZipMember> members;
    try {
        ZipArchive archive;
        archive.SetArchiveName(options.inputPath);
        archive.Open();
        members = archive.ListFiles();
    } catch (const std::exception&) {
        return "Error: Cannot open input file";
    }
    for (ZipMember& member : members) {
        BatchBook book;
        book.shownPath = std::move(member.name);
        book.memberIndex = member.index;
        book.inputBytes = member.size;
        const fs::path name(book.shownPath);
        if (!StaysInside(name)) {
            book.result = BookResult::kRefused;
            book.message = "name leads outside the output folder";
        } else if (!IsFb2Name(book.shownPath)) {
            book.result = BookResult::kNotABook;
            book.message = "not an FB2 file by its name";
        } else {
            book.relativeOutput = OutputName(name.lexically_normal().string(), kBookEndings[1].size());
        }
        plan.books.push_back(std::move(book));
    }
    return "";
}

}  // namespace

bool IsFb2Name(std::string_view name) { return EndsWithNoCase(name, ".fb2"); }

std::string PlanBooks(const BatchOptions& options, BatchPlan& plan) {
    std::error_code ec;
    const std::string message = fs::is_directory(options.inputPath, ec) ? PlanFolder(options, plan)
                                                                        : PlanArchive(options, plan);
    std::stable_sort(plan.books.begin(), plan.books.end(),
                     [](const BatchBook& a, const BatchBook& b) { return a.shownPath < b.shownPath; });
    return message;
}

void ResolveOutputs(const BatchOptions& options, BatchPlan& plan) {
    std::unordered_map<std::string, size_t> firstByOutput;
    firstByOutput.reserve(plan.books.size());
    for (size_t i = 0; i < plan.books.size(); ++i) {
        BatchBook& book = plan.books[i];
        if (book.result != BookResult::kPending) continue;
        const auto [it, inserted] = firstByOutput.emplace(book.relativeOutput, i);
        if (inserted) continue;
        BatchBook& first = plan.books[it->second];
        book.result = BookResult::kCollision;
        book.message = "same output " + book.relativeOutput + " as " + first.shownPath;
        if (first.result != BookResult::kCollision) {
            first.result = BookResult::kCollision;
            first.message = "same output " + first.relativeOutput + " as " + book.shownPath;
        }
    }
    if (options.force) return;
    bool exists = false;
    const struct timespec archiveTime = ModificationTime(options.inputPath, exists);
    for (BatchBook& book : plan.books) {
        if (book.result != BookResult::kPending) continue;
        const struct timespec bookTime = plan.fromArchive ? archiveTime : ModificationTime(book.inputPath, exists);
        const struct timespec outputTime = ModificationTime(options.outputFolder + "/" + book.relativeOutput, exists);
        if (exists && IsNewer(outputTime, bookTime)) {
            book.result = BookResult::kUpToDate;
            book.message = "up to date";
        }
    }
}

}  // namespace tavorin
