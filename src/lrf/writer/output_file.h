// Saving the book in one step while it is written piece by piece.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tavorin::lrf {

// A new file in the target's folder that the book's bytes go to as they are
// written; Commit renames it over the target, so the target is either the
// old file or the whole new one. A file that is not committed is removed.
// After any failure (the file cannot be created, the disk is full) further
// bytes are dropped and Commit fails, leaving no temporary file behind.
class AtomicOutputFile {
public:
    explicit AtomicOutputFile(const std::string& path);
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    void Append(std::span<const uint8_t> bytes);
    // Overwrites bytes already appended (the header, once the file is complete).
    void WriteAt(uint64_t offset, std::span<const uint8_t> bytes);
    // Flushes the file to disk and puts it in the target's place.
    bool Commit();

private:
    void Remove();

    std::string path_, temp_;
    int fd_ = -1;
    int slot_ = -1;  // the stop-signal registration of the temporary file
    bool ok_ = false;
};

}  // namespace tavorin::lrf
