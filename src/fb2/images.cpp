// The cover page and the images of the body: each image reference becomes an
// image block centred on the page; the cover fills a front page of its own.
#include "fb2/images.h"

#include <cstdint>
#include <string>

#include "app/run_state.h"
#include "fb2/body.h"
#include "fb2/conversion_state.h"
#include "fb2/description.h"
#include "fb2/markup_attributes.h"
#include "fb2/notes.h"
#include "fb2/pages.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {

namespace {

constexpr size_t kImageRefCapacity = 100;
// An image block needs no text; this only makes the block count as content.
constexpr WStringView kPlaceholderText = u"aaaaaaaaaaaaa";

// The first registered image stream with this id, or nullptr. The index is
// extended over the streams registered since the last lookup.
const lrf::ImageStreamRecord* FindImage(const std::string& id) {
    const auto& streams = lrf::g_store.imageStreams;
    if (g_conv.ImagesIndexed > streams.size()) {  // the store was emptied since
        g_conv.ImageIndex.clear();
        g_conv.ImagesIndexed = 0;
    }
    for (; g_conv.ImagesIndexed < streams.size(); ++g_conv.ImagesIndexed) {
        g_conv.ImageIndex.try_emplace(streams[g_conv.ImagesIndexed].objid, g_conv.ImagesIndexed);
    }
    const auto found = g_conv.ImageIndex.find(id);
    return found == g_conv.ImageIndex.end() ? nullptr : &streams[found->second];
}

int64_t SizeAttribute(WStringView name, WStringView sizeText) {
    int64_t value = 0;
    return ParseInt8(lrf::GetAttribute(name, sizeText), value) ? value : 0;
}

int64_t RoundedHalf(int64_t value) { return RoundHalfEven(static_cast<double>(value) / 2.0); }

// round(numerator / denominator); exact halves round to even. The quotient
// of two integers is a half only when it is exactly one, so the division in
// double precision cannot tip it either way.
int64_t RoundedRatio(int64_t numerator, int64_t denominator) {
    return RoundHalfEven(static_cast<double>(numerator) / static_cast<double>(denominator));
}

// The image rectangle and display size of an unscaled image.
WString NaturalSize(int64_t w, int64_t h) {
    return NumberAttribute(u"x0", 0) + NumberAttribute(u"y0", 0) + NumberAttribute(u"x1", w) +
           NumberAttribute(u"y1", h) + NumberAttribute(u"xsize", w) + NumberAttribute(u"ysize", h);
}

}  // namespace

void PlaceImage(WStringView tag) {
    // Found by name, so both "l:href" and "xlink:href" match.
    WString ref = Widen(lrf::GetAttribute(u"href", tag)).substr(0, kImageRefCapacity);
    if (StartsWith(ref, u"#")) ref.erase(0, 1);
    g_conv.ImageRef = std::move(ref);
    if (!g_conv.ImageRef.empty()) EmitBlock(kBlockImage, WString(kPlaceholderText));
}

void EmitCover() {
    if (g_description.CoverImageId.empty()) return;
    g_conv.ImageRef = g_description.CoverImageId;
    if (lrf::g_store.imageStreams.empty()) return;
    StartFrontPage();
    EmitBlock(kBlockImage, WString(kPlaceholderText));
}

WString ImageBlockAttributes(int& xSpace, int& ySpace) {
    xSpace = ySpace = -1;
    const lrf::ImageStreamRecord* image = FindImage(Narrow(g_conv.ImageRef));
    if (image == nullptr) return {};
    const WString sizeText = Widen(image->sizeText);
    const int64_t w = SizeAttribute(u"width", sizeText);
    const int64_t h = SizeAttribute(u"height", sizeText);
    if (w < 1 || h < 1) return {};

    const TPageLayoutSettings& layout = g_settings.PageLayout;
    const int64_t pageWidth = int64_t{kScreenWidth} - layout.Left - layout.Right;
    const int64_t pageHeight = int64_t{kScreenHeight} - layout.Top - layout.Bottom;
    // The front page is the current page and shows the cover image.
    const bool cover = g_conv.PageCounter == 1 && g_conv.ImageRef == g_description.CoverImageId;

    int64_t width = w, height = h;
    WString attributes;
    if (cover && g_settings.General.CoverImageAdjust) {
        // Fit the screen by the smaller of 584 / w and 754 / h.
        if (kScreenWidth * h <= kScreenHeight * w) {
            width = kScreenWidth;
            height = RoundedRatio(kScreenWidth * h, w);
        } else {
            width = RoundedRatio(kScreenHeight * w, h);
            height = kScreenHeight;
        }
        attributes = NumberAttribute(u"x0", 600) + NumberAttribute(u"y0", 800) + NumberAttribute(u"x1", 0) +
                     NumberAttribute(u"y1", 0) + NumberAttribute(u"xsize", width) + NumberAttribute(u"ysize", height);
    } else {
        attributes = NaturalSize(w, h);
    }
    xSpace = static_cast<int>(RoundedHalf(pageWidth - width));
    ySpace = cover ? static_cast<int>(RoundedHalf(pageHeight - height)) : 0;
    attributes += NumberAttribute(u"blockwidth", width) + NumberAttribute(u"blockheight", height) +
                  u" topskip=\"0\" sidemargin=\"0\"";
    return attributes;
}

void EmitImageBlock() {
    int xSpace = -1, ySpace = -1;
    WString attributes = ImageBlockAttributes(xSpace, ySpace);
    if (attributes.empty()) return;  // no such image: the id waits for the next block

    // An image block is named by the element's id itself, without the "b"
    // that text blocks carry.
    const WString& id = g_conv.PendingId;
    const WString objid = id.empty() ? ToWString(g_conv.BlockCounter) : id;
    attributes.append(u" blockstyle=\"bs_")
        .append(Widen(g_settings.StyleTable[kStyleImage].Label))
        .append(u"\" objid=\"")
        .append(objid)
        .append(u"\" refstream=\"")
        .append(g_conv.ImageRef)
        .append(u"\"");
    EmitBlockSpace(xSpace, ySpace);
    lrf::BuildBlock(lrf::g_store, RunConsole(), lrf::kKindImageBlock, attributes);
    lrf::BuildImageBlock(lrf::g_store, attributes);
    ++g_conv.BlockCounter;
    if (!id.empty()) {
        NoteTargetEmitted(id, Narrow(objid), g_conv.PageCounter - 1);
        g_conv.PendingId.clear();
    }
}

}  // namespace tavorin::fb2
