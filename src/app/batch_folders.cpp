// A batch's own folders, each with a lock file that tells whether its batch
// still runs.
#include "app/batch_folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace tavorin {

namespace {

constexpr char kLockName[] = "lock";
// The lock file is made under this name, locked, then renamed to its own:
// a "lock" that can be locked is never one that is about to be.
constexpr char kNewLockName[] = "lock.new";
// A folder without its lock file is one being made right now, or one whose
// batch was killed while it made it: only the second is this old.
constexpr time_t kLocklessAge = 60;

void RemoveAll(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

// True when the folder belongs to no running batch.
bool IsAbandoned(const std::string& folder, int& lockFd) {
    lockFd = open((folder + "/" + kLockName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (lockFd >= 0) return flock(lockFd, LOCK_EX | LOCK_NB) == 0;
    struct stat st {};
    return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && time(nullptr) - st.st_mtime > kLocklessAge;
}

}  // namespace

bool MakeBatchFolder(const std::string& parent, const char* prefix, BatchFolder& folder) {
    std::string pattern = parent + "/" + prefix + "XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return false;
    const std::string fresh = pattern + "/" + kNewLockName;
    const int fd = open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 || flock(fd, LOCK_EX) != 0 || std::rename(fresh.c_str(), (pattern + "/" + kLockName).c_str()) != 0) {
        if (fd >= 0) close(fd);
        RemoveAll(pattern);
        return false;
    }
    folder.path = std::move(pattern);
    folder.lockFd = fd;
    return true;
}

void RemoveBatchFolder(BatchFolder& folder) {
    if (!folder.path.empty()) RemoveAll(folder.path);
    if (folder.lockFd >= 0) close(folder.lockFd);
    folder = BatchFolder{};
}

void RemoveAbandonedFolders(const std::string& parent, const char* prefix) {
    DIR* dir = opendir(parent.c_str());
    if (dir == nullptr) return;
    const std::string_view wanted(prefix);
    while (const dirent* entry = readdir(dir)) {
        if (!std::string_view(entry->d_name).starts_with(wanted)) continue;
        const std::string folder = parent + "/" + entry->d_name;
        int lockFd = -1;
        if (IsAbandoned(folder, lockFd)) RemoveAll(folder);  // the lock is held meanwhile
        if (lockFd >= 0) close(lockFd);
    }
    closedir(dir);
}

}  // namespace tavorin
