// Read access to a zip archive on libzip: open, count the files, extract the
// single file into a stream or a freshly created file.
#include "archive/zip_archive.h"

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace tavorin {

namespace {

std::string LibzipMessage(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string message = zip_error_strerror(&error);
    zip_error_fini(&error);
    return message;
}

ArchiveError ReadError(zip& archive) {
    return ArchiveError(std::string("Cannot read archive: ") + zip_strerror(&archive));
}

zip_int64_t EntryCount(zip& archive) {
    const zip_int64_t entries = zip_get_num_entries(&archive, 0);
    if (entries < 0) throw ReadError(archive);
    return entries;
}

std::string_view EntryName(zip& archive, zip_int64_t index) {
    const char* name = zip_get_name(&archive, static_cast<zip_uint64_t>(index), 0);
    if (name == nullptr) throw ReadError(archive);
    return name;
}

// Entries whose name ends in '/' (or '\\', as Windows tools write them) are
// folders; every other entry is a file, whatever folder it lies in.
bool IsFolderEntry(std::string_view name) { return !name.empty() && (name.back() == '/' || name.back() == '\\'); }

// A converter from one code page to UTF-8, closed with the object.
struct NameDecoder {
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    explicit NameDecoder(const std::string& encoding) {
        if (!encoding.empty()) cd = iconv_open("UTF-8", encoding.c_str());
    }
    ~NameDecoder() {
        if (Valid()) iconv_close(cd);
    }
    NameDecoder(const NameDecoder&) = delete;
    NameDecoder& operator=(const NameDecoder&) = delete;
    bool Valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

// The name decoded by `decoder`; empty when a byte has no character there.
std::string Decode(NameDecoder& decoder, std::string_view raw) {
    std::string in(raw), out(raw.size() * 4 + 4, '\0');
    char* from = in.data();
    char* to = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    iconv(decoder.cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(decoder.cd, &from, &inLeft, &to, &outLeft) == static_cast<size_t>(-1)) return "";
    out.resize(out.size() - outLeft);
    return out;
}

// libzip decodes a name that is neither flagged UTF-8 nor valid UTF-8 from
// CP437; then, and only then, the raw name is decoded from the legacy code
// page instead.
std::string MemberName(zip& archive, zip_int64_t index, NameDecoder& legacy) {
    const std::string guessed(EntryName(archive, index));
    if (!legacy.Valid()) return guessed;
    const char* raw = zip_get_name(&archive, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW);
    if (raw == nullptr || guessed == raw) return guessed;
    const std::string decoded = Decode(legacy, raw);
    return decoded.empty() ? guessed : decoded;
}

// Writes all of the bytes; a short write (disk full) is a failure, not a
// truncated file.
void WriteAll(int fd, const char* bytes, size_t count) {
    while (count > 0) {
        const ssize_t written = write(fd, bytes, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            throw ArchiveError(std::string("Cannot write extracted file: ") +
                               (written < 0 ? std::strerror(errno) : "nothing written"));
        }
        bytes += written;
        count -= static_cast<size_t>(written);
    }
}

// Closes a member of the archive on every way out of the extraction.
struct MemberCloser {
    void operator()(zip_file_t* member) const { zip_fclose(member); }
};

// Index of the first entry that is a file; -1 when there is none.
int64_t FirstFileIndex(zip& archive) {
    const zip_int64_t entries = EntryCount(archive);
    for (zip_int64_t i = 0; i < entries; ++i) {
        if (!IsFolderEntry(EntryName(archive, i))) return i;
    }
    return -1;
}

// "... more than the member limit of 1024 MB"; the limit in whole MB when it is one.
MemberTooLarge TooLarge(uint64_t limit, std::string_view how) {
    constexpr uint64_t kMB = uint64_t{1} << 20;
    const std::string size = limit % kMB == 0 ? std::to_string(limit / kMB) + " MB" : std::to_string(limit) + " bytes";
    return MemberTooLarge("the member " + std::string(how) + " more than the member limit of " + size);
}

// A member that declares more than the limit is refused before a byte of it
// is inflated. Returns the size it declares, the most it may inflate to:
// libzip would only find a member that inflates to more damaged at its end.
uint64_t CheckDeclaredSize(zip& archive, int64_t index, uint64_t limit) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(&archive, static_cast<zip_uint64_t>(index), 0, &st) != 0) throw ReadError(archive);
    if (!(st.valid & ZIP_STAT_SIZE)) return UINT64_MAX;
    if (limit != 0 && st.size > limit) throw TooLarge(limit, "declares");
    return st.size;
}

}  // namespace

