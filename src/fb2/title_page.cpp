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

// A span's font size derived from a style: its size in points times `factor`.
int64_t ScaledFontSize(const ConversionSettings& settings, StyleKind styleKind, int factor) {
    return RoundHalfEven(Style(settings, styleKind).FontSize / 10.0 * factor);
}

// A text block of style annot, after the block space of the body style;
// returns its number.
uint32_t EmitAnnotBlock(lrf::ObjectStore& store, const StyleValues& styles, const TextContent& content) {
    EmitBlockSpace(store, styles, StyleKind::kBody);
    return lrf::BuildTextBlock(store, TextBlockStyles(styles, StyleKind::kAnnotation), content);
}

// A paragraph holding a dotted-underlined button, by its button reference.
void AppendButtonParagraph(TextContent& content, const ConversionSettings& settings, uint32_t buttonRef,
                           WStringView caption, Console& console) {
    content.Mark(TextCode::kParagraph);
    content.Mark(TextCode::kLineBreak);
    content.Mark(TextCode::kLineBreak);
    const lrf::TagValue indent[] = {{lrf::Tag::kXSize, 500}};
    content.Attributes(TextCode::kSpace, indent, console);
    const lrf::TagValue look[] = {{lrf::Tag::kFontSize, ScaledFontSize(settings, StyleKind::kAnnotation, 8)},
                                  {lrf::Tag::kParIndent, 0}};
    content.Attributes(TextCode::kSpan, look, console);
    content.Button(buttonRef);
    LinkLine(content, kDottedLine);
    content.Text(caption);
    content.Mark(TextCode::kEmpLineEnd);
    content.Mark(TextCode::kButtonEnd);
    content.Mark(TextCode::kSpanEnd);
    content.Mark(TextCode::kParagraphEnd);
}

// A value of the description in a paragraph, with its whitespace as a reader
// shows it (its entities are decoded with the page).
void AppendValueParagraph(TextContent& content, WStringView before, WStringView value, WStringView after) {
    content.Mark(TextCode::kParagraph);
    content.Text(before);
    content.Text(CollapsedValue(value));
    content.Text(after);
    content.Mark(TextCode::kParagraphEnd);
}

// A span of the book title's face at `factor` times its style's size.
void StartTitleSpan(TextContent& content, const ConversionSettings& settings, int factor, Console& console) {
    const WString face = StyleFace(Style(settings, StyleKind::kSubtitle));
    const lrf::TagValue look[] = {{lrf::Tag::kFontFaceName, 0, face},
                                  {lrf::Tag::kFontSize, ScaledFontSize(settings, StyleKind::kBookTitle, factor)}};
    content.Attributes(TextCode::kSpan, look, console);
}

}  // namespace

void EmitBookTitlePage(Conversion& cv) {
    const BookDescription& d = cv.description;
    // A title page with nothing to show is left out: no book starts with a
    // blank page.
    const bool shown = !IsBlank(MarkupAsPlainText(d.AuthorsLine + d.BookTitle + d.SequenceText));
    if (shown || !d.Annotation.empty()) StartPage(cv.cursor, cv.store, cv.styles);
    if (shown) {
        TextContent text;
        AppendValueParagraph(text, {}, d.AuthorsLine, {});
        text.Mark(TextCode::kLineBreak);
        text.Mark(TextCode::kLineBreak);
        StartTitleSpan(text, cv.settings, 8, cv.console);
        AppendValueParagraph(text, {}, d.BookTitle, {});
        text.Mark(TextCode::kLineBreak);
        text.Mark(TextCode::kSpanEnd);
        if (!d.SequenceText.empty()) {
            StartTitleSpan(text, cv.settings, 7, cv.console);
            AppendValueParagraph(text, u"(", d.SequenceText, u")");
            text.Mark(TextCode::kSpanEnd);
        }
        DecodeContentText(text);
        WrapStyleEmphasis(cv.settings, StyleKind::kBookTitle, text);
        lrf::BuildTextBlock(cv.store, TextBlockStyles(cv.styles, StyleKind::kBookTitle), text);
    }

    // The annotation block starts the next page itself.
    if (!d.Annotation.empty()) {
        TextContent annotation;
        annotation.Mark(TextCode::kParagraph);
        annotation.Append(d.Annotation);
        annotation.Mark(TextCode::kParagraphEnd);
        EmitBlock(cv, BlockKind::kAnnotation, std::move(annotation));
    } else {
        StartPage(cv.cursor, cv.store, cv.styles);
    }
}

void EmitDescriptionPage(Conversion& cv) {
    const TextContent& page = cv.description.DescriptionPage;
    // The document pass wraps the page in one paragraph: with nothing in it, there is no page.
    if (page.ops.size() <= 2) return;

    // The way there and the way back. The buttons of the book are settled
    // already: these two are aimed here.
    const size_t there = RegisterButton(cv.links, cv.store, "bf_fb2description");
    const size_t back = RegisterButton(cv.links, cv.store, "br_fb2description");
    TextContent link;
    AppendButtonParagraph(link, cv.settings, NewButtonRef(cv.store, static_cast<uint32_t>(there)),
                          u"***FB2 BOOK INFO***", cv.console);
    cv.store.buttons[back].block = EmitAnnotBlock(cv.store, cv.styles, link);

    // The description page is a solo page: reached only through its button.
    lrf::StartSolo(cv.store);
    StartPage(cv.cursor, cv.store, cv.styles);
    TextContent description = page;
    DecodeContentText(description);
    AppendButtonParagraph(description, cv.settings, NewButtonRef(cv.store, static_cast<uint32_t>(back)),
                          u"RETURN TO BOOK", cv.console);
    cv.store.buttons[there].block = EmitAnnotBlock(cv.store, cv.styles, description);
    lrf::EndSolo(cv.store);
}

}  // namespace tavorin::fb2
