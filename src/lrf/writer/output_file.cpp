// Atomic saving of the output file: temporary file, fsync, rename.
#include "lrf/writer/output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "text/new_file.h"
#include "text/stop_cleanup_registry.h"

namespace tavorin::lrf {

namespace {

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

bool SaveFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    const size_t slash = path.rfind('/');
    // The book gets the mode of any newly created file, also when it replaces one.
    std::string temp;
    int fd = -1, slot = -1;
    {
        // A stop signal while the book is written removes the partial file.
        const StopSignalsHeld held;
        fd = CreateNewFile((slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + ".tavorin_c.",
                           temp);
        if (fd >= 0) slot = AddStopCleanup({}, temp);
    }
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
    DropStopCleanup(slot);
    return ok;
}

}  // namespace tavorin::lrf
