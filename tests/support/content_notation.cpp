// The test notation of text contents.
#include "support/content_notation.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "lrf/tags/tag_table.h"
#include "text/console.h"

#include "lrf/store/byte_buffer.h"
#include "text/wide.h"

namespace tavorin::test {
namespace {

using lrf::TextCode;

struct Word {
    uint16_t code;
    uint16_t value;
    const char* word;
};

// Attributes whose values are words.
constexpr std::array<Word, 7> kWords = {{
    {0xF579, 1, "before"},
    {0xF579, 2, "after"},
    {0xF57A, 0, "none"},
    {0xF57A, 0x10, "solid"},
    {0xF57A, 0x20, "dashed"},
    {0xF57A, 0x30, "double"},
    {0xF57A, 0x40, "dotted"},
}};

struct Name {
    uint16_t code;
    const char* name;
};

constexpr std::array<Name, 8> kNames = {{
    {0xF511, "fontsize"},
    {0xF512, "fontwidth"},
    {0xF515, "fontweight"},
    {0xF516, "fontfacename"},
    {0xF51D, "parindent"},
    {0xF579, "emplineposition"},
    {0xF57A, "emplinetype"},
    {0xF5CA, "xsize"},
}};

std::string Attributes(std::span<const uint8_t> tags) {
    std::string out;
    for (size_t at = 0; at + 1 < tags.size();) {
        const uint16_t code = lrf::GetU16(tags, at);
        at += 2;
        std::string name = "tag" + std::to_string(code), value;
        for (const Name& n : kNames) {
            if (n.code == code) name = n.name;
        }
        if (code == 0xF516) {  // a counted UTF-16 string
            const size_t bytes = lrf::GetU16(tags, at);
            WString text;
            for (size_t i = 0; i < bytes / 2; ++i) text += static_cast<char16_t>(lrf::GetU16(tags, at + 2 + 2 * i));
            value = Narrow(text);
            at += 2 + bytes;
        } else {
            const uint16_t number = lrf::GetU16(tags, at);
            at += 2;
            value = std::to_string(static_cast<int16_t>(number));
            for (const Word& w : kWords) {
                if (w.code == code && w.value == number) value = w.word;
            }
        }
        out += " " + name + "=\"" + value + "\"";
    }
    return out;
}

const char* Mark(TextCode code) {
    switch (code) {
        case TextCode::kParagraph: return "<P>";
        case TextCode::kParagraphEnd: return "</P>";
        case TextCode::kEmptyParagraph: return "<P/>";
        case TextCode::kLineBreak: return "<CR/>";
        case TextCode::kItalic: return "<Italic>";
        case TextCode::kItalicEnd: return "</Italic>";
        case TextCode::kBold: return "<Bold>";
        case TextCode::kBoldEnd: return "</Bold>";
        case TextCode::kSup: return "<Sup>";
        case TextCode::kSupEnd: return "</Sup>";
        case TextCode::kSub: return "<Sub>";
        case TextCode::kSubEnd: return "</Sub>";
        case TextCode::kSpanEnd: return "</Span>";
        case TextCode::kButtonEnd: return "</CharButton>";
        case TextCode::kEmpLineEnd: return "</EmpLine>";
        default: return "";
    }
}

struct NamedMark {
    WStringView name;
    TextCode code;
};

constexpr std::array<NamedMark, 16> kMarks = {{
    {u"CR/", TextCode::kLineBreak},     {u"Italic", TextCode::kItalic},      {u"/Italic", TextCode::kItalicEnd},
    {u"Sup", TextCode::kSup},           {u"/Sup", TextCode::kSupEnd},        {u"Sub", TextCode::kSub},
    {u"/Sub", TextCode::kSubEnd},       {u"P", TextCode::kParagraph},        {u"/P", TextCode::kParagraphEnd},
    {u"P/", TextCode::kEmptyParagraph}, {u"/Span", TextCode::kSpanEnd},      {u"Bold", TextCode::kBold},
    {u"/Bold", TextCode::kBoldEnd},     {u"/CharButton", TextCode::kButtonEnd}, {u"/EmpLine", TextCode::kEmpLineEnd},
    {u"Space/", TextCode::kSpace},
}};

constexpr std::pair<WStringView, char16_t> kEntities[] = {
    {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&amp;", u'&'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}, {u"&nbsp;", 0xA0}};

std::string Attribute(WStringView tag, WStringView name) {
    const size_t at = tag.find(WString(name) + u"=\"");
    if (at == WStringView::npos) return {};
    const size_t start = at + name.size() + 2;
    return Narrow(tag.substr(start, tag.find(u'"', start) - start));
}

void AddAttributes(lrf::TextContent& content, TextCode code, WStringView tag, uint32_t number = 0) {
    StringSink ignored;
    Console console(ignored);
    lrf::ByteBuffer bytes;
    lrf::EncodeAttributes(lrf::kTextAttributes, bytes, tag, console);
    content.AttributeBytes(code, bytes, number);
}

void AddTag(lrf::TextContent& content, WStringView tag) {
    for (const NamedMark& mark : kMarks) {
        if (tag == mark.name) return content.Mark(mark.code);
    }
    const auto number = [&](WStringView name) { return std::stoll("0" + Attribute(tag, name)); };
    if (StartsWith(tag, u"Plot ")) {
        content.Plot(static_cast<uint32_t>(number(u"image")), number(u"xsize"), number(u"ysize"));
    } else if (StartsWith(tag, u"Span ")) {
        AddAttributes(content, TextCode::kSpan, tag);
    } else if (StartsWith(tag, u"Space ")) {
        AddAttributes(content, TextCode::kSpace, tag);
    } else if (StartsWith(tag, u"CharButton ")) {
        const std::string reference = Attribute(tag, u"refobj");
        const bool number = !reference.empty() && std::all_of(reference.begin(), reference.end(), ::isdigit);
        content.Button(number ? static_cast<uint32_t>(std::stoul(reference)) : 0);
    } else if (StartsWith(tag, u"EmpLine")) {
        AddAttributes(content, TextCode::kEmpLine, tag, Attribute(tag, u"emplinetype") == "none" ? 1 : 0);
    }
}

}  // namespace

lrf::TextContent ParseNotation(WStringView notation, bool decodeEntities) {
    lrf::TextContent content;
    for (size_t i = 0; i < notation.size();) {
        if (notation[i] == u'<') {
            const size_t close = notation.find(u'>', i);
            AddTag(content, notation.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        if (decodeEntities && notation[i] == u'&') {
            const auto entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                             [&](const auto& e) { return notation.substr(i).starts_with(e.first); });
            if (entity != std::end(kEntities)) {
                content.Text(entity->second);
                i += entity->first.size();
                continue;
            }
        }
        size_t end = i + 1;
        while (end < notation.size() && notation[end] != u'<' && !(decodeEntities && notation[end] == u'&')) ++end;
        content.Text(notation.substr(i, end - i));
        i = end;
    }
    return content;
}

std::string ContentNotation(const lrf::TextContentView& content, const lrf::ObjectStore* store) {
    const auto buttonName = [&](uint32_t reference) -> std::string {
        if (store == nullptr) return std::to_string(reference);
        const uint32_t n = reference < store->buttonRefs.size() ? store->buttonRefs[reference] : lrf::kNoRecord;
        return n < store->buttons.size() ? store->buttons[n].objid : "?";
    };
    std::string out;
    for (const lrf::TextOperation& op : content.ops) {
        const auto tags = [&] { return content.tags.subspan(op.start, op.end - op.start); };
        switch (op.code) {
            case TextCode::kText: {
                for (const char16_t c : content.characters.substr(op.start, op.end - op.start)) {
                    if (c == u'<') out += "&lt;";
                    else if (c == u'>') out += "&gt;";
                    else if (c == u'&') out += "&amp;";
                    else out += Narrow(WString(1, c));
                }
                break;
            }
            case TextCode::kSpan: out += "<Span" + Attributes(tags()) + ">"; break;
            case TextCode::kSpace: out += "<Space" + Attributes(tags()) + "/>"; break;
            case TextCode::kEmpLine: out += "<EmpLine" + Attributes(tags()) + ">"; break;
            case TextCode::kButton: out += "<CharButton refobj=\"" + buttonName(op.number) + "\">"; break;
            case TextCode::kPlot:
                out += "<Plot image=\"" + std::to_string(op.number) + "\" xsize=\"" + std::to_string(op.start) +
                       "\" ysize=\"" + std::to_string(op.end) + "\"/>";
                break;
            default: out += Mark(op.code);
        }
    }
    return out;
}

std::string BlockNotation(const lrf::ObjectStore& store, size_t index) {
    const lrf::Range ops = store.textBlocks[index].ops;
    return ContentNotation({std::span(store.textOps).subspan(ops.start, ops.size()), store.textStore, store.tagStore},
                           &store);
}

}  // namespace tavorin::test
