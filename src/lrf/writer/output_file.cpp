// Atomic saving of the output file: temporary file written as the book is
// written, fsync, rename.
#include "lrf/writer/output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "text/new_file.h"
#include "text/stop_cleanup_registry.h"

namespace tavorin::lrf {

AtomicOutputFile::AtomicOutputFile(const std::string& path) : path_(path) {
    const size_t slash = path.rfind('/');
    // The book gets the mode of any newly created file, also when it replaces one.
    // A stop signal while the book is written removes the partial file.
    const StopSignalsHeld held;
    fd_ = CreateNewFile((slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".tavorin_c.",
                        temp_);
    if (fd_ >= 0) slot_ = AddStopCleanup({}, temp_);
    ok_ = fd_ >= 0;
}

AtomicOutputFile::~AtomicOutputFile() { Remove(); }

void AtomicOutputFile::Append(std::span<const uint8_t> bytes) {
    while (ok_ && !bytes.empty()) {
        const ssize_t n = write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok_ = false;
        else bytes = bytes.subspan(static_cast<size_t>(n));
    }
}

void AtomicOutputFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
    while (ok_ && !bytes.empty()) {
        const ssize_t n = pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok_ = false;
        } else {
            bytes = bytes.subspan(static_cast<size_t>(n));
            offset += static_cast<uint64_t>(n);
        }
    }
}

bool AtomicOutputFile::Commit() {
    if (fd_ < 0) return false;
    bool ok = ok_ && fsync(fd_) == 0;
    ok = close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && std::rename(temp_.c_str(), path_.c_str()) == 0;
    if (ok) temp_.clear();  // renamed: nothing left to remove
    ok_ = false;
    Remove();
    return ok;
}

void AtomicOutputFile::Remove() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!temp_.empty()) unlink(temp_.c_str());
    temp_.clear();
    DropStopCleanup(slot_);
    slot_ = -1;
}

}  // namespace tavorin::lrf
