// Notes and references: the pairs of forward and return buttons made for
// internal links, aiming each forward button at its target, the text of a
// note as one return link, anchors, and the notes body mode.
#include "fb2/notes.h"

#include <string>

#include "app/console.h"
#include "fb2/conversion_state.h"
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
constexpr WStringView kLineBreak = u"<CR/>";
// Paragraph marks of the note text; a run of them between two words
// becomes one line break inside the return link.
constexpr WStringView kParagraphMarks[] = {u"<P>", u"</P>", u"<P/>", u"<CR/>"};

std::string ForwardObjid(std::string_view id) { return std::string(kForwardPrefix).append(id); }

// The first forward button made for the id, or nullptr when no link names it.
lrf::ButtonRecord* FirstForwardButton(std::string_view id) {
    const auto found = g_conv.ForwardButtons.find(ForwardObjid(id));
    return found == g_conv.ForwardButtons.end() ? nullptr : &lrf::g_store.buttons[found->second];
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

void RegisterButton(WStringView attributes) {
    lrf::BuildButton(lrf::g_store, attributes);
    const auto& buttons = lrf::g_store.buttons;
    const std::string& objid = buttons.back().objid;
    // Only the first forward button of an id is ever aimed at its target.
    if (objid.starts_with(kForwardPrefix)) g_conv.ForwardButtons.try_emplace(objid, buttons.size() - 1);
}

void ResolvePendingTarget(WString& text) {
    const std::string id = Narrow(g_conv.PendingId);
    lrf::ButtonRecord* button = FirstForwardButton(id);
    if (button == nullptr) return;
    AimButton(*button, g_conv.PageCounter - 1, "b" + id);

    WString link(kReturnLinkOpen);
    link.append(g_conv.PendingId).append(kReturnLinkText).append(ReturnLinkText(text)).append(kReturnLinkClose);
    text = std::move(link);
    if (g_conv.InNotesBody) ApplyNoteLinkSettings(text);
}

void AddAnchor(WStringView id, int page, int block) {
    g_conv.AnchorsAwaitingBlock.push_back(g_conv.Anchors.size());
    g_conv.Anchors.push_back(AnchorRecord{WString(id), page, block, {}});
}

void TextBlockEmitted(std::string_view blockObjid, int page) {
    for (const size_t index : g_conv.ReturnButtonsAwaitingBlock) {
        AimButton(lrf::g_store.buttons[index], page, std::string(blockObjid));
    }
    for (const size_t index : g_conv.AnchorsAwaitingBlock) {
        AnchorRecord& anchor = g_conv.Anchors[index];
        anchor.page = page;
        anchor.blockObjid = blockObjid;
    }
    g_conv.ReturnButtonsAwaitingBlock.clear();
    g_conv.AnchorsAwaitingBlock.clear();
}

void NoteTargetEmitted(WStringView id, std::string_view blockObjid, int page) {
    const std::string key = Narrow(id);
    g_conv.EmittedTargets.try_emplace(key, ConversionState::Target{std::string(blockObjid), page});
    lrf::ButtonRecord* button = FirstForwardButton(key);
    if (button != nullptr && button->refObj == "b" + key) button->refObj = blockObjid;
}

void ResolveAnchors() {
    for (const AnchorRecord& anchor : g_conv.Anchors) {
        lrf::ButtonRecord* button = FirstForwardButton(Narrow(anchor.id));
        if (button == nullptr) continue;
        AimButton(*button, anchor.page,
                  anchor.blockObjid.empty() ? "b" + std::to_string(anchor.block) : anchor.blockObjid);
    }
    // Links to elements emitted before the link was read.
    for (const auto& [objid, index] : g_conv.ForwardButtons) {
        lrf::ButtonRecord& button = lrf::g_store.buttons[index];
        if (!button.refObj.empty()) continue;
        const auto target = g_conv.EmittedTargets.find(objid.substr(kForwardPrefix.size()));
        if (target != g_conv.EmittedTargets.end()) AimButton(button, target->second.page, target->second.blockObjid);
    }
    // Links whose target the book lacks stay plain text; each is reported
    // once, in the order of the book.
    const auto& buttons = lrf::g_store.buttons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const lrf::ButtonRecord& button = buttons[i];
        if (!button.refObj.empty() || !button.objid.starts_with(kForwardPrefix)) continue;
        const auto first = g_conv.ForwardButtons.find(button.objid);
        if (first == g_conv.ForwardButtons.end() || first->second != i) continue;
        ConsoleLine("\nError: Link target not found: " + button.objid.substr(kForwardPrefix.size()));
    }
}

void StartNotesBody() {
    StartPage(u"");
    g_conv.InMainBody = false;
    g_conv.InNotesBody = true;
}

}  // namespace tavorin::fb2
