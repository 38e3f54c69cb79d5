// Reading attribute values out of the inline text markup, and stripping the
// paragraph and emphasis markup from a text that must become plain.
#include "lrf/store/builders.h"

namespace tavorin::lrf {

namespace {

// Value of the first occurrence of `name`: between the first quote character
// after it and the next one. Empty when either quote is missing.
WStringView FindValue(WStringView name, WStringView text) {
    constexpr WStringView quotes = u"\"'";
    const size_t at = text.find(name);
    if (at == WStringView::npos) return {};
    const size_t open = text.find_first_of(quotes, at + name.size());
    if (open == WStringView::npos) return {};
    const size_t close = text.find_first_of(quotes, open + 1);
    if (close == WStringView::npos) return {};
    return text.substr(open + 1, close - open - 1);
}

// Deletes `pattern` until it no longer occurs, including occurrences that a
// deletion brings together. The patterns used here never overlap themselves,
// so deleting each one as soon as its last character is copied gives the same
// text as repeated leftmost deletion, in one pass.
void EraseEveryOccurrence(WString& text, WStringView pattern) {
    if (text.find(pattern) == WString::npos) return;
    size_t kept = 0;
    for (const char16_t c : text) {
        text[kept++] = c;
        if (kept >= pattern.size() && WStringView(text).substr(kept - pattern.size(), pattern.size()) == pattern) {
            kept -= pattern.size();
        }
    }
    text.resize(kept);
}

constexpr WStringView kStrippedTags[] = {
    u"<Bold>", u"</Bold>", u"<Italic>", u"</Italic>", u"<P>", u"<P/>", u"</P>", u"<P", u"/P>",
};

}  // namespace

std::string GetAttribute(WStringView name, WStringView text) { return Narrow(FindValue(name, text)); }

void StripMarkup(WString& text) {
    const size_t lineBreak = text.find(u"<CR/>");
    if (lineBreak != WString::npos) text.resize(lineBreak);
    for (const WStringView tag : kStrippedTags) EraseEveryOccurrence(text, tag);
}

}  // namespace tavorin::lrf
