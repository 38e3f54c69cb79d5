// Notes and references: the pairs of forward and return buttons made for
// internal links, aiming each forward button at its target, the text of a
// note as one return link, anchors, and the notes body mode.
#include "fb2/notes.h"

#include <algorithm>
#include <optional>
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

// The number of the first forward button made for the id; none when no link names it.
std::optional<size_t> FirstForwardButton(const LinkTable& links, std::string_view id) {
    const auto found = links.ForwardButtons.find(ForwardObjid(id));
    if (found == links.ForwardButtons.end()) return std::nullopt;
    return found->second;
}

void AimAtBlock(LinkTable& links, size_t button, uint32_t block) {
    links.Aims[button] = {ButtonAim::Kind::kBlock, block, {}};
}

// Where an aim leads once every block is built.
uint32_t Settle(const LinkTable& links, const lrf::ObjectStore& store, const ButtonAim& aim) {
    switch (aim.kind) {
        case ButtonAim::Kind::kBlock: return aim.block;
        case ButtonAim::Kind::kFirstBlockOfId: {
            const auto found = links.BlockOfId.find(aim.id);
            return found == links.BlockOfId.end() ? lrf::kNoRecord : found->second;
        }
        case ButtonAim::Kind::kNumberedTextBlock: {
            const bool numbered = aim.block < store.blocks.size() &&
                                  store.blocks[aim.block].childKind == lrf::kKindTextBlock &&
                                  !links.NamedBlocks.contains(aim.block);
            return numbered ? aim.block : lrf::kNoRecord;
        }
        case ButtonAim::Kind::kNone: break;
    }
    return lrf::kNoRecord;
}

bool IsParagraphMark(TextCode code) {
    return code == TextCode::kParagraph || code == TextCode::kParagraphEnd || code == TextCode::kEmptyParagraph ||
           code == TextCode::kLineBreak;
}

// The note text without its paragraph marks, CR and LF, trimmed. Other
// marks (emphasis) stay. Where paragraphs meet, one line break keeps their
// words apart; blanks around that break go with it.
void AppendReturnLinkText(TextContent& out, const TextContent& text) {
    const size_t first = out.ops.size();
    bool breakPending = false;
    const auto flushBreak = [&] {
        if (!breakPending) return;
        TrimContentEnd(out);
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
    TrimContentEnd(out);
}

// The start of the return link of the element `id`: its button and underline.
void StartReturnLink(TextContent& link, LinkTable& links, lrf::ObjectStore& store, WStringView id) {
    link.Mark(TextCode::kParagraph);
    link.Button(ReturnButtonRef(links, store, id));
    LinkLine(link, kDottedLine);
}

}  // namespace

size_t RegisterButton(LinkTable& links, lrf::ObjectStore& store, std::string objid, ButtonAim aim) {
    lrf::BuildButton(store, {.objid = std::move(objid)});
    const size_t number = store.buttons.size() - 1;
    links.Aims.resize(store.buttons.size());
    links.Aims[number] = std::move(aim);
    // Only the first forward button of an id is ever aimed at its target, and
    // only the first return button is ever named.
    const std::string& label = store.buttons[number].objid;
    if (label.starts_with(kForwardPrefix)) links.ForwardButtons.try_emplace(label, number);
    if (label.starts_with(kReturnButtonPrefix)) links.ReturnButtons.try_emplace(label, number);
    return number;
}

uint32_t NewButtonRef(lrf::ObjectStore& store, uint32_t button) {
    store.buttonRefs.push_back(button);
    return static_cast<uint32_t>(store.buttonRefs.size() - 1);
}

uint32_t ReturnButtonRef(LinkTable& links, lrf::ObjectStore& store, WStringView id) {
    std::string label = std::string(kReturnButtonPrefix) + Narrow(id);
    const auto found = links.ReturnButtons.find(label);
    if (found != links.ReturnButtons.end()) return NewButtonRef(store, static_cast<uint32_t>(found->second));
    const uint32_t reference = NewButtonRef(store, lrf::kNoRecord);
    links.ReturnRefsAwaitingButton.emplace_back(reference, std::move(label));
    return reference;
}

void AwaitTextBlock(LinkTable& links, const lrf::ObjectStore& store) {
    links.ReturnButtonsAwaitingBlock.push_back(store.buttons.size() - 1);
}

