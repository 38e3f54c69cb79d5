// Pages and titles: page starts with their running header and footer
// references, the front page, and the title block that decides whether a
// section title starts a page.
#include "app/run_state.h"
#include "fb2/pages.h"

#include "fb2/body.h"
#include "fb2/conversion_state.h"
#include "fb2/notes.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

WString PairLabel(std::u16string_view prefix, int number) { return WString(prefix) + ToWString(number); }

}  // namespace

void StartPage(WStringView title) {
    WString page = u"pagestyle=\"ps_" + Widen(g_settings.PageLayout.Label) + u"\" objid=\"p" +
                   ToWString(g_conv.PageCounter) + u"\"";
    if (!title.empty()) {
        if (g_settings.HeaderFooter.HeaderShow) {
            const int n = MakeRunningPair(kRunningHeader, title, true);
            page += u" oddheaderid=\"" + PairLabel(u"hdr_o", n) + u"\" evenheaderid=\"" + PairLabel(u"hdr_e", n) + u"\"";
        }
        if (g_settings.HeaderFooter.FooterShow) {
            const int n = MakeRunningPair(kRunningFooter, title, true);
            page += u" oddfooter=\"" + PairLabel(u"ftr_o", n) + u"\" evenfooter=\"" + PairLabel(u"ftr_e", n) + u"\"";
        }
    }
    lrf::BuildPage(lrf::g_store, RunConsole(), page);
    ++g_conv.PageCounter;
}

void StartFrontPage() {
    lrf::BuildPage(lrf::g_store, RunConsole(), u"pagestyle=\"ps_front\" objid=\"p" + ToWString(g_conv.PageCounter) + u"\"");
    ++g_conv.PageCounter;
}

void SetCurrentPageHeaders(WStringView title) {
    const size_t page = static_cast<size_t>(g_conv.PageCounter - 1);
    if (title.empty() || g_conv.PageCounter < 1 || page >= lrf::g_store.pages.size()) return;
    if (g_settings.HeaderFooter.HeaderShow) {
        const int n = MakeRunningPair(kRunningHeader, title, false);
        lrf::PageRecord& record = lrf::g_store.pages[page];
        record.oddHeader = Narrow(PairLabel(u"hdr_o", n));
        record.evenHeader = Narrow(PairLabel(u"hdr_e", n));
    }
    if (g_settings.HeaderFooter.FooterShow) {
        const int n = MakeRunningPair(kRunningFooter, title, false);
        lrf::PageRecord& record = lrf::g_store.pages[page];
        record.oddFooter = Narrow(PairLabel(u"ftr_o", n));
        record.evenFooter = Narrow(PairLabel(u"ftr_e", n));
    }
}

void EmitTitleBlock(WString text) {
    ConversionState& c = g_conv;
    // A title directly in the body, on the first pages, only names the running
    // header and footer; the id it carries waits for the next block.
    if (c.SectionDepth < 0 && c.PageCounter <= 3 && c.InMainBody) {
        SetCurrentPageHeaders(text);
        return;
    }
    if (c.InMainBody) {
        if (c.FirstTitlePending) {
            SetCurrentPageHeaders(text);
            c.FirstTitlePending = false;
        } else if (c.SectionDepth <= 0 || g_settings.General.PageAtSubtitles) {
            StartPage(text);
        }
    }
    // Headers and the table of contents show the title itself, even when its
    // block becomes the return link of a note.
    WString blockText = text;
    if (!c.PendingId.empty()) ResolvePendingTarget(blockText);
    EmitStandardBlock(c.InMainBody ? kStyleTitle : kStyleRefer, std::move(blockText), c.PendingId);
    if (c.InMainBody) AddTocEntry(text);
    c.PendingId.clear();
}

}  // namespace tavorin::fb2
