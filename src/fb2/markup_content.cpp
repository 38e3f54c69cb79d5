// Paragraph markup read into typed text operations.
#include "fb2/markup_content.h"

#include <algorithm>
#include <array>

#include "lrf/store/builders.h"
#include "lrf/tags/tag_table.h"

namespace tavorin::fb2 {
namespace {

using lrf::TextCode;

struct NamedMark {
    WStringView name;
    TextCode code;
};

// Tags that stand for one operation that carries nothing.
constexpr std::array<NamedMark, 14> kMarks = {{
    {u"CR/", TextCode::kLineBreak},
    {u"Italic", TextCode::kItalic},
    {u"/Italic", TextCode::kItalicEnd},
    {u"Sup", TextCode::kSup},
    {u"/Sup", TextCode::kSupEnd},
    {u"Sub", TextCode::kSub},
    {u"/Sub", TextCode::kSubEnd},
    {u"P", TextCode::kParagraph},
    {u"/P", TextCode::kParagraphEnd},
    {u"P/", TextCode::kEmptyParagraph},
    {u"/Span", TextCode::kSpanEnd},
    {u"Bold", TextCode::kBold},
    {u"/Bold", TextCode::kBoldEnd},
    {u"/CharButton", TextCode::kButtonEnd},
}};

struct NamedCharacter {
    WStringView name;
    char16_t character;
};

// Entities that stand for a character; every other entity stands for nothing.
constexpr std::array<NamedCharacter, 6> kEntities = {{
    {u"&nbsp", 0x00A0},
    {u"&quot", u'"'},
    {u"&amp", u'&'},
    {u"&lt", u'<'},
    {u"&gt", u'>'},
    {u"&apos", u'\''},
}};

// An entity runs from its '&' over at most 10 characters to a ';'.
constexpr size_t kEntityWindow = 11;

bool IsPlainCharacter(char16_t c, MarkupText mode) { return c != u'<' && (c != u'&' || mode == MarkupText::kAsWritten); }

bool IsEntityNameChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'#';
}

void AttributesOfTag(lrf::TextContent& content, TextCode code, WStringView tag, Console& console,
                     uint32_t number = 0) {
    lrf::ByteBuffer bytes;
    lrf::EncodeAttributes(lrf::kTextAttributes, bytes, tag, console);
    content.AttributeBytes(code, bytes, number);
}

void Tag(lrf::TextContent& content, WStringView tag, Console& console) {
    for (const NamedMark& mark : kMarks) {
        if (tag == mark.name) {
            content.Mark(mark.code);
            return;
        }
    }
    if (tag == u"/EmpLine") {
        content.Mark(TextCode::kEmpLineEnd);
    } else if (StartsWith(tag, u"Plot ")) {
        const auto number = [&](WStringView name) {
            int64_t value = -1;
            return ParseInt8(lrf::GetAttribute(name, tag), value) ? value : -1;
        };
        const int64_t image = number(u"image"), width = number(u"xsize"), height = number(u"ysize");
        if (image < 0 || image > 0xFFFFFFFF || width < 0 || height < 0) return;
        content.Plot(static_cast<uint32_t>(image), width, height);
    } else if (Contains(tag, u"P ")) {
        content.Mark(TextCode::kParagraph);
        AttributesOfTag(content, TextCode::kSpan, tag, console);
    } else if (Contains(tag, u"Span ")) {
        AttributesOfTag(content, TextCode::kSpan, tag, console);
    } else if (Contains(tag, u"CharButton ")) {
        content.Button(lrf::GetAttribute(u"refobj", tag));
    } else if (Contains(tag, u"EmpLine ")) {
        AttributesOfTag(content, TextCode::kEmpLine, tag, console,
                        lrf::GetAttribute(u"emplinetype", tag) == "none" ? 1 : 0);
    } else if (Contains(tag, u"Space ")) {
        AttributesOfTag(content, TextCode::kSpace, tag, console);
    }
}

}  // namespace

void AppendMarkupContent(lrf::TextContent& content, WStringView text, Console& console, MarkupText mode) {
    size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (IsPlainCharacter(c, mode)) {
            size_t end = i + 1;
            while (end < text.size() && IsPlainCharacter(text[end], mode)) ++end;
            content.Text(text.substr(i, end - i));
            i = end;
        } else if (c == u'<') {
            const size_t close = text.find(u'>', i + 1);
            if (close == WStringView::npos) return;  // a tag cut off by the end of the text
            Tag(content, text.substr(i + 1, close - i - 1), console);
            i = close + 1;
        } else {
            const WStringView window = text.substr(i, kEntityWindow);
            const size_t semicolon = window.find(u';');
            if (semicolon != WStringView::npos) {
                const WStringView name = window.substr(0, semicolon);
                for (const NamedCharacter& entity : kEntities) {
                    if (name == entity.name) content.Text(entity.character);
                }
                i += semicolon + 1;
                continue;
            }
            // An entity name cut off by the end of the text stands for
            // nothing; any other '&' without its ';' is an ordinary character.
            const bool cutOff = window.size() < kEntityWindow &&
                                std::all_of(window.begin() + 1, window.end(), IsEntityNameChar);
            if (cutOff) return;
            content.Text(u'&');
            ++i;
        }
    }
}

}  // namespace tavorin::fb2
