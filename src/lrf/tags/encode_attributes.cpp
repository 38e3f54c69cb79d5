// Encoding into LRF tags of an element's attribute list (every Span/P/EmpLine
// start tag of the book text; it walks the element once with an index) and of
// a typed tag list (styles, blocks, book defaults).
#include <algorithm>
#include <string>

#include "lrf/tags/tag_table.h"

namespace tavorin::lrf {

namespace {

constexpr uint16_t kRubyAlignAndAdjustCode = 0xF575;

// rubyalign and rubyadjust are no table rows: they add up into one tag.
struct RubyWord {
    WStringView attribute;
    WStringView word;
    int value;
};

constexpr RubyWord kRubyWords[] = {
    {u"rubyalign", u"start", 1},
    {u"rubyalign", u"center", 2},
    {u"rubyadjust", u"none", 0},
    {u"rubyadjust", u"line-edge", 0x10},
};

bool IsRubyAttribute(WStringView name) { return name == u"rubyalign" || name == u"rubyadjust"; }

struct RubyPair {
    int sum = 0;
    int count = 0;
};

WStringView TrimView(WStringView text) {
    size_t begin = 0, end = text.size();
    while (begin < end && text[begin] <= u' ') ++begin;
    while (end > begin && text[end - 1] <= u' ') --end;
    return text.substr(begin, end - begin);
}

void ReportIncorrectValue(WStringView name, WStringView value, Console& console) {
    console.Line("\nError: Incorrect value =" + Narrow(value) + " in " + Narrow(name));
}

// Adds one ruby attribute; the tag is written when both have been seen.
// False for an unknown word: the rest of the element is then skipped.
bool AddRubyAttribute(RubyPair& ruby, WStringView name, WStringView value, ByteBuffer& out, Console& console) {
    const auto row = std::find_if(std::begin(kRubyWords), std::end(kRubyWords), [&](const RubyWord& r) {
        return r.attribute == name && r.word == value;
    });
    if (row == std::end(kRubyWords)) {
        ReportIncorrectValue(name, value, console);
        return false;
    }
    ruby.sum += row->value;
    if (++ruby.count == 2) WriteTag(out, TTag{{}, kRubyAlignAndAdjustCode, 2}, ruby.sum, console);
    return true;
}

void EncodeAttribute(int selector, WStringView name, WStringView value, ByteBuffer& out, Console& console) {
    TTag tag = LookupTag(selector, name);
    if (tag.code == 0) return;
    int64_t number = 0;
    if (!ConvertTagValue(tag.code, value, number, console)) {
        if (tag.code == kFontFaceNameCode || tag.code == kEmphasisDotsFontCode) {
            tag.name = value;
        } else if (!ParseInt(value, number)) {
            ReportIncorrectValue(name, value, console);
            return;
        }
    }
    // Blocks have no "fix" background mode of their own; they take mode 1.
    if (selector == kBlockAttributes && tag.code == kBgImageModeCode && number == 0) number = 1;
    WriteTag(out, tag, number, console);
}

}  // namespace

void EncodeTags(int selector, ByteBuffer& out, std::span<const TagValue> tags, Console& console) {
    const bool dotsFont = std::any_of(tags.begin(), tags.end(), [](const TagValue& t) {
        return t.tag == Tag::kEmpDotsFontName;
    });
    for (const TagValue& value : tags) {
        if (dotsFont && value.tag == Tag::kEmpDotsCode) continue;
        TTag tag = TagOf(value.tag);
        int64_t number = value.number;
        if (!ConvertTypedValue(tag.code, number, console)) {
            ReportIncorrectValue(TagName(value.tag), {}, console);
            continue;
        }
        if (selector == kBlockAttributes && tag.code == kBgImageModeCode && number == 0) number = 1;
        tag.name = value.text;
        WriteTag(out, tag, number, console);
    }
}

void EncodeAttributes(int selector, ByteBuffer& out, WStringView element, Console& console) {
    // A font for the emphasis dots makes the combined tag carry the dots'
    // character: a separate empdotscode is disabled by spoiling its name.
    WString spoiled;
    if (Contains(element, u"empdotsfontname")) {
        const size_t code = element.find(u"empdotscode");
        if (code != WStringView::npos) {
            spoiled.assign(element);
            spoiled.erase(code, 1);
            element = spoiled;
        }
    }

    // Each attribute: a blank, the name up to "=", one quote character, the
    // value up to the next double quote. The element name and the closing
    // "/>" fall out as names no table knows.
    RubyPair ruby;
    size_t pos = 0;
    for (;;) {
        const size_t blank = element.find(u' ', pos);
        if (blank == WStringView::npos) return;
        const size_t equals = element.find(u'=', blank + 1);
        if (equals == WStringView::npos) return;  // no attribute can follow
        const WStringView name = TrimView(element.substr(blank + 1, equals - blank - 1));
        const size_t valueStart = std::min(equals + 2, element.size());
        const size_t close = element.find(u'"', valueStart);
        WStringView value;
        if (close == WStringView::npos) {
            pos = valueStart;  // unterminated value: empty, and the walk goes on after it
        } else {
            value = TrimView(element.substr(valueStart, close - valueStart));
            pos = close + 1;
        }
        if (IsRubyAttribute(name)) {
            if (!AddRubyAttribute(ruby, name, value, out, console)) return;
        } else {
            EncodeAttribute(selector, name, value, out, console);
        }
    }
}

}  // namespace tavorin::lrf
