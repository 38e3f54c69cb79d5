// Element builders: each turns one layout markup element (an LRS-style start
// tag with attributes, as a UTF-16 string) into one record of the object store,
// encoding its attributes as LRF tags. References stay labels until linking.
// Builders that encode attributes print an error line on the console for a
// value they cannot read.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "lrf/store/object_store.h"
#include "text/console.h"
#include "text/wide.h"

namespace tavorin::lrf {

// Value of the first occurrence of `name` anywhere in `text` (also inside a
// longer name), between the next quote (double or single) and the following
// quote of either kind; empty when not found. Returned as UTF-8.
std::string GetAttribute(WStringView name, WStringView text);
// The same on wide text, with the double quote as the only quote character.
WString GetAttributeW(WStringView name, WStringView text);

// Cuts the text at its first "<CR/>" and deletes Bold, Italic and P tags.
void StripMarkup(WString& text);

void BuildPage(ObjectStore& store, Console& console, WStringView element);
// childKind is kKindTextBlock or kKindImageBlock: the kind of the child built next.
void BuildBlock(ObjectStore& store, Console& console, ElementKind childKind, WStringView element);
void BuildTextBlock(ObjectStore& store, Console& console, WStringView element, WStringView content);
void BuildImageBlock(ObjectStore& store, WStringView element);
// "<BlockSpace ..." or "<RuledLine ..."
void BuildInline(ObjectStore& store, WStringView element);
// kind is kKindHeader or kKindFooter; ruleText holds xl0, yl0, xl1, yl1, lw, lc, lt.
void BuildHeaderFooter(ObjectStore& store, Console& console, ElementKind kind, WStringView element,
                       WStringView ruleText);
void BuildButton(ObjectStore& store, WStringView element);
void BuildTocEntry(ObjectStore& store, WStringView element);
void BuildImageStream(ObjectStore& store, std::span<const uint8_t> bytes, WStringView sizeText, WStringView element);
void StartSolo(ObjectStore& store);
void EndSolo(ObjectStore& store);

// Styles, book defaults, book settings and fonts.
// kind is kKindTextStyle, kKindBlockStyle or kKindPageStyle.
void BuildStyle(ObjectStore& store, Console& console, ElementKind kind, WStringView element);
void BuildBookDefaults(ObjectStore& store, Console& console, WStringView element);
void ApplyBookSetting(ObjectStore& store, Console& console, WStringView element);
void RegisterFont(ObjectStore& store, WStringView element);

}  // namespace tavorin::lrf