ZipArchive::~ZipArchive() { Close(); }

void ZipArchive::SetFolder(std::string folder) { folder_ = std::move(folder); }

void ZipArchive::SetArchiveName(std::string path) { name_ = std::move(path); }

void ZipArchive::SetMemberLimit(uint64_t bytes) { memberLimit_ = bytes; }

void ZipArchive::Open() {
    Close();
    int code = 0;
    archive_ = zip_open(name_.c_str(), ZIP_RDONLY, &code);
    if (archive_ == nullptr) throw ArchiveError("Cannot open archive " + name_ + ": " + LibzipMessage(code));
}

zip& ZipArchive::Archive() const {
    if (archive_ == nullptr) throw ArchiveError("Archive is not open");
    return *archive_;
}

int64_t ZipArchive::CountFiles() {
    zip& archive = Archive();
    int64_t files = 0;
    const zip_int64_t entries = EntryCount(archive);
    for (zip_int64_t i = 0; i < entries; ++i) {
        if (!IsFolderEntry(EntryName(archive, i))) ++files;
    }
    return files;
}

void ZipArchive::ExtractSingle(int fd) {
    const int64_t index = FirstFileIndex(Archive());
    if (index < 0) throw ArchiveError("Archive holds no file");
    ExtractMember(index, fd);
}

std::string ZipArchive::ExtractSingle(std::string_view fileName) {
    const int64_t index = FirstFileIndex(Archive());
    if (index < 0) throw ArchiveError("Archive holds no file");
    return ExtractMember(index, fileName);
}

bool IsKnownNameEncoding(const std::string& encoding) { return NameDecoder(encoding).Valid(); }

std::vector<ZipMember> ZipArchive::ListFiles(const std::string& legacyEncoding) {
    zip& archive = Archive();
    NameDecoder legacy(legacyEncoding);
    std::vector<ZipMember> files;
    const zip_int64_t entries = EntryCount(archive);
    for (zip_int64_t i = 0; i < entries; ++i) {
        const std::string_view name = EntryName(archive, i);
        if (IsFolderEntry(name)) continue;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(&archive, static_cast<zip_uint64_t>(i), 0, &st) != 0) throw ReadError(archive);
        files.push_back({i, MemberName(archive, i, legacy), (st.valid & ZIP_STAT_SIZE) ? st.size : 0});
    }
    return files;
}

void ZipArchive::ExtractMember(int64_t index, int fd) {
    zip& archive = Archive();
    const uint64_t declared = CheckDeclaredSize(archive, index, memberLimit_);
    const std::unique_ptr<zip_file_t, MemberCloser> member(
        zip_fopen_index(&archive, static_cast<zip_uint64_t>(index), 0));
    if (!member) throw ArchiveError(std::string("Cannot open archive member: ") + zip_strerror(&archive));
    std::vector<char> buffer(1 << 16);
    for (uint64_t total = 0;;) {
        // libzip checks the CRC once the member is read to its end.
        const zip_int64_t read = zip_fread(member.get(), buffer.data(), buffer.size());
        if (read < 0) {
            throw ArchiveError(std::string("Cannot read archive member: ") +
                               zip_error_strerror(zip_file_get_error(member.get())));
        }
        if (read == 0) break;
        total += static_cast<uint64_t>(read);
        if (memberLimit_ != 0 && total > memberLimit_) throw TooLarge(memberLimit_, "inflates to");
        if (total > declared) {
            throw MemberTooLarge("the member inflates to more than the " + std::to_string(declared) +
                                 " bytes it declares");
        }
        WriteAll(fd, buffer.data(), static_cast<size_t>(read));
    }
}

std::string ZipArchive::ExtractMember(int64_t index, std::string_view fileName) {
    CheckDeclaredSize(Archive(), index, memberLimit_);  // before a file is made
    const std::string path = folder_ + std::string(fileName);
    // O_EXCL with O_NOFOLLOW: a file or link planted under this name is
    // never opened or followed.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) throw ArchiveError("Cannot create " + path + ": " + std::strerror(errno));
    try {
        ExtractMember(index, fd);
    } catch (const ArchiveError&) {
        close(fd);
        unlink(path.c_str());
        throw;
    }
    if (close(fd) != 0) {
        const std::string reason = std::strerror(errno);
        unlink(path.c_str());
        throw ArchiveError("Cannot write " + path + ": " + reason);
    }
    return path;
}

void ZipArchive::Close() {
    if (archive_ == nullptr) return;
    zip_discard(archive_);  // opened read-only: nothing to write back
    archive_ = nullptr;
}

}  // namespace tavorin
