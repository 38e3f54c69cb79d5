// Byte reader over a file opened for reading only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace tavorin {

// "File open error", "File seek error" or "File error".
struct EFileReader : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class TFileReader {
public:
    explicit TFileReader(const std::string& path);
    ~TFileReader();
    TFileReader(const TFileReader&) = delete;
    TFileReader& operator=(const TFileReader&) = delete;

    int64_t Position() const;
    void SetPosition(int64_t position);
    int64_t Size() const;
    // Returns the number of bytes read; 0 at the end of the file. A failing
    // read raises "File error" rather than passing for the end of the file.
    size_t Read(void* buffer, size_t count);
    bool EndOfFile() const { return Position() >= Size(); }

private:
    int fd_ = -1;
    int64_t size_ = 0;  // taken when the file is opened
    int64_t position_ = 0;
};

}  // namespace tavorin
