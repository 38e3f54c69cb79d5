// The FB2 document pass by pass: the styles, the description, the images and
// the thumbnail, then (from the start again) the cover, the title pages, every
// body, and the book-wide elements that follow the last body.
#include "fb2/document.h"

#include "fb2/binaries.h"
#include "fb2/block_emitter.h"
#include "fb2/conversion.h"
#include "fb2/fb2_tag.h"
#include "fb2/title_page.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "lrf/tags/tag_table.h"
#include "text/exit_codes.h"

namespace tavorin::fb2 {
namespace {

constexpr lrf::BookHeaderSettings kBookSetting{
    .bindingDirection = lrf::kBindingLeftToRight, .dpi = 1600, .screenWidth = 584, .screenHeight = 754, .colorDepth = 24};
// The book's default text attributes. The emphasis dots have a font of their
// own, so their tag carries the full stop and the dots code goes unwritten.
const lrf::TagValue kBookDefaults[] = {
    {lrf::Tag::kRubyAlignAndAdjust, lrf::kRubyAlignStart + lrf::kRubyAdjustNone},
    {lrf::Tag::kRubyOverhang, lrf::kRubyOverhangNone},
    {lrf::Tag::kEmpDotsPosition, lrf::kPositionBefore},
    {lrf::Tag::kEmpDotsFontName, 0, u"Dutch801 Rm BT Roman"},
    {lrf::Tag::kEmpDotsCode, 0x2e},
    {lrf::Tag::kEmpLinePosition, lrf::kPositionBefore},
    {lrf::Tag::kEmpLineType, lrf::kLineSolid},
    {lrf::Tag::kSetWaitProp, lrf::kWaitNoReplay},
};

void ConvertBodies(Conversion& cv) {
    WString tag;
    while (ReadTag(*cv.reader, tag)) {
        const Fb2Tag parsed = ParseFb2Tag(tag);
        if (parsed.name == u"body" && parsed.form == TagForm::Start) ConvertBody(cv, tag);
    }
}

// The book-wide elements that follow the last body.
void AddClosingElements(Conversion& cv) {
    ResolveAnchors(cv.links, cv.store, cv.console);
    TextContent& page = cv.description.DescriptionPage;
    InsertMarks(page, 0, {TextCode::kParagraph});
    page.Mark(TextCode::kParagraphEnd);
    EmitDescriptionPage(cv);
    lrf::ApplyBookSetting(cv.store, kBookSetting);
    lrf::BuildBookDefaults(cv.store, cv.console, kBookDefaults);
    cv.store.bookInfoXml = cv.description.BookInfoXml;
    cv.store.deviceCharacters = cv.settings.General.DeviceCharacters != 0;
    RegisterTocEntries(cv.contents, cv.store);
}

}  // namespace

Status ConvertDocument(TUnicodeFileReader& reader, const ConversionSettings& settings, lrf::ObjectStore& store,
                       Console& console, const DocumentSource& source) {
    const ConversionSettings bookSettings = CompleteStyleTable(settings);
    Conversion cv(bookSettings, store, console, &reader);
    cv.styles = DefineStyles(bookSettings, store, console);
    EstimateText(cv.progress, source.fileSize);
    console.SetProgress(5);

    switch (ReadDescription(cv.description, reader, bookSettings, source.fileTitle)) {
        case DescriptionEnd::kClosed: break;
        case DescriptionEnd::kMissing:
            console.Line("\nError: No description");
            DescribeFromBody(cv.description, reader, bookSettings, source.fileTitle);
            break;
        case DescriptionEnd::kUnclosed: return Fail(kExitBadHeader);
    }
    ReadImages(reader, store, console, cv.progress);
    MakeBookThumbnail(store, console, bookSettings, cv.description.CoverImageId);

    reader.Reset();
    StartBodyProgress(cv.progress);
    // Room for twice the file's text, so that the text store is not copied
    // while it grows (paragraph markup is a little longer than the FB2's);
    // capacity that is never written costs no memory.
    store.textStore.reserve(2 * size_t{cv.progress.TextEstimate});

    EmitCover(cv);
    EmitBlock(cv, BlockKind::kBookTitle, {});
    BuildHeaderFooterSources(cv.running, cv.description, bookSettings);
    ConvertBodies(cv);
    AddClosingElements(cv);
    return {};
}

}  // namespace tavorin::fb2
