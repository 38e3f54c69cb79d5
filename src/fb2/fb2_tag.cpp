// Reading one FB2 tag as an XML reader would: name, form and attributes.
#include "fb2/fb2_tag.h"

namespace tavorin::fb2 {
namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool EndsName(char16_t c) { return IsSpace(c) || c == u'/' || c == u'>' || c == u'='; }

// The part of a qualified name after its prefix.
WStringView LocalName(WStringView name) {
    const size_t colon = name.rfind(u':');
    return colon == WStringView::npos ? name : name.substr(colon + 1);
}

size_t SkipSpaces(WStringView text, size_t at) {
    while (at < text.size() && IsSpace(text[at])) ++at;
    return at;
}

size_t NameEnd(WStringView text, size_t at) {
    while (at < text.size() && !EndsName(text[at])) ++at;
    return at;
}

}  // namespace

Fb2Tag ParseFb2Tag(WStringView tag) {
    Fb2Tag result;
    if (tag.size() < 2 || tag[0] != u'<' || tag[1] == u'!' || tag[1] == u'?') return result;
    size_t at = 1;
    if (tag[at] == u'/') {
        result.form = TagForm::End;
        ++at;
    }
    const size_t end = NameEnd(tag, at);
    result.name = LocalName(tag.substr(at, end - at));
    if (result.form != TagForm::End) {
        WStringView rest = tag.substr(end);
        if (EndsWith(rest, u">")) rest.remove_suffix(1);
        if (EndsWith(rest, u"/")) {
            result.form = TagForm::Empty;
            rest.remove_suffix(1);
        }
        result.hasAttributes = SkipSpaces(rest, 0) < rest.size();
    }
    return result;
}

WString Fb2Attribute(WStringView tag, WStringView name) {
    size_t at = NameEnd(tag, 0);  // past the element's name
    while (at < tag.size()) {
        at = SkipSpaces(tag, at);
        const size_t nameEnd = NameEnd(tag, at);
        if (nameEnd == at) {
            ++at;  // a stray '/', '>' or '='
            continue;
        }
        const WStringView attribute = LocalName(tag.substr(at, nameEnd - at));
        at = SkipSpaces(tag, nameEnd);
        if (at >= tag.size() || tag[at] != u'=') continue;  // a name without a value
        at = SkipSpaces(tag, at + 1);
        if (at >= tag.size()) break;
        const char16_t quote = tag[at];
        size_t valueStart = at, valueEnd;
        if (quote == u'"' || quote == u'\'') {
            valueStart = at + 1;
            valueEnd = tag.find(quote, valueStart);
            if (valueEnd == WStringView::npos) valueEnd = tag.size();
            at = valueEnd + 1;
        } else {
            valueEnd = NameEnd(tag, at);  // an unquoted value, as careless writers leave it
            at = valueEnd;
        }
        if (attribute == name) return WString(tag.substr(valueStart, valueEnd - valueStart));
    }
    return {};
}

}  // namespace tavorin::fb2
