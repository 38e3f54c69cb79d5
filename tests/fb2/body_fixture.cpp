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
    stylesDefined_ = true;
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

std::string Notation(const TextContent& content, const lrf::ObjectStore* store) {
    return tavorin::test::ContentNotation(lrf::ViewOf(content), store);
}

std::string ConversionTest::BlockName(uint32_t block) const {
    for (const auto& [id, first] : cv.links.BlockOfId) {
        if (first == block) return "b#" + id;
    }
    return "b" + std::to_string(block);
}

std::string ConversionTest::Aim(size_t button) const {
    const ButtonAim& aim = cv.links.Aims.at(button);
    switch (aim.kind) {
        case ButtonAim::Kind::kBlock: return BlockName(aim.block);
        case ButtonAim::Kind::kFirstBlockOfId: return "b#" + aim.id;
        case ButtonAim::Kind::kNumberedTextBlock: return "b" + std::to_string(aim.block);
        case ButtonAim::Kind::kNone: break;
    }
    return {};
}

std::string ConversionTest::Target(size_t button) const {
    const uint32_t block = cv.store.buttons.at(button).block;
    return block == lrf::kNoRecord ? std::string() : BlockName(block);
}

std::vector<BlockView> BodyTest::TextBlocks() const {
    std::vector<BlockView> blocks;
    for (uint32_t n = 0; n < cv.store.blocks.size(); ++n) {
        const lrf::BlockRecord& block = cv.store.blocks[n];
        if (block.childKind != lrf::kKindTextBlock) continue;
        const uint32_t style = cv.store.textBlocks[block.child].textStyle;
        blocks.push_back({BlockName(n), style < cv.store.textStyles.size() ? cv.store.textStyles[style].styleLabel : "?",
                          tavorin::test::BlockNotation(cv.store, block.child)});
    }
    return blocks;
}

}  // namespace tavorin::fb2::test
