// The choice of the folder for temporary files.
#include "app/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace tavorin {

namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string CurrentFolder() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

}  // namespace

std::optional<std::string> ChooseTempFolder(std::string folder) {
    if (folder.empty()) {
        const char* env = std::getenv("TMPDIR");
        for (const std::string& candidate : {std::string(env ? env : ""), std::string("/tmp"), CurrentFolder()}) {
            if (IsFolder(candidate)) {
                folder = candidate;
                break;
            }
        }
    }
    if (!IsFolder(folder)) return std::nullopt;
    if (folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace tavorin
