// The pages made from the description: the book title page with the
// annotation page after it, and the description page at the end.
#pragma once

namespace tavorin::fb2 {

struct Conversion;

// The book title block (BlockKind::kBookTitle): the book title page and the annotation page.
void EmitBookTitlePage(Conversion& cv);
// Emits the "***FB2 BOOK INFO***" link and the description page (solo page).
void EmitDescriptionPage(Conversion& cv);

}  // namespace tavorin::fb2
