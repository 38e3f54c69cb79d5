// Pages and titles: page starts with their running header and footer
// references, the front page, and the title block that decides whether a
// section title starts a page.
#include "fb2/block_emitter.h"
#include "fb2/pages.h"

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

WString PairLabel(std::u16string_view prefix, int number) { return WString(prefix) + ToWString(number); }

void BuildNextPage(PageCursor& cursor, lrf::ObjectStore& store, Console& console, WStringView page) {
    lrf::BuildPage(store, console, page);
    ++cursor.PageCounter;
}

WString PageAttributes(const PageCursor& cursor, const ConversionSettings& settings) {
    return u"pagestyle=\"ps_" + Widen(settings.PageLayout.Label) + u"\" objid=\"p" + ToWString(cursor.PageCounter) +
           u"\"";
}

}  // namespace

void StartPage(PageCursor& cursor, lrf::ObjectStore& store, Console& console, const ConversionSettings& settings) {
    BuildNextPage(cursor, store, console, PageAttributes(cursor, settings));
}

void StartPage(PageCursor& cursor, RunningHeaders& running, lrf::ObjectStore& store, Console& console,
               const ConversionSettings& settings, WStringView title) {
    WString page = PageAttributes(cursor, settings);
    if (!title.empty()) {
        if (settings.HeaderFooter.HeaderShow) {
            const int n = MakeRunningPair(running, cursor, store, console, settings, kRunningHeader, title, true);
            page +=
                u" oddheaderid=\"" + PairLabel(u"hdr_o", n) + u"\" evenheaderid=\"" + PairLabel(u"hdr_e", n) + u"\"";
        }
        if (settings.HeaderFooter.FooterShow) {
            const int n = MakeRunningPair(running, cursor, store, console, settings, kRunningFooter, title, true);
            page += u" oddfooter=\"" + PairLabel(u"ftr_o", n) + u"\" evenfooter=\"" + PairLabel(u"ftr_e", n) + u"\"";
        }
    }
    BuildNextPage(cursor, store, console, page);
}

void StartFrontPage(PageCursor& cursor, lrf::ObjectStore& store, Console& console) {
    BuildNextPage(cursor, store, console, u"pagestyle=\"ps_front\" objid=\"p" + ToWString(cursor.PageCounter) + u"\"");
}

void SetCurrentPageHeaders(PageCursor& cursor, RunningHeaders& running, lrf::ObjectStore& store, Console& console,
                           const ConversionSettings& settings, WStringView title) {
    const size_t page = static_cast<size_t>(cursor.PageCounter - 1);
    if (title.empty() || cursor.PageCounter < 1 || page >= store.pages.size()) return;
    if (settings.HeaderFooter.HeaderShow) {
        const int n = MakeRunningPair(running, cursor, store, console, settings, kRunningHeader, title, false);
        lrf::PageRecord& record = store.pages[page];
        record.oddHeader = Narrow(PairLabel(u"hdr_o", n));
        record.evenHeader = Narrow(PairLabel(u"hdr_e", n));
    }
    if (settings.HeaderFooter.FooterShow) {
        const int n = MakeRunningPair(running, cursor, store, console, settings, kRunningFooter, title, false);
        lrf::PageRecord& record = store.pages[page];
        record.oddFooter = Narrow(PairLabel(u"ftr_o", n));
        record.evenFooter = Narrow(PairLabel(u"ftr_e", n));
    }
}

void StartNotesBody(PageCursor& cursor, lrf::ObjectStore& store, Console& console, const ConversionSettings& settings) {
    StartPage(cursor, store, console, settings);
    cursor.InMainBody = false;
    cursor.InNotesBody = true;
}

void EmitTitleBlock(Conversion& cv, WString text) {
    PageCursor& c = cv.cursor;
    // A title directly in the body, on the first pages, only names the running
    // header and footer; the id it carries waits for the next block.
    if (c.SectionDepth < 0 && c.PageCounter <= 3 && c.InMainBody) {
        SetCurrentPageHeaders(c, cv.running, cv.store, cv.console, cv.settings, text);
        return;
    }
    if (c.InMainBody) {
        if (c.FirstTitlePending) {
            SetCurrentPageHeaders(c, cv.running, cv.store, cv.console, cv.settings, text);
            c.FirstTitlePending = false;
        } else if (c.SectionDepth <= 0 || cv.settings.General.PageAtSubtitles) {
            StartPage(c, cv.running, cv.store, cv.console, cv.settings, text);
        }
    }
    // Headers and the table of contents show the title itself, even when its
    // block becomes the return link of a note.
    WString& pendingId = cv.body.PendingId;
    WString blockText = text;
    if (!pendingId.empty()) ResolvePendingTarget(cv.store, cv.links, c, cv.settings.References, pendingId, blockText);
    EmitStandardBlock(cv, c.InMainBody ? StyleKind::kTitle : StyleKind::kRefer, std::move(blockText), pendingId);
    if (c.InMainBody) AddTocEntry(cv.contents, c, cv.settings, pendingId, text);
    pendingId.clear();
}

}  // namespace tavorin::fb2
