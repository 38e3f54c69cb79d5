// The pages made from the description: the book title page (authors, title,
// series) with the annotation page after it, and the description page at the
// end of the book with the link that leads to it and back.
#include "fb2/title_page.h"

#include "fb2/block_emitter.h"
#include "fb2/char_refs.h"
#include "fb2/conversion.h"
#include "fb2/whitespace.h"
#include "lrf/store/builders.h"
#include "text/rounding.h"

namespace tavorin::fb2 {

namespace {

// A Span size derived from a style: its size in points times `factor`.
WString ScaledFontSize(const ConversionSettings& settings, StyleKind styleKind, int factor) {
    return ToWString(RoundHalfEven(Style(settings, styleKind).FontSize / 10.0 * factor));
}

// A text block of style annot with the fixed objid, after the block space of
// the body style.
void EmitNamedAnnotBlock(PageCursor& cursor, lrf::ObjectStore& store, const ConversionSettings& settings,
                         const StyleValues& styles, std::string objid, WStringView text) {
    EmitBlockSpace(store, styles, StyleKind::kBody);
    lrf::TextBlockLabels labels = TextBlockLabels(settings, cursor, StyleKind::kAnnotation, {});
    labels.objid = std::move(objid);
    BuildCountedTextBlock(cursor, store, labels, text);
}

// A paragraph holding a dotted-underlined button to `buttonId`.
WString ButtonParagraph(const ConversionSettings& settings, WStringView buttonId, WStringView caption) {
    return u"<P><CR/><CR/><Space xsize=\"500\"><Span fontsize=\"" +
           ScaledFontSize(settings, StyleKind::kAnnotation, 8) +
           u"\" parindent=\"0\"><CharButton refobj=\"" + WString(buttonId) +
           u"\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">" + WString(caption) +
           u"</EmpLine></CharButton></Span></P>";
}

}  // namespace

void EmitBookTitlePage(Conversion& cv) {
    const BookDescription& d = cv.description;
    // A title page with nothing to show is left out: no book starts with a
    // blank page.
    const bool shown = !IsBlank(MarkupAsPlainText(d.AuthorsLine + d.BookTitle + d.SequenceText));
    if (shown || !d.Annotation.empty()) StartPage(cv.cursor, cv.store, cv.settings);
    if (shown) {
        // The book's values, with their whitespace as a reader shows it.
        const WString face = StyleFace(Style(cv.settings, StyleKind::kSubtitle));
        WString text = u"<P>" + CollapsedValue(d.AuthorsLine) + u"</P><CR/><CR/><Span fontfacename=\"" + face +
                       u"\" fontsize=\"" + ScaledFontSize(cv.settings, StyleKind::kBookTitle, 8) + u"\"><P>" +
                       CollapsedValue(d.BookTitle) + u"</P><CR/></Span>";
        if (!d.SequenceText.empty()) {
            text += u"<Span fontfacename=\"" + face + u"\" fontsize=\"" +
                    ScaledFontSize(cv.settings, StyleKind::kBookTitle, 7) + u"\"><P>(" +
                    CollapsedValue(d.SequenceText) + u")</P></Span>";
        }
        WrapStyleEmphasis(cv.settings, StyleKind::kBookTitle, text);
        BuildCountedTextBlock(cv.cursor, cv.store,
                              TextBlockLabels(cv.settings, cv.cursor, StyleKind::kBookTitle, u""), text);
    }

    // The annotation block starts the next page itself.
    if (!d.Annotation.empty()) EmitBlock(cv, BlockKind::kAnnotation, u"<P>" + d.Annotation + u"</P>");
    else StartPage(cv.cursor, cv.store, cv.settings);
}

void EmitDescriptionPage(Conversion& cv) {
    const WString& page = cv.description.DescriptionPage;
    if (page.empty() || page == u"<P></P>") return;  // the document pass wraps the text in one paragraph

    EmitNamedAnnotBlock(cv.cursor, cv.store, cv.settings, cv.styles, "b_fb2link",
                        ButtonParagraph(cv.settings, u"bf_fb2description", u"***FB2 BOOK INFO***"));
    RegisterButton(cv.links, cv.store,
                   {.objid = "bf_fb2description",
                    .refPage = "p" + std::to_string(cv.cursor.PageCounter + 1),
                    .refObj = "b_fb2description"});
    RegisterButton(cv.links, cv.store,
                   {.objid = "br_fb2description",
                    .refPage = "p" + std::to_string(cv.cursor.PageCounter),
                    .refObj = "b_fb2link"});

    // The description page is a solo page: reached only through its button.
    lrf::StartSolo(cv.store);
    StartPage(cv.cursor, cv.store, cv.settings);
    EmitNamedAnnotBlock(cv.cursor, cv.store, cv.settings, cv.styles, "b_fb2description",
                        page + ButtonParagraph(cv.settings, u"br_fb2description", u"RETURN TO BOOK"));
    lrf::EndSolo(cv.store);
}

}  // namespace tavorin::fb2
