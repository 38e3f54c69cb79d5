// The one way into the FB2 conversion: a whole document from an open reader
// into the object store, and the status of a description cut short.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fb2/document.h"
#include "lrf/store/object_store.h"
#include "support/test_util.h"
#include "text/codecs.h"
#include "text/exit_codes.h"

namespace tavorin::fb2 {
namespace {

struct DocumentRun {
    Status status;
    lrf::ObjectStore store;
};

DocumentRun Convert(const std::string& fb2) {
    tavorin::test::ScratchDir dir;
    const std::string path = dir.file("book.fb2");
    tavorin::test::WriteFileText(path, fb2);
    TUnicodeFileReader reader(path, std::make_unique<TUTF8Codec>());
    StringSink printed;
    Console console{printed};
    DocumentRun run;
    run.status = ConvertDocument(reader, BuiltInSettings(), run.store, console, {u"file title", 100});
    return run;
}

TEST(ConvertDocument, ReadsDescriptionAndBodiesAndClosesTheBook) {
    const DocumentRun run = Convert(
        "<FictionBook><description><title-info><book-title>Named</book-title></title-info></description>"
        "<body><section><p>Text</p></section></body></FictionBook>");
    EXPECT_TRUE(run.status.ok());
    EXPECT_NE(Narrow(run.store.bookInfoXml).find(">Named</Title>"), std::string::npos);
    EXPECT_FALSE(run.store.pages.empty());
    EXPECT_FALSE(run.store.textBlocks.empty());
}

TEST(ConvertDocument, DescriptionCutShortIsItsStatusAndNoPageIsMade) {
    const DocumentRun run = Convert("<FictionBook><description><title-info><book-title>Cut");
    EXPECT_EQ(run.status.code, kExitBadHeader);
    EXPECT_TRUE(run.store.pages.empty());
}

// A book without a description, or whose description names no title, is
// named by its first body's title, else by its file; the images after the
// bodies are still read.
TEST(ConvertDocument, EveryBookHasATitle) {
    const std::string body = "<body><title><p>Body</p><p>Title</p></title><section><p>Text</p></section></body>";
    const std::string image = "<binary id=\"i\" content-type=\"image/png\">iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJ"
                              "AAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5ErkJggg==</binary>";
    const struct {
        std::string fb2, title;
    } cases[] = {
        {"<FictionBook><body><section><p>Text</p></section></body>", "file title"},
        {"<FictionBook>" + body + image, "Body. Title"},
        {"<FictionBook><description><title-info><genre>g</genre></title-info></description>" + body + image,
         "Body. Title"},
        {"<FictionBook><description><title-info><book-title> </book-title></title-info></description>"
         "<body><title><p /></title><p>Text</p></body>" + image,
         "file title"},
    };
    for (const auto& c : cases) {
        const DocumentRun run = Convert(c.fb2 + "</FictionBook>");
        EXPECT_TRUE(run.status.ok()) << c.fb2;
        EXPECT_NE(Narrow(run.store.bookInfoXml).find(">" + c.title + "</Title>"), std::string::npos) << c.fb2;
        EXPECT_EQ(run.store.imageStreams.size(), c.fb2.find("<binary") != std::string::npos ? 1u : 0u) << c.fb2;
    }
}

}  // namespace
}  // namespace tavorin::fb2
