// The FB2 description: reading it tag by tag, the handlers of its elements,
// which collect the book metadata and write the description page, and the
// derivation of the metadata strings (title with series tag, author lists,
// identifier) at its end; for a book without one, its title from the body.
#include <cassert>

#include "fb2/body.h"
#include "fb2/book_info.h"
#include "fb2/char_refs.h"
#include "fb2/description.h"
#include "fb2/fb2_tag.h"
#include "fb2/inline_markup.h"
#include "fb2/transliterate.h"
#include "fb2/whitespace.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"
#include "text/unicode_reader.h"

namespace tavorin::fb2 {

namespace {

// The element tags of the description's blocks and fields; a row that ends in
// a blank is an element taken only when it carries attributes.
constexpr std::array<std::u16string_view, 4> kInfoBlockTable = {
    u"<title-info", u"<document-info", u"<publish-info", u"<src-title-info",
};

constexpr std::array<std::u16string_view, 21> kDescriptionTagTable = {
    u"<author",  u"<book-title", u"<genre",   u"<annotation",   u"<coverpage", u"<lang",         u"<sequence",
    u"<src-lang", u"<translator", u"<program-used", u"<src-ocr", u"<id",        u"<version",      u"<history",
    u"<book-name", u"<city",      u"<year",    u"<isbn",         u"<custom-info ", u"<date ",     u"<publisher",
};

enum InfoBlock : int { kTitleInfo = 0, kDocumentInfo = 1, kPublishInfo = 2, kSrcTitleInfo = 3 };

constexpr std::array<std::u16string_view, 4> kInfoBlockHeadings = {
    u"TITLE INFO", u"DOCUMENT INFO", u"PUBLISH INFO", u"SOURCE TITLE INFO",
};

// Rows of kDescriptionTagTable that some code refers to by number.
enum DescriptionRow : int {
    kRowAuthor = 0,
    kRowAnnotation = 3,
    kRowSequence = 6,
    kRowId = 11,
    kRowIsbn = 17,
};


// A value of the book (a name, a title, a field) as a reader shows XML: a
// run of blanks, tabs and line breaks is one blank, none at either end.
void CollapseValue(WString& text) { text = CollapsedValue(text); }

// Starts a labelled line of the description page.
void AppendLabel(BookDescription& d, WStringView label) {
    TextContent& page = d.DescriptionPage;
    page.Mark(TextCode::kParagraphEnd);
    page.Mark(TextCode::kLineBreak);
    page.Mark(TextCode::kParagraph);
    page.Mark(TextCode::kBold);
    page.Text(label);
    page.Text(u": ");
    page.Mark(TextCode::kBoldEnd);
}

// True when the tag opens the element `name` (with or without attributes,
// with any prefix).
bool IsElement(WStringView tag, WStringView name) {
    const Fb2Tag parsed = ParseFb2Tag(tag);
    return parsed.form != TagForm::End && parsed.name == name;
}

// The element name of a table row: "<date " gives "date".
WStringView RowName(WStringView row) {
    row.remove_prefix(1);
    if (EndsWith(row, u" ")) row.remove_suffix(1);
    return row;
}

template <size_t N>
int RowOf(const std::array<std::u16string_view, N>& table, const Fb2Tag& tag) {
    if (tag.form == TagForm::End) return -1;
    for (size_t i = 0; i < N; ++i) {
        if (RowName(table[i]) == tag.name && (tag.hasAttributes || !EndsWith(table[i], u" "))) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Lower case of the letters a series name is made of (Latin, Greek, Cyrillic).
char16_t LowerChar(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    if ((c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) || (c >= 0x0410 && c <= 0x042F)) return c + 0x20;
    if (c >= 0x0400 && c <= 0x040F) return c + 0x50;
    return c;
}

// " (" + the first letters of the words of the series name + number + ")":
// "Night Watch" number 2 gives " (nw2)". A word that starts with a double
// quote contributes up to the first letter of the word after it.
WString MakeSeriesTag(WStringView name, WStringView number) {
    WString s(name);
    for (char16_t& c : s) c = LowerChar(c);
    StripSimpleEntities(s);
    WString tag = u" (";
    const size_t n = s.size();
    if (n > 0) tag += s[0];
    // The last character is never examined as a blank.
    for (size_t i = 1; i + 2 < n;) {
        if (s[i] != u' ') {
            ++i;
            continue;
        }
        while (i < n && s[i] == u' ') ++i;
        if (i == n) break;
        const char16_t first = s[i++];
        tag += first;
        if (first != u'"') continue;
        while (i < n) {
            const bool afterBlank = s[i - 1] == u' ';
            tag += s[i++];
            if (afterBlank) break;
        }
    }
    tag += number;
    tag += u")";
    return tag;
}

// --- handlers, called for every text piece of an element with the tag before it

void HandleTitleInfoAuthor(BookDescription& d, const WString& tag, WString& text) {
    bool firstName = IsElement(tag, u"first-name");
    bool lastName = IsElement(tag, u"last-name");
    if (IsElement(tag, u"nickname")) {  // a nickname stands in for the last name
        lastName = true;
        text = u"(" + text + u")";
    }
    if (!firstName && !lastName) return;
    if (d.AuthorsLine.empty()) {
        AppendLabel(d, u"Authors");
        d.AuthorsLine = u" ";
    }
    CollapseValue(text);
    assert(!d.Authors.empty());
    AuthorName& author = d.Authors.back();
    if (firstName) {
        if (d.AuthorsLine != u" ") {
            d.DescriptionPage.Text(u", ");
            d.AuthorsLine += u", ";
        }
        d.DescriptionPage.Text(text);
        d.AuthorsLine += text;
        if (author.FirstName.empty()) author.FirstName = text;
    } else {
        d.DescriptionPage.Text(u" ");
        d.DescriptionPage.Text(text);
        d.AuthorsLine += u" " + text;
        if (author.LastName.empty()) author.LastName = text;
    }
}

// Authors of the document and of the source book: names, nickname and email.
void HandleOtherAuthor(BookDescription& d, const WString& tag, WString& text, bool& seen, WStringView label) {
    const bool firstName = IsElement(tag, u"first-name");
    const bool lastName = IsElement(tag, u"last-name");
    const bool nickname = IsElement(tag, u"nickname");
    const bool email = IsElement(tag, u"email");
    if (!firstName && !lastName && !nickname && !email) return;
    if (!seen) {
        AppendLabel(d, label);
        seen = true;
    }
    CollapseValue(text);
    TextContent& page = d.DescriptionPage;
    if (lastName) page.Text(u" ");
    if (nickname) AppendLabel(d, u"     nickname");
    if (email) AppendLabel(d, u"     email");
    page.Text(text);
}

void HandleAuthor(BookDescription& d, const WString& tag, WString& text) {
    switch (d.CurrentInfoBlock) {
        case kTitleInfo: HandleTitleInfoAuthor(d, tag, text); break;
        case kDocumentInfo: HandleOtherAuthor(d, tag, text, d.DocAuthorSeen, u"DocAuthor"); break;
        case kSrcTitleInfo: HandleOtherAuthor(d, tag, text, d.SrcAuthorSeen, u"Author"); break;
    }
}

void HandleBookTitle(BookDescription& d, const WString&, WString& text) {
    WString* title = d.CurrentInfoBlock == kTitleInfo      ? &d.BookTitle
                     : d.CurrentInfoBlock == kSrcTitleInfo ? &d.SrcTitle
                                                           : nullptr;
    if (title == nullptr) return;
    CollapseValue(text);
    if (title->empty()) {
        AppendLabel(d, u"Title");
        *title = u" ";
    }
    *title += text;
    d.DescriptionPage.Text(text);
}

void HandleGenre(BookDescription& d, const WString&, WString& text) {
    CollapseValue(text);
    if (d.CurrentInfoBlock == kTitleInfo) {
        if (d.Genre1.empty()) {
            d.Genre1 = text;
            AppendLabel(d, u"Genre");
        } else if (d.Genre2.empty()) {
            d.Genre2 = text;
            d.DescriptionPage.Text(u", ");
        } else {
            return;  // further genres are ignored
        }
        d.DescriptionPage.Text(text);
    } else if (d.CurrentInfoBlock == kSrcTitleInfo) {
        if (d.SrcGenre.empty()) {
            d.SrcGenre = text;
            AppendLabel(d, u"Genre");
        } else {
            d.DescriptionPage.Text(u", ");
        }
        d.DescriptionPage.Text(text);
    }
}

// A tag with attributes ('<p id="a">') reduced to its name ('<p>'), so that
// its attributes never show as text; a prefixed name ('<fb:p>') loses its
// prefix.
void DropTagAttributes(WString& piece) {
    if (piece.empty() || piece[0] != u'<') return;
    const size_t nameStart = piece.size() > 1 && piece[1] == u'/' ? 2 : 1;
    const size_t nameEnd = piece.find_first_of(u" \t/>", nameStart);
    const size_t colon = piece.find(u':', nameStart);
    if (colon < nameEnd) piece.erase(nameStart, colon + 1 - nameStart);
    const size_t close = piece.find(u'>');
    const size_t blank = piece.find(u' ');
    if (close != WString::npos && blank < close) piece.erase(blank, close - blank);
}

struct AnnotationTag {
    std::u16string_view tag;
    std::array<TextCode, 2> codes;  // kText: no operation
};

// The annotation's paragraph, verse and emphasis tags (names without prefix
// or attributes) and their operations; other tags keep only their text.
constexpr TextCode kNoCode = TextCode::kText;
constexpr std::array<AnnotationTag, 16> kAnnotationTags{{
    {u"<p>", {TextCode::kParagraph, kNoCode}},
    {u"</p>", {TextCode::kParagraphEnd, TextCode::kLineBreak}},
    {u"<p/>", {TextCode::kEmptyParagraph, TextCode::kLineBreak}},
    {u"<empty-line/>", {TextCode::kLineBreak, kNoCode}},
    {u"<emphasis>", {TextCode::kItalic, kNoCode}},
    {u"</emphasis>", {TextCode::kItalicEnd, kNoCode}},
    {u"<strong>", {TextCode::kBold, kNoCode}},
    {u"</strong>", {TextCode::kBoldEnd, kNoCode}},
    {u"<stanza>", {TextCode::kLineBreak, kNoCode}},
    {u"</stanza>", {TextCode::kLineBreak, kNoCode}},
    {u"<v>", {TextCode::kParagraph, kNoCode}},
    {u"</v>", {TextCode::kParagraphEnd, TextCode::kLineBreak}},
    {u"<sup>", {TextCode::kSup, kNoCode}},
    {u"</sup>", {TextCode::kSupEnd, kNoCode}},
    {u"<sub>", {TextCode::kSub, kNoCode}},
    {u"</sub>", {TextCode::kSubEnd, kNoCode}},
}};

void AppendAnnotationTag(TextContent& piece, WStringView tag) {
    for (const AnnotationTag& row : kAnnotationTags) {
        if (row.tag != tag) continue;
        for (const TextCode code : row.codes) {
            if (code != kNoCode) piece.Mark(code);
        }
        return;
    }
}

// The tag before the text becomes its operations (its FB2 paragraph and
// emphasis tags); the blanks are collapsed across the pieces as in the book's
// text. The description page shows the annotation once its element ends.
void HandleAnnotation(BookDescription& d, const WString& tag, WString& text) {
    if (d.CurrentInfoBlock != kTitleInfo) return;
    if (!d.AnnotationStarted) {
        AppendLabel(d, u"Annotation");
        d.DescriptionPage.Mark(TextCode::kParagraphEnd);
        d.DescriptionPage.Mark(TextCode::kLineBreak);
        d.DescriptionPage.Mark(TextCode::kParagraph);
        d.AnnotationStarted = true;
        d.AnnotationShown = d.Annotation.ops.size();
    }
    WString name = tag;
    BlanksForTabsAndLineBreaks(name);
    DropTagAttributes(name);
    TextContent piece;
    AppendAnnotationTag(piece, name);
    piece.Text(text);
    AppendCollapsed(d.AnnotationBlanks, d.Annotation, piece);
}

// Shows the annotation read since the last time on the description page. A
// blank that ends it stays, as a later piece can no longer take it back.
void ShowAnnotation(BookDescription& d) {
    if (!d.AnnotationStarted) return;
    for (size_t k = d.AnnotationShown; k < d.Annotation.ops.size(); ++k) {
        d.DescriptionPage.AppendOperation(d.Annotation, d.Annotation.ops[k]);
    }
    d.AnnotationShown = d.Annotation.ops.size();
    d.AnnotationBlanks.pendingOp = WString::npos;
}

// The image of the cover page; the last one wins.
void HandleCoverpage(BookDescription& d, const WString& tag, WString&) {
    if (!IsElement(tag, u"image")) return;
    WString id = Fb2Attribute(tag, u"href");
    if (StartsWith(id, u"#")) id.erase(0, 1);
    d.CoverImageId = std::move(id);
}

void HandleLang(BookDescription& d, const WString&, WString& text) {
    if (d.CurrentInfoBlock != kTitleInfo) return;
    CollapseValue(text);
    if (d.Language.empty()) {
        AppendLabel(d, u"Language");
        d.Language = u" ";
    }
    d.Language += text;
    d.DescriptionPage.Text(text);
}

void HandleSrcLang(BookDescription& d, const WString&, WString& text) {
    CollapseValue(text);
    AppendLabel(d, u"Src Language");
    d.DescriptionPage.Text(text);
}

void HandleTranslator(BookDescription& d, const WString& tag, WString& text) {
    if (d.CurrentInfoBlock != kTitleInfo) return;
    const bool firstName = IsElement(tag, u"first-name");
    const bool lastName = IsElement(tag, u"last-name");
    if (!firstName && !lastName) return;
    if (!d.TranslatorSeen) {
        AppendLabel(d, u"Translator");
        d.TranslatorSeen = true;
    }
    CollapseValue(text);
    if (lastName) d.DescriptionPage.Text(u" ");
    d.DescriptionPage.Text(text);
}

// Outside title-info every piece of a publisher gets its own label. The
// whitespace between the name elements of a publisher is no piece: it would
// only add empty labelled lines.
void HandlePublisher(BookDescription& d, const WString&, WString& text) {
    CollapseValue(text);
    if (IsBlank(text)) return;
    if (d.CurrentInfoBlock != kTitleInfo) d.PublisherSeen = false;
    if (!d.PublisherSeen) {
        AppendLabel(d, u"Publisher");
        d.PublisherSeen = true;
    }
    d.PublisherText += text;
    d.DescriptionPage.Text(text);
}

// The label of a generic line: the prefix without '<', first letter upper case.
WString GenericLabel(int row) {
    WString label(kDescriptionTagTable[row].substr(1));
    if (label[0] >= u'a' && label[0] <= u'z') label[0] -= u'a' - u'A';
    return label;
}

void AppendGenericLine(BookDescription& d, int row, WStringView text) {
    if (IsBlank(text)) return;
    AppendLabel(d, GenericLabel(row));
    d.DescriptionPage.Text(text);
}

// A labelled line of its own, for the rows without a handler.
void HandleGeneric(BookDescription& d, int row, WString& text) {
    CollapseValue(text);
    if (IsBlank(text)) return;
    if (row == kRowId) d.BookId = text;
    if (row == kRowIsbn && d.CurrentInfoBlock == kPublishInfo && d.Isbn.empty()) d.Isbn = Trim(text);
    AppendGenericLine(d, row, text);
}

// A sequence is read from its attributes; every sequence element shows the
// first sequence of the description.
void ReadSequence(BookDescription& d, const WString& tag) {
    const WString name = Fb2Attribute(tag, u"name");
    const WString number = Fb2Attribute(tag, u"number");
    if (d.SequenceText.empty()) d.SequenceText = Trim(name + u" " + number);
    AppendGenericLine(d, kRowSequence, d.SequenceText);
    if (d.CurrentInfoBlock == kTitleInfo && !name.empty() && d.SeriesTag.empty()) {
        d.SeriesTag = MakeSeriesTag(name, number);
    }
}

using Handler = void (*)(BookDescription& d, const WString& tag, WString& text);

// Handlers of the rows of kDescriptionTagTable, called for every text piece
// with the tag before it; nullptr: the row is a generic labelled line (the
// sequence row reads its tag only).
constexpr std::array<Handler, 21> kDescriptionHandlers = {
    HandleAuthor, HandleBookTitle, HandleGenre, HandleAnnotation, HandleCoverpage, HandleLang,
    nullptr,      HandleSrcLang,   HandleTranslator, nullptr,     nullptr,         nullptr,
    nullptr,      nullptr,         nullptr,     nullptr,          nullptr,         nullptr,
    nullptr,      nullptr,         HandlePublisher,
};
static_assert(kDescriptionHandlers.size() == std::tuple_size_v<decltype(kDescriptionTagTable)>);

// --- the derived metadata strings

// The first letter of a name (a whole surrogate pair when it starts with one).
WString Initial(WStringView name) {
    const bool pair = name.size() > 1 && name[0] >= 0xD800 && name[0] <= 0xDBFF;
    return WString(name.substr(0, pair ? 2 : 1));
}

WString JoinAuthors(BookDescription& d, bool lastNameFirst, bool initials) {
    WString joined;
    for (const AuthorName& author : d.Authors) {
        if (!joined.empty()) joined += u", ";
        const WString first =
            initials && !author.FirstName.empty() ? Initial(author.FirstName) + u"." : author.FirstName;
        joined += lastNameFirst ? author.LastName + u" " + first : first + u" " + author.LastName;
    }
    return joined;
}

// The title of the body whose start tag was just read, as text: its
// paragraphs joined by ". "; empty when the body does not start with a title.
WString ReadBodyTitle(TUnicodeFileReader& reader) {
    WString tag;
    Fb2Tag parsed;
    do {  // comments and processing instructions have no name
        if (!IsBlank(reader.ReadToStr("<", true, false)) || !ReadTag(reader, tag)) return {};
        parsed = ParseFb2Tag(tag);
    } while (parsed.name.empty());
    if (parsed.name != u"title" || parsed.form != TagForm::Start) return {};
    WString title, paragraph;
    for (;;) {
        paragraph += reader.ReadToStr("<", true, false);
        const bool more = ReadTag(reader, tag);
        parsed = ParseFb2Tag(tag);
        const bool ends = !more || (parsed.name == u"title" && parsed.form == TagForm::End);
        if (ends || (parsed.name == u"p" && parsed.form != TagForm::Start)) {
            CollapseValue(paragraph);
            if (!paragraph.empty()) title += (title.empty() ? u"" : u". ") + paragraph;
            paragraph.clear();
        }
        if (ends) break;
    }
    DecodeCharRefs(title);
    return title;
}

// The title read from the book (markup), or when that is blank the file's
// name (`fallbackTitle`, plain text) as markup.
WString TitleOrFileName(const WString& title, WStringView fallbackTitle) {
    if (!IsBlank(title)) return title;
    WString markup;
    for (const char16_t c : fallbackTitle) AppendTextCharacter(markup, c);
    return markup;
}

// For a description that names no title, read just after its end tag: the
// first body's title, else the file's name. The reader is left where it was,
// for the images that may follow.
WString TitleOfFirstBody(TUnicodeFileReader& reader, WStringView fallbackTitle) {
    WString tag;
    bool body = false;
    while (!body && ReadTag(reader, tag)) {
        const Fb2Tag parsed = ParseFb2Tag(tag);
        body = parsed.name == u"body" && parsed.form == TagForm::Start;
    }
    const WString title = TitleOrFileName(body ? ReadBodyTitle(reader) : WString(), fallbackTitle);
    reader.Reset();
    while (ReadTag(reader, tag)) {
        const Fb2Tag parsed = ParseFb2Tag(tag);
        if (parsed.name == u"description" && parsed.form != TagForm::Start) break;
    }
    return title;
}

void StartInfoBlock(BookDescription& d, int index) {
    d.CurrentInfoBlock = index;
    TextContent& page = d.DescriptionPage;
    page.Mark(TextCode::kParagraphEnd);
    page.Mark(TextCode::kLineBreak);
    page.Mark(TextCode::kLineBreak);
    page.Mark(TextCode::kParagraph);
    page.Mark(TextCode::kBold);
    page.Text(u"          ");
    page.Text(kInfoBlockHeadings[index]);
    page.Mark(TextCode::kBoldEnd);
    page.Mark(TextCode::kLineBreak);
}

void ReadDescriptionElement(BookDescription& d, TUnicodeFileReader& reader, int index, const WString& tag) {
    if (index == kRowSequence) {
        ReadSequence(d, tag);
        return;
    }
    if (Contains(tag, u"/>")) return;  // an empty element
    const WStringView name = RowName(kDescriptionTagTable[index]);
    if (index == kRowAuthor && d.CurrentInfoBlock == kTitleInfo) d.Authors.emplace_back();

    WString previousTag;
    for (;;) {
        WString text = reader.ReadToStr("<", true, false);
        DecodeCharRefs(text);
        if (const Handler handler = kDescriptionHandlers[index]) {
            handler(d, previousTag, text);
        } else {
            HandleGeneric(d, index, text);
        }
        if (!ReadTag(reader, previousTag)) break;
        const Fb2Tag parsed = ParseFb2Tag(previousTag);
        if (parsed.form == TagForm::End && parsed.name == name) break;
    }
    if (index == kRowAnnotation) ShowAnnotation(d);
}

void FinishDescription(BookDescription& d, const ConversionSettings& settings) {
    for (WString* text : {&d.BookTitle, &d.AuthorsLine}) {
        *text = Trim(*text);
        DecodeCharRefs(*text);
    }
    TrimContent(d.Annotation);
    const TOrderSettings& order = settings.Order;
    d.MetaAuthor = Trim(JoinAuthors(d, order.AuthorOrder != 0, order.Initials != 0));
    d.ShortAuthors = Trim(JoinAuthors(d, false, true));
    d.SeriesTag = Trim(d.SeriesTag);
    d.MetaTitle = Trim(order.TitleOrder != 0 ? d.SeriesTag + u" " + d.BookTitle : d.BookTitle + u" " + d.SeriesTag);
    if (settings.General.Translit != 0) {
        d.MetaTitle = Widen(Transliterate(d.MetaTitle));
        d.MetaAuthor = Widen(Transliterate(d.MetaAuthor));
    }
    d.BookId = d.BookId.empty() ? WString(u"no FB2 Id found") : u"LRF-" + d.BookId;

    // The metadata's description: the annotation's first line.
    WString freeText;
    for (const TextOperation& op : d.Annotation.ops) {
        if (op.code == TextCode::kLineBreak) break;
        if (op.code == TextCode::kText) freeText += TextOf(d.Annotation, op);
    }
    d.BookInfoXml = ComposeBookInfo({
        .Title = d.MetaTitle,
        .Author = d.MetaAuthor,
        .BookId = d.BookId,
        .Pages = u"",
        .Producer = u"tavorin",
        .Creator = u"FB2 to LRF converter",
        .Language = d.Language,
        .FreeText = freeText,
        .Category2 = d.Genre2,
        .Category1 = d.Genre1,
        .Publisher = u"",
        .Isbn = d.Isbn,
    });
}

}  // namespace

DescriptionEnd ReadDescription(BookDescription& d, TUnicodeFileReader& reader, const ConversionSettings& settings,
                               WStringView fallbackTitle) {
    WString tag;
    bool opened = false;
    for (;;) {
        if (!ReadTag(reader, tag)) return DescriptionEnd::kUnclosed;
        const Fb2Tag parsed = ParseFb2Tag(tag);
        if (parsed.name == u"description") {
            if (parsed.form != TagForm::Start) {
                // A book is never without a title: as for a book without a description.
                if (IsBlank(d.BookTitle)) d.BookTitle = TitleOfFirstBody(reader, fallbackTitle);
                FinishDescription(d, settings);
                return DescriptionEnd::kClosed;
            }
            opened = true;
        }
        if (!opened && parsed.name == u"body" && parsed.form == TagForm::Start) return DescriptionEnd::kMissing;
        if (const int block = RowOf(kInfoBlockTable, parsed); block >= 0) StartInfoBlock(d, block);
        if (const int row = RowOf(kDescriptionTagTable, parsed); row >= 0) {
            DecodeCharRefs(tag);
            ReadDescriptionElement(d, reader, row, tag);
        }
    }
}

void DescribeFromBody(BookDescription& d, TUnicodeFileReader& reader, const ConversionSettings& settings,
                      WStringView fallbackTitle) {
    const WString title = TitleOrFileName(ReadBodyTitle(reader), fallbackTitle);
    AppendLabel(d, u"Title");
    d.BookTitle = title;
    d.DescriptionPage.Text(title);
    FinishDescription(d, settings);
}

}  // namespace tavorin::fb2
