// Finding the books of a batch and choosing their output paths: a linear
// pass to collect, a sort for the report's order, a hash map for collisions,
// and a look at the header of each output that is newer than its book.
#include "app/batch_plan.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>
#include <unordered_map>

#include "archive/zip_archive.h"
#include "text/exit_codes.h"

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

bool IsNewer(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// The counts of an LRF file's header: its signature, then at byte 16 the
// number of entries of the object index and at byte 24 the index's offset.
// The index of 16-byte entries is the last thing in the file.
constexpr unsigned char kLrfSignature[8] = {'L', 0, 'R', 0, 'F', 0, 0, 0};
constexpr size_t kLrfCountsEnd = 32;
constexpr uint64_t kIndexEntryBytes = 16;

uint64_t ReadU64(const unsigned char* bytes) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

// A book the converter finished writing: a regular file with the LRF
// signature whose length is what its header says. An empty, truncated or
// foreign file is not one.
bool IsWholeLrf(const std::string& path, const struct stat& st) {
    if (!S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) < kLrfCountsEnd) return false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char head[kLrfCountsEnd];
    const bool read = pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head);
    close(fd);
    if (!read || !std::equal(std::begin(kLrfSignature), std::end(kLrfSignature), head)) return false;
    const uint64_t entries = ReadU64(head + 16), offset = ReadU64(head + 24);
    return entries < (uint64_t{1} << 40) && offset <= static_cast<uint64_t>(st.st_size) &&
           static_cast<uint64_t>(st.st_size) - offset == entries * kIndexEntryBytes;
}

// The key two outputs collide on: the path in lower case, as a FAT file
// system compares names (characters beyond ASCII by the C.UTF-8 locale).
std::string FoldedPath(const std::string& path) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    const locale_t previous = utf8 ? uselocale(utf8) : nullptr;  // for this thread's mbrtowc and wcrtomb
    std::string folded;
    folded.reserve(path.size());
    std::mbstate_t state{};
    for (size_t at = 0; at < path.size();) {
        wchar_t c = 0;
        const size_t length = utf8 ? mbrtowc(&c, path.data() + at, path.size() - at, &state) : 0;
        if (length == 0 || length > path.size() - at) {  // ASCII without a locale, or not UTF-8
            state = {};
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(path[at++])));
            continue;
        }
        char bytes[MB_LEN_MAX];
        std::mbstate_t out{};
        const size_t written = wcrtomb(bytes, static_cast<wchar_t>(towlower(static_cast<wint_t>(c))), &out);
        if (written == static_cast<size_t>(-1)) folded.append(path, at, length);
        else folded.append(bytes, written);
        at += length;
    }
    if (previous) uselocale(previous);
    return folded;
}

void AddUnreadable(const std::string& shownPath, const std::string& reason, BatchPlan& plan) {
    BatchBook book;
    book.shownPath = shownPath;
    book.result = BookResult::kUnreadable;
    book.exitCode = ExitNumber(kExitCannotOpenInput);
    book.message = reason;
    plan.books.push_back(std::move(book));
}

// The members of an archive as books: `shownPrefix` and `outputPrefix` put
// them under the archive's place in the library. Backslashes in member names
// are folder separators, as Windows tools write them.
void AddMembers(const std::string& archivePath, std::vector<ZipMember>& members, const std::string& shownPrefix,
                const std::string& outputPrefix, BatchPlan& plan) {
    for (ZipMember& member : members) {
        std::replace(member.name.begin(), member.name.end(), '\\', '/');
        BatchBook book;
        book.shownPath = shownPrefix + member.name;
        book.inputPath = archivePath;
        book.memberIndex = member.index;
        book.inputBytes = member.size;
        const fs::path name(member.name);
        if (!StaysInside(name)) {
            book.result = BookResult::kRefused;
            book.message = "name leads outside the output folder";
        } else if (!IsFb2Name(member.name)) {
            book.result = BookResult::kNotABook;
            book.message = "not an FB2 file by its name";
        } else {
            book.relativeOutput = outputPrefix + OutputName(name.lexically_normal().string(), kBookEndings[1].size());
        }
        plan.books.push_back(std::move(book));
    }
}

// The members of the zip when it holds more than one FB2 file; nothing for
// a one-book zip or one that cannot be read as a zip (its child reports why).
std::vector<ZipMember> SeveralBooks(const std::string& path, const std::string& nameEncoding) {
    try {
        ZipArchive archive;
        archive.SetArchiveName(path);
        archive.Open();
        std::vector<ZipMember> members = archive.ListFiles(nameEncoding);
        if (std::count_if(members.begin(), members.end(), [](const ZipMember& m) { return IsFb2Name(m.name); }) > 1) {
            return members;
        }
    } catch (const std::bad_alloc&) {
        throw;  // memory exhausted is no unreadable archive
    } catch (const std::exception&) {
    }
    return {};
}

