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
// Appends the table-of-contents entry of a main-body title just emitted.
void AddTocEntry(WStringView title);
void BuildHeaderFooterSources();

enum RunningPart { kRunningHeader, kRunningFooter };
// The header or footer pair of a titled page: makes the objects and their two
// text blocks unless the part is fixed and its pair 0 exists. Returns the pair
// number the page refers to. `cutAtWord` applies the 40-character rule of new pages.
int MakeRunningPair(RunningPart part, WStringView title, bool cutAtWord);
// The text block content of a header or footer showing `text`.
WString RunningPartText(RunningPart part, WStringView text, bool cutAtWord);
// Hands every table-of-contents entry to the TOC builder.
void RegisterTocEntries();

}  // namespace tavorin::fb2
