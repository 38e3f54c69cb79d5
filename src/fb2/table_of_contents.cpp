// The table of contents: one entry per main-body title, with the title
// reduced to a one-line label, handed to the TOC builder after the last body.
#include "fb2/table_of_contents.h"

#include "fb2/description.h"
#include "fb2/id_labels.h"
#include "fb2/pages.h"
#include "fb2/transliterate.h"
#include "lrf/store/builders.h"

namespace tavorin::fb2 {
namespace {

// Removes whole CharButton elements with their text (note references).
WString WithoutButtons(WStringView text) {
    constexpr std::u16string_view kOpen = u"<Char", kClose = u"</Char";
    constexpr size_t kCloseLength = 13;  // "</CharButton>"
    WString out;
    out.reserve(text.size());
    size_t pos = 0;
    for (;;) {
        const size_t open = text.find(kOpen, pos);
        out.append(text.substr(pos, open == WStringView::npos ? WStringView::npos : open - pos));
        if (open == WStringView::npos) break;
        const size_t close = text.find(kClose, open);
        if (close == WStringView::npos) break;  // an unfinished button is dropped to the end
        pos = std::min(close + kCloseLength, text.size());
    }
    return out;
}

// Entities that markup may leave in a contents label.
struct Entity {
    WStringView text;
    char16_t character;
};

constexpr Entity kLabelEntities[] = {
    {u"&amp;", u'&'},   {u"&lt;", u'<'},    {u"&gt;", u'>'},
    {u"&quot;", u'"'},  {u"&apos;", u'\''}, {u"&nbsp;", u'\u00A0'},
};

// A contents label is shown as plain text: markup entities become their
// characters, in one pass so that "&amp;lt;" reads "&lt;".
void DecodeLabelEntities(WString& text) {
    if (text.find(u'&') == WString::npos) return;
    WString decoded;
    decoded.reserve(text.size());
    const WStringView source = text;
    for (size_t i = 0; i < source.size();) {
        const Entity* match = nullptr;
        if (source[i] == u'&') {
            for (const Entity& entity : kLabelEntities) {
                if (source.substr(i, entity.text.size()) == entity.text) match = &entity;
            }
        }
        if (match != nullptr) {
            decoded.push_back(match->character);
            i += match->text.size();
        } else {
            decoded.push_back(source[i++]);
        }
    }
    text.swap(decoded);
}

// Whether a part of a title shows pictures and no text: it has no place in a label.
bool OnlyPictures(WStringView part) {
    if (part.find(u"<Plot ") == WStringView::npos) return false;
    bool inTag = false;
    for (const char16_t c : part) {
        if (inTag || c == u'<') {
            inTag = c != u'>';
        } else if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') {
            return false;
        }
    }
    return true;
}

// Line breaks between the parts of a title become ". "; a final one goes,
// and so does a part that is only pictures.
WString JoinLines(WStringView text) {
    constexpr std::u16string_view kBreak = u"<CR/>";
    constexpr size_t kTrailing = 6;  // a closing "</P>" and the like after the last break
    WString out;
    out.reserve(text.size());
    bool shown = false;  // a part is in the label
    for (size_t pos = 0;;) {
        const size_t at = text.find(kBreak, pos);
        const WStringView part = text.substr(pos, at == WStringView::npos ? WStringView::npos : at - pos);
        if (!OnlyPictures(part)) {
            if (shown && text.size() - pos > kTrailing) out += u". ";
            out.append(part);
            shown = true;
        }
        if (at == WStringView::npos) break;
        pos = at + kBreak.size();
    }
    return out;
}

}  // namespace

WString TocText(WStringView text) {
    WString plain = JoinLines(WithoutButtons(text));
    lrf::StripMarkup(plain);
    WString label = u"<P>";
    label.reserve(plain.size() + 7);
    // Other markup (a superscript, a code face) is not shown as text either;
    // the book's own '<' is written "&lt;", so every '<' here starts a tag.
    // Line breaks and indentation of the FB2 source are one blank, as in
    // the book's text.
    bool inTag = false;
    for (char16_t c : plain) {
        if (inTag || c == u'<') {
            inTag = c != u'>';
            continue;
        }
        if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
        if (c == u' ' && (label.back() == u' ' || label.back() == u'>')) continue;
        if (c == u'.' && label.back() == u'.') continue;  // runs of periods become one
        label += c;
    }
    while (label.back() == u' ') label.pop_back();
    return label + u"</P>";
}

void AddTocEntry(Contents& contents, const PageCursor& cursor, const ConversionSettings& settings,
                 WStringView pendingId, WStringView title) {
    const WString label = settings.General.Translit ? TocText(Widen(Transliterate(title))) : TocText(title);
    // A title of pictures alone has no words to list.
    if (label == u"<P></P>" && Contains(title, u"<Plot ")) return;
    std::string block = pendingId.empty() ? "b" + std::to_string(cursor.BlockCounter - 1) : BlockLabelOfId(pendingId);
    // A subsection's entry is indented by three blanks.
    WString shown = (cursor.SectionDepth > 0 ? u"   " : u"") + label;
    lrf::StripMarkup(shown);
    DecodeLabelEntities(shown);
    contents.TocEntries.push_back({"p" + std::to_string(cursor.PageCounter - 1), std::move(block), std::move(shown)});
}

void RegisterTocEntries(const Contents& contents, lrf::ObjectStore& store) {
    for (const Contents::TocEntry& entry : contents.TocEntries) {
        lrf::BuildTocEntry(store, entry.refPage, entry.refObj, entry.label);
    }
}

}  // namespace tavorin::fb2