// A symbolic link is listed but not followed; files that are no books by
// their name are listed as such; a file that cannot be opened is unreadable;
// a zip of several books is expanded into a folder of its own.
void AddFolderEntry(const BatchOptions& options, const fs::directory_entry& entry, const fs::path& root,
                    BatchPlan& plan) {
    std::error_code ec;
    BatchBook book;
    book.shownPath = entry.path().lexically_relative(root).string();
    book.inputPath = entry.path().string();
    const fs::file_status status = entry.symlink_status(ec);
    if (ec) return AddUnreadable(book.shownPath, ec.message(), plan);
    const size_t ending = BookEndingLength(book.shownPath);
    if (fs::is_symlink(status)) {
        book.result = BookResult::kNotABook;
        book.message = "symbolic link, not followed";
    } else if (!fs::is_regular_file(status)) {
        return;  // fifos, sockets, devices
    } else if (ending == 0) {
        book.result = BookResult::kNotABook;
        book.message = "not an FB2 file by its name";
        book.inputBytes = entry.file_size(ec);
    } else {
        const int fd = open(book.inputPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) return AddUnreadable(book.shownPath, std::strerror(errno), plan);
        close(fd);
        if (EndsWithNoCase(book.shownPath, kBookEndings[2])) {
            std::vector<ZipMember> members = SeveralBooks(book.inputPath, options.nameEncoding);
            if (!members.empty()) {
                const std::string stem = book.shownPath.substr(0, book.shownPath.size() - kBookEndings[2].size());
                return AddMembers(book.inputPath, members, book.shownPath + "/", stem + "/", plan);
            }
        }
        book.relativeOutput = OutputName(book.shownPath, ending);
        book.inputBytes = entry.file_size(ec);
    }
    plan.books.push_back(std::move(book));
}

// Walks the library folder by folder. A folder that cannot be listed is a
// row of its own; the library folder itself not opening ends the batch.
std::string PlanFolder(const BatchOptions& options, BatchPlan& plan) {
    const fs::path root = fs::absolute(options.inputPath).lexically_normal();
    std::error_code ec;
    const fs::path output = fs::weakly_canonical(options.outputFolder, ec);
    std::vector<fs::path> folders = {root};
    while (!folders.empty()) {
        const fs::path folder = std::move(folders.back());
        folders.pop_back();
        std::error_code listError;
        fs::directory_iterator it(folder, listError);
        if (listError && folder == root) return "Error: Cannot open input file: " + listError.message();
        for (const fs::directory_iterator end; !listError && it != end; it.increment(listError)) {
            const fs::directory_entry& entry = *it;
            if (!entry.is_directory(ec) || entry.is_symlink(ec)) {
                AddFolderEntry(options, entry, root, plan);
            } else if (!fs::equivalent(entry.path(), output, ec)) {  // an output folder inside is not part of it
                folders.push_back(entry.path());
            }
        }
        if (listError) AddUnreadable(folder.lexically_relative(root).string() + "/", listError.message(), plan);
    }
    return "";
}

std::string PlanArchive(const BatchOptions& options, BatchPlan& plan) {
    std::vector<ZipMember> members;
    try {
        ZipArchive archive;
        archive.SetArchiveName(options.inputPath);
        archive.Open();
        members = archive.ListFiles(options.nameEncoding);
    } catch (const std::bad_alloc&) {
        throw;  // memory exhausted is no unreadable archive
    } catch (const std::exception& e) {
        return std::string("Error: Cannot open input file: ") + e.what();
    }
    AddMembers(options.inputPath, members, "", "", plan);
    return "";
}

}  // namespace

bool IsFb2Name(std::string_view name) { return EndsWithNoCase(name, ".fb2"); }

bool HoldsSeveralBooks(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rbe");
    if (file == nullptr) return false;
    unsigned char head[4] = {};
    const bool zip = std::fread(head, 1, 4, file) == 4 && head[0] == 'P' && head[1] == 'K' && head[2] == 3 &&
                     head[3] == 4;
    std::fclose(file);
    return zip && !SeveralBooks(path, "").empty();
}

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
        const auto [it, inserted] = firstByOutput.emplace(FoldedPath(book.relativeOutput), i);
        if (inserted) continue;
        BatchBook& first = plan.books[it->second];
        book.result = BookResult::kCollision;
        book.message = "same output " + first.relativeOutput + " as " + first.shownPath;
        if (first.result != BookResult::kCollision) {
            first.result = BookResult::kCollision;
            first.message = "same output " + book.relativeOutput + " as " + book.shownPath;
        }
    }
    if (options.force) return;
    for (BatchBook& book : plan.books) {
        if (book.result != BookResult::kPending) continue;
        struct stat input {}, output {};
        const std::string outputPath = options.outputFolder + "/" + book.relativeOutput;
        if (stat(book.inputPath.c_str(), &input) != 0 || lstat(outputPath.c_str(), &output) != 0) continue;
        if (IsNewer(output.st_mtim, input.st_mtim) && IsWholeLrf(outputPath, output)) {
            book.result = BookResult::kUpToDate;
            book.message = "up to date";
        }
    }
}

}  // namespace tavorin
