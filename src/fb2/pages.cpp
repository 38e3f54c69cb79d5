// Pages and titles: page starts with their running header and footer
// references, the front page, and the title block that decides whether a
// section title starts a page.
#include "fb2/pages.h"

#include <string>
#include <string_view>

#include "fb2/body.h"
#include "fb2/conversion.h"
#include "fb2/notes.h"
#include "lrf/store/builders.h"
#include "settings/conversion_settings.h"

namespace tavorin::fb2 {
namespace {

std::string PairLabel(std::string_view prefix, int number) { return std::string(prefix) + std::to_string(number); }

std::string PageLabel(int number) { return "p" + std::to_string(number); }

}  // namespace

void StartPage(Conversion& cv, WStringView title) {
    lrf::PageRecord page;
    page.objid = PageLabel(cv.body.PageCounter);
    page.pageStyle = "ps_" + cv.settings.PageLayout.Label;
    if (!title.empty()) {
        if (cv.settings.HeaderFooter.HeaderShow) {
            const int n = MakeRunningPair(cv, kRunningHeader, title, true);
            page.oddHeader = PairLabel("hdr_o", n);
            page.evenHeader = PairLabel("hdr_e", n);
        }
        if (cv.settings.HeaderFooter.FooterShow) {
            const int n = MakeRunningPair(cv, kRunningFooter, title, true);
            page.oddFooter = PairLabel("ftr_o", n);
            page.evenFooter = PairLabel("ftr_e", n);
        }
    }
    lrf::BuildPage(cv.store, std::move(page));
    ++cv.body.PageCounter;
}

void StartFrontPage(Conversion& cv) {
    lrf::PageRecord page;
    page.objid = PageLabel(cv.body.PageCounter);
    page.pageStyle = "ps_front";
    lrf::BuildPage(cv.store, std::move(page));
    ++cv.body.PageCounter;
}

void SetCurrentPageHeaders(Conversion& cv, WStringView title) {
    const size_t page = static_cast<size_t>(cv.body.PageCounter - 1);
    if (title.empty() || cv.body.PageCounter < 1 || page >= cv.store.pages.size()) return;
    if (cv.settings.HeaderFooter.HeaderShow) {
        const int n = MakeRunningPair(cv, kRunningHeader, title, false);
        lrf::PageRecord& record = cv.store.pages[page];
        record.oddHeader = PairLabel("hdr_o", n);
        record.evenHeader = PairLabel("hdr_e", n);
    }
    if (cv.settings.HeaderFooter.FooterShow) {
        const int n = MakeRunningPair(cv, kRunningFooter, title, false);
        lrf::PageRecord& record = cv.store.pages[page];
        record.oddFooter = PairLabel("ftr_o", n);
        record.evenFooter = PairLabel("ftr_e", n);
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
