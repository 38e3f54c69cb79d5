// Read access to a zip archive, on libzip: open it, count or list its files,
// extract the single one (one-book archives) or any one by its index (the
// many-book archives of a batch).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct zip;  // libzip's archive handle

namespace tavorin {

// Any failure of the archive: missing or damaged archive, unreadable member,
// extracted file that cannot be created or written in full.
struct ArchiveError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A member larger than the archive's member limit, by its declared size or
// by what it inflated to before its extraction was stopped, or one that
// inflates to more than it declares. Nothing of it is kept.
struct MemberTooLarge : ArchiveError {
    using ArchiveError::ArchiveError;
};

// The default member limit: far above any real book (FB2 files with all their
// images stay under a few hundred MB), far below what a zip bomb inflates to.
inline constexpr uint64_t kDefaultMemberLimit = uint64_t{1} << 30;

// A file of the archive: its index among the entries, its name in UTF-8
// (not checked: it may be absolute, hold ".." or backslashes), its
// uncompressed size.
struct ZipMember {
    int64_t index = 0;
    std::string name;
    uint64_t size = 0;
};

// True when `encoding` is a code page the system's converter can decode names from.
bool IsKnownNameEncoding(const std::string& encoding);

class ZipArchive {
public:
    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Folder that ExtractSingle (file name) creates its file in; ends in '/'.
    void SetFolder(std::string folder);
    void SetArchiveName(std::string path);
    // The most bytes a member may hold (0 for no limit). Extraction refuses a
    // member that declares more, and stops one that inflates to more than
    // the limit or than it declares (a declared size may lie), throwing
    // MemberTooLarge.
    void SetMemberLimit(uint64_t bytes);

    void Open();
    // Number of files in the archive, in all its folders; folder entries do
    // not count.
    int64_t CountFiles();
    // Writes the whole content of the first file of the archive to `fd`.
    void ExtractSingle(int fd);
    // Creates the file `fileName` in the folder, exclusively and never
    // through a link, readable by its owner only, and extracts the first file
    // of the archive into it. Returns its path; a failure leaves no file.
    std::string ExtractSingle(std::string_view fileName);
    // The files of the archive in entry order; folder entries are left out.
    // A name flagged UTF-8, or valid UTF-8, is taken as it is; any other is
    // decoded from CP437, the zip standard's code page, or from
    // `legacyEncoding` when that names a code page (iconv's names: "cp866").
    std::vector<ZipMember> ListFiles(const std::string& legacyEncoding = {});
    // Writes the whole content of the entry `index` to `fd`.
    void ExtractMember(int64_t index, int fd);
    // As ExtractSingle (file name), for the entry `index`.
    std::string ExtractMember(int64_t index, std::string_view fileName);
    void Close();

private:
    zip& Archive() const;

    std::string folder_;
    std::string name_;
    uint64_t memberLimit_ = kDefaultMemberLimit;
    zip* archive_ = nullptr;
};

}  // namespace tavorin
