// The object store of the run and the element kind table.
#include "lrf/store/object_store.h"

namespace tavorin::lrf {

const std::array<ElementKindInfo, kKindCount> kElementKindTable = {{
    {u"<Page ", 0x02},
    {u"<TextBlock ", 0x0A},
    {u"<SimpleTextBlock ", 0x1D},
    {u"<ImageBlock ", 0x0C},
    {u"<Header ", 0x03},
    {u"<Footer ", 0x04},
    {u"<BookStyle ", 0x1C},
    {u"<BlockStyle ", 0x07},
    {u"<PageStyle ", 0x05},
    {u"<BlockSpace ", 0x00},
    {u"LRFBlock", 0x06},
    {u"<TextStyle ", 0x0B},
    {u"<ImageStream ", 0x11},
    {u"<SetDefault ", 0x1C},
    {u"<BookSetting ", 0x00},
    {u"<?xml ", 0x00},
    {u"<TocLabel ", 0x1E},
    {u"</Main", 0x00},
    {u"<Button ", 0x13},
    {u"<RegistFont ", 0x19},
    {u"<Solo", 0x00},
    {u"</Solo", 0x00},
    {u"<RuledLine ", 0x00},
}};

ObjectStore g_store;

void ResetStore() { g_store = ObjectStore{}; }

}  // namespace tavorin::lrf
