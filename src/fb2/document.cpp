// The FB2 document pass by pass: the styles, the description, the images and
// the thumbnail, then (from the start again) the cover, the title pages, every
// body, and the book-wide elements that follow the last body.
#include "fb2/block_emitter.h"
#include "fb2/document.h"

#include "fb2/binaries.h"
#include "fb2/conversion.h"
#include "fb2/fb2_tag.h"
#include "fb2/title_page.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "text/exit_codes.h"

namespace tavorin::fb2 {
namespace {

constexpr char16_t kBookSetting[] =
    u"<BookSetting screenwidth=\"584\" screenheight=\"754\" bindingdirection=\"Lr\" dpi=\"1600\" "
    u"colordepth=\"24\"/>";
constexpr char16_t kBookDefaults[] =
    u"<SetDefault rubyalign=\"start\" rubyadjust=\"none\" rubyoverhang=\"none\" "
    u"empdotsposition=\"before\" empdotsfontname=\"Dutch801 Rm BT Roman\" empdotscode=\"0x002e\" "
    u"emplineposition=\"before\" emplinetype=\"solid\" setwaitprop=\"noreplay\"/>";
// The title page block only needs text that counts as content.
constexpr char16_t kPlaceholderText[] = u"aaaaaaaaaaaaa";

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
    cv.description.DescriptionPage = u"<P>" + cv.description.DescriptionPage + u"</P>";
    EmitDescriptionPage(cv);
    lrf::ApplyBookSetting(cv.store, cv.console, kBookSetting);
    lrf::BuildBookDefaults(cv.store, cv.console, kBookDefaults);
    cv.store.bookInfoXml = cv.description.BookInfoXml;
    RegisterTocEntries(cv.contents, cv.store);
}

}  // namespace

int ConvertDocument(TUnicodeFileReader& reader, const ConversionSettings& settings, lrf::ObjectStore& store,
                    Console& console, const DocumentSource& source) {
    const ConversionSettings bookSettings = CompleteStyleTable(settings);
    Conversion cv(bookSettings, store, console, &reader);
    cv.styles = DefineStyles(bookSettings, store, console);
    EstimateText(cv.progress, source.fileSize);
    console.SetProgress(5);

    switch (ReadDescription(cv.description, reader, bookSettings)) {
        case DescriptionEnd::kClosed: break;
        case DescriptionEnd::kMissing:
            console.Line("\nError: No description");
            DescribeFromBody(cv.description, reader, bookSettings, source.fileTitle);
            break;
        case DescriptionEnd::kUnclosed: return kExitBadHeader;
    }
    ReadImages(reader, store, console, cv.progress);
    MakeBookThumbnail(store, console, bookSettings, cv.description.CoverImageId);

    reader.Reset();
    StartBodyProgress(cv.progress);
    // Room for twice the file's text, so that the text store is not copied
    // while it grows (paragraph markup is a little longer than the FB2's);
    // capacity that is never written costs no memory.
    store.textStore.reserve(2 * size_t{cv.progress.textEstimate});

    EmitCover(cv);
    EmitBlock(cv, BlockKind::kBookTitle, kPlaceholderText);
    BuildHeaderFooterSources(cv.running, cv.description, bookSettings);
    ConvertBodies(cv);
    AddClosingElements(cv);
    return 0;
}

}  // namespace tavorin::fb2
