// Block kinds: how a buffer of paragraph markup read from the book (or laid
// out by the converter) is emitted, and the style each kind is drawn in.
#pragma once

#include "settings/conversion_settings.h"

namespace tavorin::fb2 {

enum class BlockKind {
    kBody,
    kTitle,
    kEpigraph,
    kPoem,
    kImage,
    kSubtitle,
    kPoemTitle,  // the title of a poem or of a stanza
    kNote,
    kHeaderOdd,
    kFooterOdd,
    kHeaderEven,
    kFooterEven,
    kAnnotation,
    kCite,
    kBookTitle,  // the book title page and the annotation page
    kNone,       // an element that makes no block of its own
};

// The style a block kind is drawn in. Outside the main body, subtitles and
// titles take the note styles instead; the emitter decides that.
constexpr StyleKind StyleOfBlock(BlockKind kind) {
    switch (kind) {
        case BlockKind::kBody: return StyleKind::kBody;
        case BlockKind::kTitle: return StyleKind::kTitle;
        case BlockKind::kEpigraph: return StyleKind::kEpigraph;
        case BlockKind::kPoem: return StyleKind::kPoem;
        case BlockKind::kImage: return StyleKind::kImage;
        case BlockKind::kSubtitle: return StyleKind::kSubtitle;
        case BlockKind::kPoemTitle: return StyleKind::kSubtitle;
        case BlockKind::kNote: return StyleKind::kNote;
        case BlockKind::kHeaderOdd: return StyleKind::kHeaderOdd;
        case BlockKind::kFooterOdd: return StyleKind::kFooterOdd;
        case BlockKind::kHeaderEven: return StyleKind::kHeaderEven;
        case BlockKind::kFooterEven: return StyleKind::kFooterEven;
        case BlockKind::kAnnotation: return StyleKind::kAnnotation;
        case BlockKind::kCite: return StyleKind::kCite;
        case BlockKind::kBookTitle: return StyleKind::kBookTitle;
        case BlockKind::kNone: break;
    }
    return StyleKind::kBody;  // no block is made of kNone
}

}  // namespace tavorin::fb2
