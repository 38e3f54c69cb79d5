// Sections, titles, pages, running headers and footers, table of contents.
#pragma once

#include "text/wide.h"

namespace tavorin::fb2 {

struct Conversion;

void StartPage(Conversion& cv, WStringView title);
void StartFrontPage(Conversion& cv);
void SetCurrentPageHeaders(Conversion& cv, WStringView title);
// The title block (BlockKind::kTitle).
void EmitTitleBlock(Conversion& cv, WString text);
WString TocText(WStringView text);
// Appends the table-of-contents entry of a main-body title just emitted.
void AddTocEntry(Conversion& cv, WStringView title);
void BuildHeaderFooterSources(Conversion& cv);

enum RunningPart { kRunningHeader, kRunningFooter };
// The header or footer pair of a titled page: makes the objects and their two
// text blocks unless the part is fixed and its pair 0 exists. Returns the pair
// number the page refers to. `cutAtWord` applies the 40-character rule of new pages.
int MakeRunningPair(Conversion& cv, RunningPart part, WStringView title, bool cutAtWord);
// The text block content of a header or footer showing `text`.
WString RunningPartText(Conversion& cv, RunningPart part, WStringView text, bool cutAtWord);
// Hands every table-of-contents entry to the TOC builder.
void RegisterTocEntries(Conversion& cv);

}  // namespace tavorin::fb2
