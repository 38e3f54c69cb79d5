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

namespace {

bool IsLineBoundary(lrf::TextCode code) {
    using lrf::TextCode;
    return code == TextCode::kParagraph || code == TextCode::kParagraphEnd || code == TextCode::kEmptyParagraph ||
           code == TextCode::kLineBreak || code == TextCode::kSpace;
}

}  // namespace

void CollapseContentWhitespace(lrf::TextContent& content) {
    WString out;
    out.reserve(content.characters.size());
    bool lineStart = true;
    // The operation whose last character is a blank not yet followed by a
    // shown character; only marks follow it.
    size_t pendingOp = WString::npos;
    std::vector<lrf::TextOperation> ops;
    ops.reserve(content.ops.size());
    for (lrf::TextOperation op : content.ops) {
        if (op.code != lrf::TextCode::kText) {
            if (IsLineBoundary(op.code)) {
                if (pendingOp != WString::npos) {
                    out.pop_back();
                    --ops[pendingOp].end;
                    if (ops[pendingOp].end == ops[pendingOp].start) ops.erase(ops.begin() + pendingOp);
                }
                pendingOp = WString::npos;
                lineStart = true;
            } else if (op.code == lrf::TextCode::kPlot) {
                lineStart = false;
                pendingOp = WString::npos;
            }
            ops.push_back(op);
            continue;
        }
        const WStringView text = WStringView(content.characters).substr(op.start, op.end - op.start);
        op.start = out.size();
        for (size_t i = 0; i < text.size();) {
            if (!IsXmlBlank(text[i])) {
                size_t end = i + 1;
                while (end < text.size() && !IsXmlBlank(text[end])) ++end;
                out.append(text, i, end - i);
                i = end;
                lineStart = false;
                pendingOp = WString::npos;
                continue;
            }
            ++i;
            if (!lineStart && pendingOp == WString::npos) {
                out += u' ';
                pendingOp = ops.size();  // this operation, once pushed
            }
        }
        op.end = out.size();
        if (op.end > op.start) {
            ops.push_back(op);
        } else if (pendingOp == ops.size()) {
            pendingOp = WString::npos;
        }
    }
    if (pendingOp != WString::npos) {
        out.pop_back();
        --ops[pendingOp].end;
        if (ops[pendingOp].end == ops[pendingOp].start) ops.erase(ops.begin() + pendingOp);
    }
    content.ops.swap(ops);
    content.characters.swap(out);
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
