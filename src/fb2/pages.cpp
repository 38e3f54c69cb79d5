// Pages and titles: page starts with their running header and footer
// references, the front page, and the title block that decides whether a
// section title starts a page.
#include "fb2/pages.h"

#include "fb2/body.h"
#include "fb2/conversion.h"
#include "fb2/notes.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

WString PairLabel(std::u16string_view prefix, int number) { return WString(prefix) + ToWString(number); }

}  // namespace

void StartPage(Conversion& cv, WStringView title) {
    WString page = u"pagestyle=\"ps_" + Widen(cv.settings.PageLayout.Label) + u"\" objid=\"p" +
                   ToWString(cv.body.PageCounter) + u"\"";
    if (!title.empty()) {
        if (cv.settings.HeaderFooter.HeaderShow) {
            const int n = MakeRunningPair(cv, kRunningHeader, title, true);
            page +=
                u" oddheaderid=\"" + PairLabel(u"hdr_o", n) + u"\" evenheaderid=\"" + PairLabel(u"hdr_e", n) + u"\"";
        }
        if (cv.settings.HeaderFooter.FooterShow) {
            const int n = MakeRunningPair(cv, kRunningFooter, title, true);
            page += u" oddfooter=\"" + PairLabel(u"ftr_o", n) + u"\" evenfooter=\"" + PairLabel(u"ftr_e", n) + u"\"";
        }
    }
    lrf::BuildPage(cv.store, cv.console, page);
    ++cv.body.PageCounter;
}

void StartFrontPage(Conversion& cv) {
    lrf::BuildPage(cv.store, cv.console, u"pagestyle=\"ps_front\" objid=\"p" + ToWString(cv.body.PageCounter) + u"\"");
    ++cv.body.PageCounter;
}

void SetCurrentPageHeaders(Conversion& cv, WStringView title) {
    const size_t page = static_cast<size_t>(cv.body.PageCounter - 1);
    if (title.empty() || cv.body.PageCounter < 1 || page >= cv.store.pages.size()) return;
    if (cv.settings.HeaderFooter.HeaderShow) {
        const int n = MakeRunningPair(cv, kRunningHeader, title, false);
        lrf::PageRecord& record = cv.store.pages[page];
        record.oddHeader = Narrow(PairLabel(u"hdr_o", n));
        record.evenHeader = Narrow(PairLabel(u"hdr_e", n));
    }
    if (cv.settings.HeaderFooter.FooterShow) {
        const int n = MakeRunningPair(cv, kRunningFooter, title, false);
        lrf::PageRecord& record = cv.store.pages[page];
        record.oddFooter = Narrow(PairLabel(u"ftr_o", n));
        record.evenFooter = Narrow(PairLabel(u"ftr_e", n));
    }
}

void EmitTitleBlock(Conversion& cv, WString text) {
    ConversionState& c = cv.body;
    // A title directly in the body, on the first pages, only names the running
    // header and footer; the id it carries waits for the next block.
    if (c.SectionDepth < 0 && c.PageCounter <= 3 && c.InMainBody) {
        SetCurrentPageHeaders(cv, text);
        return;
    }
    if (c.InMainBody) {
        if (c.FirstTitlePending) {
            SetCurrentPageHeaders(cv, text);
            c.FirstTitlePending = false;
        } else if (c.SectionDepth <= 0 || cv.settings.General.PageAtSubtitles) {
            StartPage(cv, text);
        }
    }
    // Headers and the table of contents show the title itself, even when its
    // block becomes the return link of a note.
    WString blockText = text;
    if (!c.PendingId.empty()) ResolvePendingTarget(cv, blockText);
    EmitStandardBlock(cv, c.InMainBody ? StyleKind::kTitle : StyleKind::kRefer, std::move(blockText), c.PendingId);
    if (c.InMainBody) AddTocEntry(cv, text);
    c.PendingId.clear();
}

}  // namespace tavorin::fb2