void ResolvePendingTarget(lrf::ObjectStore& store, LinkTable& links, const PageCursor& cursor,
                          const TReferenceSettings& references, WStringView pendingId, TextContent& text) {
    const std::string id = Narrow(pendingId);
    const std::optional<size_t> button = FirstForwardButton(links, id);
    if (!button) return;
    links.Aims[*button] = {ButtonAim::Kind::kFirstBlockOfId, lrf::kNoRecord, id};

    TextContent link;
    StartReturnLink(link, links, store, pendingId);
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

void AddAnchor(LinkTable& links, const PageCursor& cursor, const lrf::ObjectStore& store, WStringView id) {
    links.AnchorsAwaitingBlock.push_back(links.Anchors.size());
    links.Anchors.push_back(
        AnchorRecord{WString(id), cursor.PageCounter - 1, static_cast<uint32_t>(store.blocks.size()), lrf::kNoRecord});
}

void AwaitFirstBlock(LinkTable& links, const PageCursor& cursor, const lrf::ObjectStore& store, WString id) {
    if (!links.PendingTarget.empty()) AddAnchor(links, cursor, store, links.PendingTarget);
    links.PendingTarget = std::move(id);
}

void FirstBlockBuilt(LinkTable& links) { links.PendingTarget.clear(); }

void BlockBuilt(LinkTable& links, uint32_t block, WStringView id, bool named) {
    if (id.empty() && !named) return;
    links.NamedBlocks.insert(block);
    if (!id.empty()) links.BlockOfId.try_emplace(Narrow(id), block);
}

uint32_t FirstBlockOfId(const LinkTable& links, WStringView id) {
    const auto found = links.BlockOfId.find(Narrow(id));
    return found == links.BlockOfId.end() ? lrf::kNoRecord : found->second;
}

void TextBlockEmitted(LinkTable& links, uint32_t block, int page) {
    for (const size_t index : links.ReturnButtonsAwaitingBlock) AimAtBlock(links, index, block);
    for (const size_t index : links.AnchorsAwaitingBlock) {
        AnchorRecord& anchor = links.Anchors[index];
        anchor.page = page;
        anchor.block = block;
    }
    links.ReturnButtonsAwaitingBlock.clear();
    links.AnchorsAwaitingBlock.clear();
}

void NoteTargetEmitted(LinkTable& links, WStringView id, int page) {
    links.EmittedTargets.try_emplace(Narrow(id), LinkTable::Target{FirstBlockOfId(links, id), page});
}

void ResolveAnchors(LinkTable& links, lrf::ObjectStore& store, Console& console) {
    links.Aims.resize(store.buttons.size());  // a button built without RegisterButton leads nowhere
    for (const AnchorRecord& anchor : links.Anchors) {
        const std::optional<size_t> button = FirstForwardButton(links, Narrow(anchor.id));
        if (!button) continue;
        // An anchor whose block was never emitted names the block its number had.
        links.Aims[*button] = anchor.block != lrf::kNoRecord
                                  ? ButtonAim{ButtonAim::Kind::kBlock, anchor.block, {}}
                                  : ButtonAim{ButtonAim::Kind::kNumberedTextBlock, anchor.nextBlock, {}};
    }
    // Links to elements emitted before the link was read.
    for (const auto& [objid, index] : links.ForwardButtons) {
        if (links.Aims[index].kind != ButtonAim::Kind::kNone) continue;
        const auto target = links.EmittedTargets.find(objid.substr(kForwardPrefix.size()));
        if (target != links.EmittedTargets.end()) AimAtBlock(links, index, target->second.block);
    }
    // Links whose target the book lacks stay plain text; each is reported
    // once, in the order of the book.
    auto& buttons = store.buttons;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const lrf::ButtonRecord& button = buttons[i];
        if (links.Aims[i].kind != ButtonAim::Kind::kNone || !button.objid.starts_with(kForwardPrefix)) continue;
        const auto first = links.ForwardButtons.find(button.objid);
        if (first == links.ForwardButtons.end() || first->second != i) continue;
        console.Line("\nError: Link target not found: " + button.objid.substr(kForwardPrefix.size()));
    }
    for (size_t i = 0; i < buttons.size(); ++i) buttons[i].block = Settle(links, store, links.Aims[i]);
    // Anchors read before their links name the first return button made since.
    for (const auto& [reference, label] : links.ReturnRefsAwaitingButton) {
        const auto found = links.ReturnButtons.find(label);
        if (found != links.ReturnButtons.end()) store.buttonRefs[reference] = static_cast<uint32_t>(found->second);
    }
}

}  // namespace tavorin::fb2
