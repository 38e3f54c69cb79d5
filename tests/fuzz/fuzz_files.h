// A private folder for the fuzz targets that work on files: one per process,
// made on first use under the system's temporary folder and removed at exit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace tavorin::fuzz {

// Removes the folder when the process ends normally.
class PrivateFolderOwner {
public:
    PrivateFolderOwner() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavorin_fuzz_XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~PrivateFolderOwner() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline const std::string& PrivateFolder() {
    static const PrivateFolderOwner folder;
    return folder.path();
}

// Writes the bytes to `name` inside the private folder and returns its path.
inline std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = PrivateFolder() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}

}  // namespace tavorin::fuzz
