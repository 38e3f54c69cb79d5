// Notes and references: the pairs of forward and return buttons made for
// internal links, aiming each forward button at its target, the text of a
// note as one return link, anchors, and the notes body mode.
#include "fb2/notes.h"

#include <algorithm>
#include <string>

#include "fb2/id_labels.h"
#include "fb2/inline_markup.h"
#include "fb2/pages.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"

namespace tavorin::fb2 {

namespace {

constexpr std::string_view kForwardPrefix = kForwardButtonPrefix;

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

bool IsParagraphMark(TextCode code) {
    return code == TextCode::kParagraph || code == TextCode::kParagraphEnd || code == TextCode::kEmptyParagraph ||
           code == TextCode::kLineBreak;
}

bool IsBlankChar(char16_t c) { return c <= u' '; }

// Removes blanks at the end of the content's last text, when it ends in text.
void EraseTrailingBlanks(TextContent& content) {
    while (!content.ops.empty() && content.ops.back().code == TextCode::kText) {
        TextOperation& op = content.ops.back();
        while (op.end > op.start && IsBlankChar(content.characters[op.end - 1])) --op.end;
        if (op.end > op.start) return;
        content.ops.pop_back();
    }
}

// The note text without its paragraph marks, CR and LF, trimmed. Other
// marks (emphasis) stay. Where paragraphs meet, one line break keeps their
// words apart; blanks around that break go with it.
void AppendReturnLinkText(TextContent& out, const TextContent& text) {
    const size_t first = out.ops.size();
    bool breakPending = false;
    const auto flushBreak = [&] {
        if (!breakPending) return;
        EraseTrailingBlanks(out);
        if (out.ops.size() > first) out.Mark(TextCode::kLineBreak);
        breakPending = false;
    };
    for (const TextOperation& op : text.ops) {
        if (IsParagraphMark(op.code)) {
            breakPending = true;
            continue;
        }
        if (op.code != TextCode::kText) {
            flushBreak();
            out.AppendOperation(text, op);
            continue;
        }
        for (const char16_t c : TextOf(text, op)) {
            if (c == u'\r' || c == u'\n') continue;
            if (IsBlankChar(c) && (breakPending || out.ops.size() == first)) continue;
            flushBreak();
            out.Text(c);
        }
    }
    EraseTrailingBlanks(out);
}

// The start of the return link of the element `id`: its button and underline.
void StartReturnLink(TextContent& link, WStringView id) {
    link.Mark(TextCode::kParagraph);
    link.Button(std::string(kReturnButtonPrefix) + Narrow(id));
    LinkLine(link, kDottedLine);
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
                          const TReferenceSettings& references, WStringView pendingId, TextContent& text) {
    const std::string id = Narrow(pendingId);
    lrf::ButtonRecord* button = FirstForwardButton(links, store, id);
    if (button == nullptr) return;
    AimButton(*button, cursor.PageCounter - 1, BlockLabelOfId(pendingId));

    TextContent link;
    StartReturnLink(link, pendingId);
    if (HasCode(text, TextCode::kButton)) {
        // Buttons do not nest: a text that holds links of its own keeps them,
        // and the way back is an empty button at its first paragraph.
        link.Mark(TextCode::kEmpLineEnd);
        link.Mark(TextCode::kButtonEnd);
        const auto paragraph = std::find_if(text.ops.begin(), text.ops.end(),
                                            [](const TextOperation& op) { return op.code == TextCode::kParagraph; });
        if (paragraph == text.ops.end()) {
            link.Mark(TextCode::kParagraphEnd);
            InsertContent(text, 0, link);
        } else {
            link.ops.erase(link.ops.begin());  // the paragraph is there
            InsertContent(text, static_cast<size_t>(paragraph - text.ops.begin()) + 1, link);
        }
    } else {
        AppendReturnLinkText(link, text);
        link.Mark(TextCode::kEmpLineEnd);
        link.Mark(TextCode::kButtonEnd);
        link.Mark(TextCode::kParagraphEnd);
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
