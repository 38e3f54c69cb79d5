// Collapsing the XML whitespace of the book's text, once per block content
// and once per metadata value; linear in the text.
#include "fb2/whitespace.h"

namespace tavorin::fb2 {
namespace {

bool IsXmlBlank(char16_t c) { return c <= u' ' && (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'); }

bool IsLineBoundary(lrf::TextCode code) {
    using lrf::TextCode;
    return code == TextCode::kParagraph || code == TextCode::kParagraphEnd || code == TextCode::kEmptyParagraph ||
           code == TextCode::kLineBreak || code == TextCode::kSpace;
}

}  // namespace

void DropPendingBlank(ContentCollapse& state, lrf::TextContent& out) {
    if (state.pendingOp == WString::npos) return;
    // Only marks follow the blank: it is the last character of the content.
    lrf::TextOperation& op = out.ops[state.pendingOp];
    out.characters.pop_back();
    --op.end;
    if (op.end == op.start) out.ops.erase(out.ops.begin() + static_cast<std::ptrdiff_t>(state.pendingOp));
    state.pendingOp = WString::npos;
}

void AppendCollapsed(ContentCollapse& state, lrf::TextContent& out, const lrf::TextContent& piece) {
    for (const lrf::TextOperation& op : piece.ops) {
        if (op.code != lrf::TextCode::kText) {
            if (IsLineBoundary(op.code)) {
                DropPendingBlank(state, out);
                state.lineStart = true;
            } else if (op.code == lrf::TextCode::kPlot) {
                // A picture in the line is shown like a word.
                state.lineStart = false;
                state.pendingOp = WString::npos;
            }
            out.AppendOperation(piece, op);
            continue;
        }
        const WStringView text = WStringView(piece.characters).substr(op.start, op.end - op.start);
        for (size_t i = 0; i < text.size();) {
            if (!IsXmlBlank(text[i])) {
                // A run of shown characters goes over at once.
                size_t end = i + 1;
                while (end < text.size() && !IsXmlBlank(text[end])) ++end;
                out.Text(text.substr(i, end - i));
                i = end;
                state.lineStart = false;
                state.pendingOp = WString::npos;
                continue;
            }
            ++i;
            if (!state.lineStart && state.pendingOp == WString::npos) {
                out.Text(u' ');
                state.pendingOp = out.ops.size() - 1;
            }
        }
    }
}

void CollapseContentWhitespace(lrf::TextContent& content) {
    ContentCollapse state;
    lrf::TextContent out;
    out.characters.reserve(content.characters.size());
    out.ops.reserve(content.ops.size());
    AppendCollapsed(state, out, content);
    DropPendingBlank(state, out);
    content = std::move(out);
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
