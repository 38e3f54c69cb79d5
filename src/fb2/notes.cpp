// Notes and references: the pairs of forward and return buttons made for
// internal links, aiming each forward button at its target, the text of a
// note as one return link, anchors, and the notes body mode.
#include "fb2/notes.h"

#include <string>

#include "fb2/conversion.h"
#include "fb2/inline_markup.h"
#include "fb2/pages.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"

namespace tavorin::fb2 {

namespace {

constexpr std::string_view kForwardPrefix = "bf_";
constexpr WStringView kReturnLinkOpen = u"<P><CharButton refobj=\"br_";
constexpr WStringView kReturnLinkText = u"\"><EmpLine emplineposition=\"after\" emplinetype=\"dotted\">";
constexpr WStringView kReturnLinkClose = u"</EmpLine></CharButton></P>";
constexpr WStringView kEmptyReturnLinkClose = u"</EmpLine></CharButton>";
constexpr WStringView kLineBreak = u"<CR/>";
// Paragraph marks of the note text; a run of them between two words
// becomes one line break inside the return link.
constexpr WStringView kParagraphMarks[] = {u"<P>", u"</P>", u"<P/>", u"<CR/>"};

std::string ForwardObjid(std::string_view id) { return std::string(kForwardPrefix).append(id); }

// The first forward button made for the id, or nullptr when no link names it.
lrf::ButtonRecord* FirstForwardButton(Conversion& cv, std::string_view id) {
    const auto found = cv.body.ForwardButtons.find(ForwardObjid(id));
    return found == cv.body.ForwardButtons.end() ? nullptr : &cv.store.buttons[found->second];
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

bool IsBlank(char16_t c) { return c <= u' '; }

void EraseTrailingBlanks(WString& text) {
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
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
        if (IsBlank(c) && (breakPending || result.empty())) continue;
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

void RegisterButton(Conversion& cv, lrf::ButtonRecord button) {
    lrf::BuildButton(cv.store, std::move(button));
    const auto& buttons = cv.store.buttons;
    const std::string& objid = buttons.back().objid;
    // Only the first forward button of an id is ever aimed at its target.
    if (objid.starts_with(kForwardPrefix)) cv.body.ForwardButtons.try_emplace(objid, buttons.size() - 1);
}

void ResolvePendingTarget(Conversion& cv, WString& text) {
    const std::string id = Narrow(cv.body.PendingId);
    lrf::ButtonRecord* button = FirstForwardButton(cv, id);
    if (button == nullptr) return;
    AimButton(*button, cv.body.PageCounter - 1, "b" + id);

    WString link(kReturnLinkOpen);
    link.append(cv.body.PendingId).append(kReturnLinkText);
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
    if (cv.body.InNotesBody) ApplyNoteLinkSettings(cv, text);
}

void AddAnchor(Conversion& cv, WStringView id) {
    cv.body.AnchorsAwaitingBlock.push_back(cv.body.Anchors.size());
    cv.body.Anchors.push_back(AnchorRecord{WString(id), cv.body.PageCounter - 1, cv.body.BlockCounter, {}});
}

void TextBlockEmitted(Conversion& cv, std::string_view blockObjid, int page) {
    for (const size_t index : cv.body.ReturnButtonsAwaitingBlock) {
        AimButton(cv.store.buttons[index], page, std::string(blockObjid));
    }
    for (const size_t index : cv.body.AnchorsAwaitingBlock) {
        AnchorRecord& anchor = cv.body.Anchors[index];
        anchor.page = page;
        anchor.blockObjid = blockObjid;
    }
    cv.body.ReturnButtonsAwaitingBlock.clear();
    cv.body.AnchorsAwaitingBlock.clear();
}

void NoteTargetEmitted(Conversion& cv, WStringView id, std::string_view blockObjid, int page) {
    const std::string key = Narrow(id);
    cv.body.EmittedTargets.try_emplace(key, ConversionState::Target{std::string(blockObjid), page});
    lrf::ButtonRecord* button = FirstForwardButton(cv, key);
    if (button != nullptr && button->refObj == "b" + key) button->refObj = blockObjid;
}

void ResolveAnchors(Conversion& cv) {
    for (const AnchorRecord& anchor : cv.body.Anchors) {
        lrf::ButtonRecord* button = FirstForwardButton(cv, Narrow(anchor.id));
        if (button == nullptr) continue;
        AimButton(*button, anchor.page,
                  anchor.blockObjid.empty() ? "b" + std::to_string(anchor.block) : anchor.blockObjid);
    }
    // Links to elements emitted before the link was read.
    for (const auto& [objid, index] : cv.body.ForwardButtons) {
        lrf::ButtonRecord& button = cv.store.buttons[index];
        if (!button.refObj.empty()) continue;
        const auto target = cv.body.EmittedTargets.find(objid.substr(kForwardPrefix.size()));
        if (target != cv.body.EmittedTargets.end()) AimButton(button, target->second.page, target->second.blockObjid);
    }
    // Links whose target the book lacks stay plain text; each is reported
    // once, in the order of the book.
    const auto& buttons = cv.store.buttons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const lrf::ButtonRecord& button = buttons[i];
        if (!button.refObj.empty() || !button.objid.starts_with(kForwardPrefix)) continue;
        const auto first = cv.body.ForwardButtons.find(button.objid);
        if (first == cv.body.ForwardButtons.end() || first->second != i) continue;
        cv.console.Line("\nError: Link target not found: " + button.objid.substr(kForwardPrefix.size()));
    }
}

void StartNotesBody(Conversion& cv) {
    StartPage(cv, u"");
    cv.body.InMainBody = false;
    cv.body.InNotesBody = true;
}

}  // namespace tavorin::fb2
