// Set-up and read-back helpers of the body conversion tests.
#include "body_fixture.h"

#include <memory>

#include "fb2/body.h"
#include "fb2/notes.h"
#include "fb2/styles.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"
#include "support/content_notation.h"
#include "text/codecs.h"
#include "text/unicode_reader.h"

namespace tavorin::fb2::test {

void ConversionTest::DefineBookStyles() {
    settings = CompleteStyleTable(settings);
    cv.styles = DefineStyles(settings, store, console);
}

void BodyTest::OpenReader(const std::string& fb2) {
    const std::string path = scratch_.file("book.fb2");
    tavorin::test::WriteFileText(path, fb2);
    reader = std::make_unique<TUnicodeFileReader>(path, std::make_unique<TUTF8Codec>());
    cv.reader = reader.get();
}

void BodyTest::ConvertBodies(const std::string& fb2) {
    OpenReader(fb2);
    WString tag;
    while (ReadTag(*cv.reader, tag)) {
        if (Contains(tag, u"<body")) ConvertBody(cv, tag);
    }
}

TextContent Markup(WStringView notation, bool decoded) { return tavorin::test::ParseNotation(notation, decoded); }

std::string Notation(const TextContent& content) { return tavorin::test::ContentNotation(lrf::ViewOf(content)); }

std::vector<BlockView> BodyTest::TextBlocks() const {
    std::vector<BlockView> blocks;
    for (size_t i = 0; i < cv.store.textBlocks.size(); ++i) {
        const lrf::TextBlockRecord& record = cv.store.textBlocks[i];
        blocks.push_back({record.objid, record.textStyle, tavorin::test::BlockNotation(cv.store, i)});
    }
    return blocks;
}

}  // namespace tavorin::fb2::test
