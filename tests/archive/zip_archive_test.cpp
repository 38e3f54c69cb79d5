// Tests of the zip archive reader: counting files, extracting the single
// file, damaged archives and unsafe or failing targets.
#include "archive/zip_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_util.h"
#include "support/zip_maker.h"

namespace tavorin {
namespace {

using test::ReadFileBytes;
using test::ReadFileText;
using test::ScratchDir;
using test::WriteFileBytes;
using test::WriteFileText;

using test::MakeZip;

std::string BookText(size_t lines) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook>\n";
    for (size_t i = 0; i < lines; ++i) text += "<p>Line " + std::to_string(i * 7919 % 100003) + "</p>\n";
    return text + "</FictionBook>\n";
}

TEST(ZipArchive, CountsFilesInAllFoldersButNotFolders) {
    ScratchDir dir;
    const std::string path = dir.file("book.zip");
    MakeZip(path, {{"a.fb2", "x"}, {"dir/", ""}, {"dir/b.fb2", "y"}, {"dir/sub/", ""}});
    ZipArchive archive;
    archive.SetArchiveName(path);
    archive.Open();
    EXPECT_EQ(archive.CountFiles(), 2);

    MakeZip(path, {{"only-a-folder/", ""}});
    archive.Open();
    EXPECT_EQ(archive.CountFiles(), 0);
}

TEST(ZipArchive, ExtractsTheFileInsideAFolderInFull) {
    ScratchDir dir;
    const std::string path = dir.file("book.zip");
    const std::string book = BookText(20000);  // several read buffers
    MakeZip(path, {{"books/", ""}, {"books/book.fb2", book}});

    ZipArchive archive;
    archive.SetFolder(dir.path().string() + "/");
    archive.SetArchiveName(path);
    archive.Open();
    const std::string extracted = archive.ExtractSingle("out");
    archive.Close();

    EXPECT_EQ(extracted, dir.file("out"));
    EXPECT_EQ(ReadFileText(extracted), book);
    struct stat st {};
    ASSERT_EQ(stat(extracted.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A many-book archive: its files listed with names as stored (unsafe ones
// included) and sizes, and any one of them extracted by its index.
TEST(ZipArchive, ListsFilesAndExtractsEachByIndex) {
    ScratchDir dir;
    const std::string path = dir.file("library.zip");
    const std::string second = BookText(3000);
    MakeZip(path, {{"a/", ""}, {"a/one.fb2", "first"}, {"../up.fb2", second}, {"note.txt", ""}});
    ZipArchive archive;
    archive.SetFolder(dir.path().string() + "/");
    archive.SetArchiveName(path);
    archive.Open();
    const std::vector<ZipMember> files = archive.ListFiles();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].name, "a/one.fb2");
    EXPECT_EQ(files[0].size, 5u);
    EXPECT_EQ(files[1].name, "../up.fb2");
    EXPECT_EQ(files[1].size, second.size());
    EXPECT_EQ(files[2].name, "note.txt");
    EXPECT_EQ(ReadFileText(archive.ExtractMember(files[1].index, "second")), second);
    EXPECT_EQ(ReadFileText(archive.ExtractMember(files[0].index, "first")), "first");
    EXPECT_EQ(ReadFileText(archive.ExtractMember(files[2].index, "third")), "");
}

TEST(ZipArchive, DamagedOrMissingArchivesRaiseErrors) {
    ScratchDir dir;
    const std::string good = dir.file("good.zip");
    MakeZip(good, {{"book.fb2", BookText(200)}});
    const std::vector<uint8_t> bytes = ReadFileBytes(good);

    // The end of the central directory cut off.
    const std::string truncated = dir.file("truncated.zip");
    WriteFileBytes(truncated, {bytes.begin(), bytes.end() - 30});
    const std::string notZip = dir.file("text.zip");
    WriteFileText(notZip, "PK\3\4 but nothing of a zip archive follows these words at all");

    for (const std::string& path : {dir.file("missing.zip"), truncated, notZip}) {
        ZipArchive archive;
        archive.SetArchiveName(path);
        EXPECT_THROW(
            {
                archive.Open();
                archive.CountFiles();
            },
            ArchiveError)
            << path;
    }

    ZipArchive unopened;
    EXPECT_THROW(unopened.CountFiles(), ArchiveError);
}

TEST(ZipArchive, CorruptMemberDataLeavesNoFile) {
    ScratchDir dir;
    const std::string path = dir.file("corrupt.zip");
    MakeZip(path, {{"book.fb2", BookText(2000)}});
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    for (size_t i = 100; i < 400; ++i) bytes[i] ^= 0x5A;  // inside the deflated data
    WriteFileBytes(path, bytes);

    ZipArchive archive;
    archive.SetFolder(dir.path().string() + "/");
    archive.SetArchiveName(path);
    archive.Open();
    EXPECT_EQ(archive.CountFiles(), 1);
    EXPECT_THROW(archive.ExtractSingle("out"), ArchiveError);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

TEST(ZipArchive, NeverWritesThroughAPlantedFileOrLink) {
    ScratchDir dir;
    const std::string path = dir.file("book.zip");
    MakeZip(path, {{"book.fb2", "content"}});
    const std::string victim = dir.file("victim");
    WriteFileText(victim, "keep me");
    ASSERT_EQ(symlink(victim.c_str(), dir.file("link").c_str()), 0);
    WriteFileText(dir.file("plain"), "old");

    ZipArchive archive;
    archive.SetFolder(dir.path().string() + "/");
    archive.SetArchiveName(path);
    archive.Open();
    EXPECT_THROW(archive.ExtractSingle("link"), ArchiveError);
    EXPECT_THROW(archive.ExtractSingle("plain"), ArchiveError);
    EXPECT_EQ(ReadFileText(victim), "keep me");
    EXPECT_EQ(ReadFileText(dir.file("plain")), "old");
}

TEST(ZipArchive, ShortWriteIsAnError) {
    ScratchDir dir;
    const std::string path = dir.file("book.zip");
    MakeZip(path, {{"book.fb2", BookText(100)}});
    const int full = open("/dev/full", O_WRONLY);
    if (full < 0) GTEST_SKIP() << "no /dev/full";
    ZipArchive archive;
    archive.SetArchiveName(path);
    archive.Open();
    EXPECT_THROW(archive.ExtractSingle(full), ArchiveError);
    close(full);
}

}  // namespace
}  // namespace tavorin
