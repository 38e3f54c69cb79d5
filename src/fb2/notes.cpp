// Notes and references: the pairs of forward and return buttons made for
// internal links, aiming each forward button at its target, the text of a
// note as one return link, anchors, and the notes body mode.
#include "fb2/notes.h"

#include <string>

#include "fb2/id_labels.h"
#include "fb2/inline_markup.h"
#include "fb2/pages.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"

namespace tavorin::fb2 {

namespace {

constexpr std::string_view kForwardPrefix = kForwardButtonPrefix;
constexpr WStringView kReturnLinkOpen = u"<P><CharButton refobj=\"";
constexpr WStringView kReturnLinkText = u"\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">";
constexpr WStringView kReturnLinkClose = u"</EmpLine></CharButton></P>";
constexpr WStringView kEmptyReturnLinkClose = u"</EmpLine></CharButton>";
constexpr WStringView kLineBreak = u"<CR/>";
// Paragraph marks of the note text; a run of them between two words
// becomes one line break inside the return link.
constexpr WStringView kParagraphMarks[] = {u"<P>", u"</P>", u"<P/>", u"<CR/>"};

std::string ForwardObjid(std::string_view id) { return std::string(kForwardPrefix).append(id); }

// The first forward button made for the id, or nullptr when no link names it.
lrf::ButtonRecord* FirstForwardButton(const LinkTable& links, lrf::ObjectStore& store, std::string_view id) {
    const auto found = links.ForwardButtons.find(ForwardObjid(id));
    return found == links.ForwardButtons.end() ? nullptr : &store.buttons[found->second];
}

void AimButton(lrf::ButtonRecord& button, int page, std::string blockObjid) {
    button.refPage = "p" + std::to_string(page);
    button.refObj = std::move(blockObjid);
}

size_t ParagraphMarkAt(WStringView text, size_t at) {
    for (const WStringView mark : kParagraphMarks) {
        if (text.substr(at, mark.size()) == mark) return mark.size();
    }
    return 0;
}

bool IsBlankChar(char16_t c) { return c <= u' '; }

void EraseTrailingBlanks(WString& text) {
    while (!text.empty() && IsBlankChar(text.back())) text.pop_back();
}

// The note text without its paragraph marks, CR and LF, trimmed. Bold and
// italic markup stay. Where paragraphs meet, one "<CR/>" keeps their words
// apart; blanks around that break go with it.
WString ReturnLinkText(WStringView text) {
    WString result;
    result.reserve(text.size());
    bool breakPending = false;
    for (size_t at = 0; at < text.size();) {
        if (const size_t mark = ParagraphMarkAt(text, at)) {
            breakPending = true;
            at += mark;
            continue;
        }
        const char16_t c = text[at++];
        if (c == u'\r' || c == u'\n') continue;
        if (IsBlankChar(c) && (breakPending || result.empty())) continue;
        if (breakPending) {
            EraseTrailingBlanks(result);
            if (!result.empty()) result += kLineBreak;
            breakPending = false;
        }
        result += c;
    }
    EraseTrailingBlanks(result);
    return result;
}

}  // namespace

void RegisterButton(LinkTable& links, lrf::ObjectStore& store, lrf::ButtonRecord button) {
    lrf::BuildButton(store, std::move(button));
    const auto& buttons = store.buttons;
    const std::string& objid = buttons.back().objid;
    // Only the first forward button of an id is ever aimed at its target.
    if (objid.starts_with(kForwardPrefix)) links.ForwardButtons.try_emplace(objid, buttons.size() - 1);
}

void AwaitTextBlock(LinkTable& links, const lrf::ObjectStore& store) {
    links.ReturnButtonsAwaitingBlock.push_back(store.buttons.size() - 1);
}

void ResolvePendingTarget(lrf::ObjectStore& store, const LinkTable& links, const PageCursor& cursor,
                          const TReferenceSettings& references, WStringView pendingId, WString& text) {
    const std::string id = Narrow(pendingId);
    lrf::ButtonRecord* button = FirstForwardButton(links, store, id);
    if (button == nullptr) return;
    AimButton(*button, cursor.PageCounter - 1, BlockLabelOfId(pendingId));

    WString link(kReturnLinkOpen);
    link.append(kReturnButtonMarkup).append(pendingId).append(kReturnLinkText);
    if (Contains(text, u"<CharButton")) {
        // Buttons do not nest: a text that holds links of its own keeps them,
        // and the way back is an empty button at its first paragraph.
        link.append(kEmptyReturnLinkClose);
        const size_t paragraph = text.find(u"<P>");
        if (paragraph == WString::npos) {
            text.insert(0, link + u"</P>");
        } else {
            text.insert(paragraph + 3, WStringView(link).substr(3));
        }
    } else {
        link.append(ReturnLinkText(text)).append(kReturnLinkClose);
        text = std::move(link);
    }
    if (cursor.InNotesBody) ApplyNoteLinkSettings(references, text);
}

void AddAnchor(LinkTable& links, const PageCursor& cursor, WStringView id) {
    links.AnchorsAwaitingBlock.push_back(links.Anchors.size());
    links.Anchors.push_back(AnchorRecord{WString(id), cursor.PageCounter - 1, cursor.BlockCounter, {}});
}

void TextBlockEmitted(LinkTable& links, lrf::ObjectStore& store, std::string_view blockObjid, int page) {
    for (const size_t index : links.ReturnButtonsAwaitingBlock) {
        AimButton(store.buttons[index], page, std::string(blockObjid));
    }
    for (const size_t index : links.AnchorsAwaitingBlock) {
        AnchorRecord& anchor = links.Anchors[index];
        anchor.page = page;
        anchor.blockObjid = blockObjid;
    }
    links.ReturnButtonsAwaitingBlock.clear();
    links.AnchorsAwaitingBlock.clear();
}

void NoteTargetEmitted(LinkTable& links, WStringView id, std::string_view blockObjid,
                       int page) {
    const std::string key = Narrow(id);
    links.EmittedTargets.try_emplace(key, LinkTable::Target{std::string(blockObjid), page});
}

void ResolveAnchors(const LinkTable& links, lrf::ObjectStore& store, Console& console) {
    for (const AnchorRecord& anchor : links.Anchors) {
        lrf::ButtonRecord* button = FirstForwardButton(links, store, Narrow(anchor.id));
        if (button == nullptr) continue;
        AimButton(*button, anchor.page,
                  anchor.blockObjid.empty() ? "b" + std::to_string(anchor.block) : anchor.blockObjid);
    }
    // Links to elements emitted before the link was read.
    for (const auto& [objid, index] : links.ForwardButtons) {
        lrf::ButtonRecord& button = store.buttons[index];
        if (!button.refObj.empty()) continue;
        const auto target = links.EmittedTargets.find(objid.substr(kForwardPrefix.size()));
        if (target != links.EmittedTargets.end()) AimButton(button, target->second.page, target->second.blockObjid);
    }
    // Links whose target the book lacks stay plain text; each is reported
    // once, in the order of the book.
    const auto& buttons = store.buttons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const lrf::ButtonRecord& button = buttons[i];
        if (!button.refObj.empty() || !button.objid.starts_with(kForwardPrefix)) continue;
        const auto first = links.ForwardButtons.find(button.objid);
        if (first == links.ForwardButtons.end() || first->second != i) continue;
        console.Line("\nError: Link target not found: " + button.objid.substr(kForwardPrefix.size()));
    }
}

}  // namespace tavorin::fb2
