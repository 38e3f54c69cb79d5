// Byte reader over a file opened for reading only: positioned reads with
// 64-bit offsets, so no seek is ever needed between reads.
#include "text/file_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavorin {

TFileReader::TFileReader(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw EFileReader("File open error");
    struct stat info {};
    // Only regular files: a folder opens on POSIX but cannot be read, and a
    // pipe has neither a size nor positions.
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        throw EFileReader("File open error");
    }
    size_ = info.st_size;
}

TFileReader::~TFileReader() { ::close(fd_); }

int64_t TFileReader::Position() const { return position_; }

void TFileReader::SetPosition(int64_t position) {
    if (position < 0) throw EFileReader("File seek error");
    position_ = position;
}

int64_t TFileReader::Size() const { return size_; }

size_t TFileReader::Read(void* buffer, size_t count) {
    if (count == 0 || position_ >= size_) return 0;
    ssize_t got;
    do {
        got = ::pread(fd_, buffer, count, position_);
    } while (got < 0 && errno == EINTR);
    if (got < 0) throw EFileReader("File error");
    position_ += got;
    return static_cast<size_t>(got);
}

}  // namespace tavorin
