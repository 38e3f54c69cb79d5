// The book metadata XML handed to the LRF writer (title, author, identifier,
// genres, annotation, language, creator and date). Values come from the book
// as paragraph markup and may hold anything: every value is written as plain
// text, escaped into well-formed XML.
#include "fb2/book_info.h"

#include <cstdint>
#include <ctime>

#include "fb2/char_refs.h"
#include "fb2/whitespace.h"

namespace tavorin::fb2 {

namespace {

constexpr char16_t kLeftDoubleQuote = 0x201C;

bool IsXmlChar(uint32_t code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Appends a metadata value, given as paragraph markup, as the plain text a
// library shows (no tag and no entity text of the markup), in XML character
// data, or in the value of a "reading" attribute when `attribute` is set
// (double quotes become U+201C). '&', '<' and '>' are escaped; characters XML
// does not allow are dropped. Whitespace is collapsed as in the book's text.
void AppendEscaped(WString& out, WStringView text, bool attribute) {
    const WString value = CollapsedValue(MarkupAsPlainText(text));
    for (size_t i = 0; i < value.size(); ++i) {
        const char16_t c = value[i];
        if (c == u'&') {
            out += u"&amp;";
        } else if (c == u'<') {
            out += u"&lt;";
        } else if (c == u'>') {
            out += u"&gt;";
        } else if (c == u'"' && attribute) {
            out.push_back(kLeftDoubleQuote);
        } else if (IsHighSurrogate(c)) {
            if (i + 1 < value.size() && IsLowSurrogate(value[i + 1])) {
                out.push_back(c);
                out.push_back(value[++i]);
            }
        } else if (IsXmlChar(c)) {
            out.push_back(c);
        }
    }
}

// Today's date in the local time zone, as YYYY-MM-DD.
WString TodayIsoDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return Widen(std::string_view(text, length));
}

// The ISBN as the reader's search key: its digits and a check character X.
WString IsbnValue(WStringView isbn) {
    WString value;
    for (const char16_t c : isbn) {
        if (c >= u'0' && c <= u'9') value.push_back(c);
        else if (c == u'x' || c == u'X') value.push_back(u'X');
    }
    return value;
}

class InfoWriter {
public:
    explicit InfoWriter(WString& out) : out_(out) {}
    void Line(WStringView text) {
        out_ += text;
        out_ += u"\r\n";
    }
    // "<name>" + value + "</name>"
    void Element(WStringView name, WStringView value) {
        Open(name);
        out_ += u">";
        Close(name, value);
    }
    // "<name reading=\"" + reading + "\">" + value + "</name>"
    void ReadingElement(WStringView name, WStringView reading, WStringView value) {
        Open(name);
        out_ += u" reading=\"";
        AppendEscaped(out_, reading, true);
        out_ += u"\">";
        Close(name, value);
    }

private:
    void Open(WStringView name) {
        out_ += u"<";
        out_ += name;
    }
    void Close(WStringView name, WStringView value) {
        AppendEscaped(out_, value, false);
        out_ += u"</";
        out_ += name;
        Line(u">");
    }

    WString& out_;
};

}  // namespace

WString ComposeBookInfo(const BookInfoFields& info) {
    WString xml;
    InfoWriter w(xml);
    w.Line(u"<?xml version=\"1.0\" ?>");
    w.Line(u"<Info version=\"1.1\">");
    w.Line(u"<BookInfo>");
    w.ReadingElement(u"Title", info.Title, info.Title);
    w.ReadingElement(u"Author", info.Author, info.Author);
    w.Element(u"BookID", info.BookId);
    // Only the book's own ISBN is written; a book without one has no product identifier.
    const WString isbnValue = IsbnValue(info.Isbn);
    if (!isbnValue.empty()) {
        w.Line(u"<ProductIdentifier>");
        w.Element(u"ISBNPrintable", info.Isbn);
        w.Element(u"ISBNValue", isbnValue);
        w.Line(u"</ProductIdentifier>");
    }
    w.ReadingElement(u"Publisher", info.Publisher, info.Publisher);
    w.Line(u"<Label reading=\"\"></Label>");
    w.Element(u"Category", info.Category1);
    w.Element(u"Category", info.Category2);
    w.Line(u"<Classification></Classification>");
    w.Element(u"FreeText", info.FreeText);
    w.Line(u"</BookInfo>");
    w.Line(u"<DocInfo>");
    w.Element(u"Language", info.Language);
    w.Element(u"Creator", info.Creator);
    w.Element(u"CreationDate", TodayIsoDate());
    w.Element(u"Producer", info.Producer);
    w.Element(u"Page", info.Pages);
    w.Line(u"</DocInfo>");
    w.Line(u"</Info>");
    return xml;
}

}  // namespace tavorin::fb2
