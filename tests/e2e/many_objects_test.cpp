// A book that needs more than 65,535 object ids (20,000 paragraphs, each with
// a note link, so each becomes its own block with a button pair). Object ids
// must not wrap around: the converter either refuses the book with a
// documented exit code or writes a sound one that holds every object.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/e2e_convert.h"
#include "support/lrf_check.h"
#include "support/test_util.h"

namespace tavorin::test {
namespace {

std::string ManyLinksBook(int paragraphs, int notes) {
    std::string book =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<FictionBook xmlns:l=\"http://www.w3.org/1999/xlink\"><description><title-info>"
        "<author><first-name>Ada</first-name><last-name>Quill</last-name></author>"
        "<book-title>Many Objects</book-title></title-info></description>\n<body><section><title><p>One</p></title>\n";
    for (int i = 0; i < paragraphs; ++i) {
        const std::string note = std::to_string(i % notes);
        book += "<p>Paragraph " + std::to_string(i) + " with a note<a l:href=\"#n" + note + "\" type=\"note\">[" +
                note + "]</a>.</p>\n";
    }
    book += "</section></body>\n<body name=\"notes\">";
    for (int i = 0; i < notes; ++i)
        book += "<section id=\"n" + std::to_string(i) + "\"><p>Note " + std::to_string(i) + ".</p></section>";
    return book + "</body></FictionBook>\n";
}

TEST(ManyObjectsTest, IdsDoNotWrapAround) {
    ScratchDir dir;
    const std::string input = dir.file("many.fb2");
    const std::string output = dir.file("many.lrf");
    WriteFileText(input, ManyLinksBook(20000, 50));

    const CommandResult run = ConvertWithExe(input, output, dir.path().string(), dir.file("tmp"));
    ASSERT_TRUE(IsDocumentedExitCode(run.exitCode)) << run.output;
    if (run.exitCode != 0) {
        EXPECT_FALSE(std::filesystem::exists(output)) << "a refused book must not be written";
        return;
    }
    const std::vector<uint8_t> bytes = ReadFileBytes(output);
    EXPECT_GT(ReadLrf(bytes).objectCount, 65535u) << "the book should need more than 65,535 ids";
    std::string problems;
    for (const auto& problem : CheckLrfStructure(bytes)) problems += "\n  " + problem;
    EXPECT_TRUE(problems.empty()) << "the book's structure is broken:" << problems;
}

}  // namespace
}  // namespace tavorin::test
