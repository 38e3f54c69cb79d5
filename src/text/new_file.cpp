// A new file of a unique name with the mode of any new file.
#include "text/new_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace tavorin {

namespace {

// Random bits for a name: the kernel's, else the clock mixed with a counter
// (the name must only be unlikely to exist; O_EXCL makes it safe).
uint64_t NameBits() {
    uint64_t bits = 0;
    if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bits)) return bits;
    static std::atomic<uint64_t> counter{0};
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    bits = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30);
    return (bits ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
}

}  // namespace

int CreateNewFile(const std::string& prefix, std::string& path) {
    constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        path = prefix;
        uint64_t bits = NameBits();
        for (int i = 0; i < 8; ++i, bits /= 62) path += kLetters[bits % 62];
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace tavorin
