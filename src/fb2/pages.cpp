// Pages and titles: page starts with their running header and footer
// references, the front page, and the title block that decides whether a
// section title starts a page.
#include "fb2/pages.h"

#include <string>
#include <string_view>

#include "fb2/block_emitter.h"
#include "fb2/body.h"
#include "fb2/conversion.h"
#include "fb2/headers_footers.h"
#include "fb2/notes.h"
#include "fb2/table_of_contents.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

// The format counts a page tree's pages and a page's child objects in 16
// bits. A page takes at most this many entries (blocks, block spaces; about
// two objects each) before the next block goes on a continuation page ...
constexpr size_t kMaxPageEntries = 20000;
// ... and titles start pages while the book has fewer pages than this, which
// leaves room for continuation pages within the 65,535 of the main tree.
constexpr size_t kMaxTitledPages = 0xFFFF - 1024;

// The next page, in the page style of the layout.
lrf::PageRecord NextPage(const StyleValues& styles) {
    lrf::PageRecord page;
    page.pageStyle = styles.PageStyle;
    return page;
}

void BuildNextPage(PageCursor& cursor, lrf::ObjectStore& store, lrf::PageRecord page) {
    lrf::BuildPage(store, std::move(page));
    ++cursor.PageCounter;
}

}  // namespace

void StartPage(PageCursor& cursor, lrf::ObjectStore& store, const StyleValues& styles) {
    BuildNextPage(cursor, store, NextPage(styles));
}

void StartPage(PageCursor& cursor, RunningHeaders& running, lrf::ObjectStore& store, Console& console,
               const ConversionSettings& settings, const StyleValues& styles, const TextContent& title) {
    lrf::PageRecord page = NextPage(styles);
    if (!title.empty()) {
        if (settings.HeaderFooter.HeaderShow) {
            const auto pair = MakeRunningPair(running, store, console, settings, styles, kRunningHeader, title, true);
            page.oddHeader = pair.odd;
            page.evenHeader = pair.even;
        }
        if (settings.HeaderFooter.FooterShow) {
            const auto pair = MakeRunningPair(running, store, console, settings, styles, kRunningFooter, title, true);
            page.oddFooter = pair.odd;
            page.evenFooter = pair.even;
        }
    }
    BuildNextPage(cursor, store, std::move(page));
}

void ContinueFullPage(PageCursor& cursor, lrf::ObjectStore& store) {
    if (store.pages.empty() || store.pages.back().content.size() < kMaxPageEntries) return;
    if (!store.soloMode && store.pages.size() >= 0xFFFF) return;
    const lrf::PageRecord& full = store.pages.back();
    lrf::PageRecord page;
    page.pageStyle = full.pageStyle;
    page.oddHeader = full.oddHeader;
    page.evenHeader = full.evenHeader;
    page.oddFooter = full.oddFooter;
    page.evenFooter = full.evenFooter;
    BuildNextPage(cursor, store, std::move(page));
}

void StartFrontPage(PageCursor& cursor, lrf::ObjectStore& store, const StyleValues& styles) {
    lrf::PageRecord page;
    page.pageStyle = styles.FrontPageStyle;
    BuildNextPage(cursor, store, std::move(page));
}

void SetCurrentPageHeaders(PageCursor& cursor, RunningHeaders& running, lrf::ObjectStore& store, Console& console,
                           const ConversionSettings& settings, const StyleValues& styles, const TextContent& title) {
    const size_t page = static_cast<size_t>(cursor.PageCounter - 1);
    if (title.empty() || cursor.PageCounter < 1 || page >= store.pages.size()) return;
    if (settings.HeaderFooter.HeaderShow) {
        const auto pair = MakeRunningPair(running, store, console, settings, styles, kRunningHeader, title, false);
        lrf::PageRecord& record = store.pages[page];
        record.oddHeader = pair.odd;
        record.evenHeader = pair.even;
    }
    if (settings.HeaderFooter.FooterShow) {
        const auto pair = MakeRunningPair(running, store, console, settings, styles, kRunningFooter, title, false);
        lrf::PageRecord& record = store.pages[page];
        record.oddFooter = pair.odd;
        record.evenFooter = pair.even;
    }
}

void StartNotesBody(PageCursor& cursor, lrf::ObjectStore& store, const StyleValues& styles) {
    StartPage(cursor, store, styles);
    cursor.InMainBody = false;
    cursor.InNotesBody = true;
}

void EmitTitleBlock(Conversion& cv, TextContent text) {
    PageCursor& c = cv.cursor;
    // A title directly in the body, on the first pages, only names the running
    // header and footer; the id it carries waits for the next block.
    if (c.SectionDepth < 0 && c.PageCounter <= 3 && c.InMainBody) {
        SetCurrentPageHeaders(c, cv.running, cv.store, cv.console, cv.settings, cv.styles, text);
        return;
    }
    bool started = false;
    if (c.InMainBody) {
        if (c.FirstTitlePending) {
            SetCurrentPageHeaders(c, cv.running, cv.store, cv.console, cv.settings, cv.styles, text);
            c.FirstTitlePending = false;
        } else if ((c.SectionDepth <= 0 || cv.settings.General.PageAtSubtitles) &&
                   cv.store.pages.size() < kMaxTitledPages) {
            StartPage(c, cv.running, cv.store, cv.console, cv.settings, cv.styles, text);
            started = true;
        }
    }
    if (!started) ContinueFullPage(c, cv.store);
    // Headers and the table of contents show the title itself, even when its
    // block becomes the return link of a note.
    const WString pendingId = cv.links.PendingTarget;
    TextContent blockText = text;
    if (!pendingId.empty()) ResolvePendingTarget(cv.store, cv.links, c, cv.settings.References, pendingId, blockText);
    const uint32_t block =
        EmitStandardBlock(cv, c.InMainBody ? StyleKind::kTitle : StyleKind::kRefer, std::move(blockText), pendingId);
    // The entry leads to the title's block, or to the first block of its id.
    if (c.InMainBody) {
        AddTocEntry(cv.contents, c, cv.settings, pendingId.empty() ? block : FirstBlockOfId(cv.links, pendingId), text);
    }
    FirstBlockBuilt(cv.links);
}

}  // namespace tavorin::fb2
