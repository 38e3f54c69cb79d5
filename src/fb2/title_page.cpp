// The pages made from the description: the book title page (authors, title,
// series) with the annotation page after it, and the description page at the
// end of the book with the link that leads to it and back.
#include "fb2/body.h"
#include "fb2/conversion.h"
#include "text/rounding.h"
#include "fb2/description.h"
#include "fb2/notes.h"
#include "fb2/pages.h"
#include "fb2/styles.h"
#include "fb2/whitespace.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {

namespace {

// A Span size derived from a style: its size in points times `factor`.
WString ScaledFontSize(Conversion& cv, StyleKind styleKind, int factor) {
    return ToWString(RoundHalfEven(Style(cv.settings, styleKind).FontSize / 10.0 * factor));
}

// A text block of style annot with the fixed objid "b" + suffix, after the
// block space of the body style.
void EmitNamedAnnotBlock(Conversion& cv, WStringView suffix, WStringView text) {
    EmitBlockSpace(cv, StyleKind::kBody);
    BuildCountedTextBlock(cv, TextBlockLabels(cv, StyleKind::kAnnotation, suffix), text);
}

// A paragraph holding a dotted-underlined button to `buttonId`.
WString ButtonParagraph(Conversion& cv, WStringView buttonId, WStringView caption) {
    return u"<P><CR/><CR/><Space xsize=\"500\"><Span fontsize=\"" + ScaledFontSize(cv, StyleKind::kAnnotation, 8) +
           u"\" parindent=\"0\"><CharButton refobj=\"" + WString(buttonId) +
           u"\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">" + WString(caption) +
           u"</EmpLine></CharButton></Span></P>";
}

}  // namespace

void EmitBookTitlePage(Conversion& cv) {
    const BookDescription& d = cv.description;
    StartPage(cv, u"");

    // The book's values, with their whitespace as a reader shows it.
    const WString face = StyleFace(Style(cv.settings, StyleKind::kSubtitle));
    WString text = u"<P>" + CollapsedValue(d.AuthorsLine) + u"</P><CR/><CR/><Span fontfacename=\"" + face +
                   u"\" fontsize=\"" + ScaledFontSize(cv, StyleKind::kBookTitle, 8) + u"\"><P>" +
                   CollapsedValue(d.BookTitle) + u"</P><CR/></Span>";
    if (!d.SequenceText.empty()) {
        text += u"<Span fontfacename=\"" + face + u"\" fontsize=\"" + ScaledFontSize(cv, StyleKind::kBookTitle, 7) +
                u"\"><P>(" + CollapsedValue(d.SequenceText) + u")</P></Span>";
    }
    WrapStyleEmphasis(cv, StyleKind::kBookTitle, text);
    BuildCountedTextBlock(cv, TextBlockLabels(cv, StyleKind::kBookTitle, u""), text);

    // The annotation block starts the next page itself.
    if (!d.Annotation.empty()) EmitBlock(cv, BlockKind::kAnnotation, u"<P>" + d.Annotation + u"</P>");
    else StartPage(cv, u"");
}

void EmitDescriptionPage(Conversion& cv) {
    const WString& page = cv.description.DescriptionPage;
    if (page.empty() || page == u"<P></P>") return;  // the driver wraps the text in one paragraph

    EmitNamedAnnotBlock(cv, u"_fb2link", ButtonParagraph(cv, u"bf_fb2description", u"***FB2 BOOK INFO***"));
    RegisterButton(cv, {.objid = "bf_fb2description",
                        .refPage = "p" + std::to_string(cv.body.PageCounter + 1),
                        .refObj = "b_fb2description"});
    RegisterButton(cv, {.objid = "br_fb2description",
                        .refPage = "p" + std::to_string(cv.body.PageCounter),
                        .refObj = "b_fb2link"});

    // The description page is a solo page: reached only through its button.
    lrf::StartSolo(cv.store);
    StartPage(cv, u"");
    EmitNamedAnnotBlock(cv, u"_fb2description", page + ButtonParagraph(cv, u"br_fb2description", u"RETURN TO BOOK"));
    lrf::EndSolo(cv.store);
}

}  // namespace tavorin::fb2
