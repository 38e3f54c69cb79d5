// Writing small zip archives for tests, with libzip.
#include "support/zip_maker.h"

#include <gtest/gtest.h>
#include <zip.h>

namespace tavorin::test {

void MakeZip(const std::string& path, const ZipEntries& entries) {
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(archive, nullptr);
    for (const auto& [name, content] : entries) {
        if (name.ends_with('/')) {
            ASSERT_GE(zip_dir_add(archive, name.c_str(), 0), 0);
            continue;
        }
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        ASSERT_GE(zip_file_add(archive, name.c_str(), source, 0), 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

}  // namespace tavorin::test
