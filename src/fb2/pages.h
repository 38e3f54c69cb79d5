// Sections, titles, pages, running headers and footers, table of contents.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

void StartPage(WStringView title);
void StartFrontPage();
void SetCurrentPageHeaders(WStringView title);
// Kind 1 of EmitBlock.
void EmitTitleBlock(WString text);
WString TocText(WStringView text);
void BuildHeaderFooterSources();
// Hands every table-of-contents entry to the TOC builder.
void RegisterTocEntries();

}  // namespace tavorin::fb2
