// Collapsing the XML whitespace of the book's text, once per block of
// paragraph markup and once per metadata value; linear in the text.
#include "fb2/whitespace.h"

namespace tavorin::fb2 {
namespace {

bool IsXmlBlank(char16_t c) { return c <= u' ' && (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'); }

// Neither a blank nor the start of a tag; most characters are past ' ' and
// take one comparison more.
bool IsShown(char16_t c) { return c > u' ' ? c != u'<' : !IsXmlBlank(c); }

// Tags at which a line of text starts or ends: paragraphs, line breaks and
// the indentation of a text-author line. Every other tag runs on inline.
bool IsLineBoundary(WStringView tag) {
    return tag == u"<P>" || tag == u"</P>" || tag == u"<P/>" || tag == u"<CR/>" || StartsWith(tag, u"<P ") ||
           StartsWith(tag, u"<Space ");
}

}  // namespace

void AppendCollapsed(MarkupCollapse& state, WString& out, WStringView markup) {
    bool& lineStart = state.lineStart;
    size_t& pendingBlank = state.pendingBlank;
    const auto dropPendingBlank = [&] {
        // Only tags follow the blank, so the erase moves a few characters.
        if (pendingBlank != WString::npos) out.erase(pendingBlank, 1);
        pendingBlank = WString::npos;
    };
    for (size_t i = 0; i < markup.size();) {
        const char16_t c = markup[i];
        if (c == u'<') {
            const size_t close = markup.find(u'>', i);
            const size_t end = close == WString::npos ? markup.size() : close + 1;
            const WStringView tag = markup.substr(i, end - i);
            if (IsLineBoundary(tag)) {
                dropPendingBlank();
                lineStart = true;
            } else if (StartsWith(tag, u"<Plot ")) {
                // A picture in the line is shown like a word.
                lineStart = false;
                pendingBlank = WString::npos;
            }
            out += tag;
            i = end;
            continue;
        }
        if (!IsXmlBlank(c)) {
            // A run of shown characters goes over at once.
            size_t end = i + 1;
            while (end < markup.size() && IsShown(markup[end])) ++end;
            out.append(markup, i, end - i);
            i = end;
            lineStart = false;
            pendingBlank = WString::npos;
            continue;
        }
        ++i;
        if (!lineStart && pendingBlank == WString::npos) {
            pendingBlank = out.size();
            out += u' ';
        }
    }
}

void CollapseMarkupWhitespace(WString& markup) {
    MarkupCollapse state;
    WString out;
    out.reserve(markup.size());
    AppendCollapsed(state, out, markup);
    if (state.pendingBlank != WString::npos) out.erase(state.pendingBlank, 1);
    markup = std::move(out);
}

WString CollapsedValue(WStringView value) {
    WString out;
    out.reserve(value.size());
    bool blank = false;
    for (const char16_t c : value) {
        if (IsXmlBlank(c)) {
            blank = !out.empty();
            continue;
        }
        if (blank) out += u' ';
        blank = false;
        out += c;
    }
    return out;
}

}  // namespace tavorin::fb2
