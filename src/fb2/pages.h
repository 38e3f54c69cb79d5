// Pages and titles: the page cursor, page starts with their running header
// and footer references, the front page, and the title block.
#pragma once

#include "fb2/block_content.h"
#include "fb2/styles.h"
#include "settings/conversion_settings.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::lrf {
struct ObjectStore;
}

namespace tavorin::fb2 {

struct Conversion;
struct RunningHeaders;

// Where the conversion stands in the book (pages.cpp; the body loop counts
// section depth).
struct PageCursor {
    int PageCounter = 0;
    int SectionDepth = -1;
    bool InMainBody = true;
    bool InNotesBody = false;
    bool FirstTitlePending = true;
};

// A page without running header and footer.
void StartPage(PageCursor& cursor, lrf::ObjectStore& store, const StyleValues& styles);
// A page whose running header and footer show `title` (none when it is empty).
void StartPage(PageCursor& cursor, RunningHeaders& running, lrf::ObjectStore& store, Console& console,
               const ConversionSettings& settings, const StyleValues& styles, const TextContent& title);
void StartFrontPage(PageCursor& cursor, lrf::ObjectStore& store, const StyleValues& styles);
// When the current page holds as many blocks as a page may, the next block
// goes on a continuation page with the same style, header and footer.
void ContinueFullPage(PageCursor& cursor, lrf::ObjectStore& store);
void SetCurrentPageHeaders(PageCursor& cursor, RunningHeaders& running, lrf::ObjectStore& store, Console& console,
                           const ConversionSettings& settings, const StyleValues& styles, const TextContent& title);
// Notes and commentary start a page and are drawn in note style, without
// contents entries.
void StartNotesBody(PageCursor& cursor, lrf::ObjectStore& store, const StyleValues& styles);
// The title block (BlockKind::kTitle).
void EmitTitleBlock(Conversion& cv, TextContent text);

}  // namespace tavorin::fb2
