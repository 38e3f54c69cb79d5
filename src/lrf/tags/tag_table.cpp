// The three attribute tables: markup attribute name -> LRF tag code and the
// width of its value (-1 for codes with an encoding of their own, see
// tag_values.cpp). Looked up by selector; the first matching row wins.
#include <span>

#include "lrf/tags/tag_table.h"

namespace tavorin::lrf {

namespace {

struct AttributeRow {
    WStringView name;
    uint16_t code;
    int16_t size;
};

constexpr AttributeRow kPageAttributeTable[] = {
    {u"bgimagemode", 0xF529, -1},   {u"evensidemargin", 0xF52C, 2}, {u"footheight", 0xF528, 2},
    {u"footspace", 0xF527, 2},      {u"headheight", 0xF522, 2},     {u"headsep", 0xF523, 2},
    {u"layout", 0xF535, 2},         {u"oddsidemargin", 0xF524, 2},  {u"pageposition", 0xF52B, 2},
    {u"textheight", 0xF525, 2},     {u"textwidth", 0xF526, 2},      {u"topmargin", 0xF521, 2},
    {u"setemptyview", 0xF52A, 2},   {u"setwaitprop", 0xF5DA, 2},
};

constexpr AttributeRow kBlockAttributeTable[] = {
    {u"bgimagemode", 0xF529, -1}, {u"blockheight", 0xF532, 2}, {u"blockwidth", 0xF531, 2},
    {u"blockrule", 0xF533, 2},    {u"layout", 0xF535, 2},      {u"framewidth", 0xF536, 2},
    {u"framecolor", 0xF537, -1},  {u"framemode", 0xF52E, 2},   {u"topskip", 0xF538, 2},
    {u"sidemargin", 0xF539, 2},   {u"footskip", 0xF53A, 2},    {u"bgcolor", 0xF534, -1},
};

constexpr AttributeRow kTextAttributeTable[] = {
    {u"fontsize", 0xF511, 2},
    {u"fontwidth", 0xF512, 2},
    {u"fontescapement", 0xF513, 2},
    {u"fontorientation", 0xF514, 2},
    {u"fontweight", 0xF515, 2},
    {u"fontfacename", 0xF516, -1},
    {u"textcolor", 0xF517, -1},
    {u"textbgcolor", 0xF518, -1},
    {u"wordspace", 0xF519, 2},
    {u"letterspace", 0xF51A, 2},
    {u"baselineskip", 0xF51B, 2},
    {u"linespace", 0xF51C, 2},
    {u"parindent", 0xF51D, 2},
    {u"parskip", 0xF51E, 2},
    {u"align", 0xF53C, 2},
    {u"column", 0xF53D, 2},
    {u"columnsep", 0xF53E, 2},
    {u"charspace", 0xF5DD, 2},
    {u"textlinewidth", 0xF5F1, -1},
    {u"linecolor", 0xF5F2, -1},
    {u"rubyalignandadjust", 0xF575, 2},
    {u"rubyoverhang", 0xF576, 2},
    {u"empdotsposition", 0xF577, 2},
    {u"empdotscode", 0xF578, -1},
    {u"emplineposition", 0xF579, 2},
    {u"emplinetype", 0xF57A, 2},
    {u"empdotsfontname", kEmphasisDotsFontCode, -1},
    {u"setwaitprop", 0xF5DA, 2},
    {u"xsize", 0xF5CA, 2},
};

std::span<const AttributeRow> SelectTable(int selector) {
    switch (selector) {
        case kPageAttributes: return kPageAttributeTable;
        case kBlockAttributes: return kBlockAttributeTable;
        case kTextAttributes: return kTextAttributeTable;
        default: return {};
    }
}

}  // namespace

TTag LookupTag(int selector, WStringView name) {
    for (const AttributeRow& row : SelectTable(selector)) {
        if (row.name == name) return TTag{{}, row.code, row.size};
    }
    return TTag{};
}

}  // namespace tavorin::lrf
