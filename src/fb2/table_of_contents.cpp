// The table of contents: one entry per main-body title, with the title
// reduced to a one-line label, handed to the TOC builder after the last body.
#include "fb2/table_of_contents.h"

#include <span>
#include <vector>

#include "fb2/description.h"
#include "fb2/id_labels.h"
#include "fb2/pages.h"
#include "fb2/transliterate.h"
#include "lrf/store/builders.h"

namespace tavorin::fb2 {
namespace {

// Removes whole buttons with their text (note references); a button without
// its end is dropped to the end of the title.
std::vector<TextOperation> WithoutButtons(const TextContent& title) {
    std::vector<TextOperation> kept;
    kept.reserve(title.ops.size());
    bool inButton = false;
    for (const TextOperation& op : title.ops) {
        if (op.code == TextCode::kButton) inButton = true;
        if (!inButton) kept.push_back(op);
        if (op.code == TextCode::kButtonEnd) inButton = false;
    }
    return kept;
}

// Whether a part of a title shows pictures and no text: it has no place in a label.
bool OnlyPictures(const TextContent& title, std::span<const TextOperation> part) {
    bool picture = false;
    for (const TextOperation& op : part) {
        if (op.code == TextCode::kPlot) picture = true;
        if (op.code != TextCode::kText) continue;
        for (const char16_t c : TextOf(title, op)) {
            if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return false;
        }
    }
    return picture;
}

// The label grows character by character: line breaks and indentation of the
// FB2 source are one blank, as in the book's text, and runs of periods one.
void AppendLabelText(WString& label, WStringView text) {
    for (char16_t c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
        if (c == u' ' && (label.empty() || label.back() == u' ')) continue;
        if (c == u'.' && !label.empty() && label.back() == u'.') continue;
        label += c;
    }
}

}  // namespace

WString TocText(const TextContent& title, bool transliterate) {
    const std::vector<TextOperation> ops = WithoutButtons(title);
    // The parts of a title are its lines: they are joined with ". ", but for
    // a last line with little after it; a part of pictures alone goes.
    constexpr size_t kTrailing = 6;
    size_t rest = 0;  // the weight of the operations after the current one
    for (const TextOperation& op : ops) rest += OpWeight(op);
    WString label;
    bool shown = false;  // a part is in the label
    for (size_t start = 0; start <= ops.size();) {
        size_t end = start;
        while (end < ops.size() && ops[end].code != TextCode::kLineBreak) ++end;
        const std::span<const TextOperation> part(ops.data() + start, end - start);
        if (!OnlyPictures(title, part)) {
            if (shown && rest > kTrailing) AppendLabelText(label, u". ");
            for (const TextOperation& op : part) {
                if (op.code != TextCode::kText) continue;
                const WStringView text = TextOf(title, op);
                AppendLabelText(label, transliterate ? WStringView(Widen(Transliterate(text))) : text);
            }
            shown = true;
        }
        for (const TextOperation& op : part) rest -= OpWeight(op);
        if (end < ops.size()) rest -= OpWeight(ops[end]);
        start = end + 1;
    }
    while (!label.empty() && label.back() == u' ') label.pop_back();
    return label;
}

void AddTocEntry(Contents& contents, const PageCursor& cursor, const ConversionSettings& settings, uint32_t block,
                 const TextContent& title) {
    const WString label = TocText(title, settings.General.Translit);
    // A title of pictures alone has no words to list.
    if (label.empty() && HasCode(title, TextCode::kPlot)) return;
    // A subsection's entry is indented by three blanks.
    WString shown = (cursor.SectionDepth > 0 ? u"   " : u"") + label;
    contents.TocEntries.push_back({static_cast<uint32_t>(cursor.PageCounter - 1), block, std::move(shown)});
}

void RegisterTocEntries(const Contents& contents, lrf::ObjectStore& store) {
    for (const Contents::TocEntry& entry : contents.TocEntries) {
        lrf::BuildTocEntry(store, entry.page, entry.block, entry.label);
    }
}

}  // namespace tavorin::fb2
