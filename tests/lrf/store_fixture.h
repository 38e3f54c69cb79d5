// Fixture of the LRF layer tests: a fresh object store for each test and a
// console that keeps what the code under test prints.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "lrf/store/text_content.h"
#include "text/console.h"

namespace tavorin::lrf::test {

class StoreTest : public ::testing::Test {
protected:
    StringSink printed;
    Console console{printed};
    ObjectStore store;
};

// The records of the styles WriterTest::BuildTestStyles builds: page styles
// front and main; block and text styles of the body and of running headers.
inline constexpr uint32_t kFrontPageStyle = 0, kMainPageStyle = 1;
inline constexpr uint32_t kBodyStyle = 0, kHeaderStyle = 1;

// A page of the main page style, and the styles of a body text block.
inline PageRecord Page(uint32_t pageStyle = kMainPageStyle) {
    PageRecord page;
    page.pageStyle = pageStyle;
    return page;
}
inline TextBlockStyles BodyText() { return {kBodyStyle, kBodyStyle}; }

// One step of a text content written out in a test: a code, a run of text,
// attributes, a button's start or a picture.
struct Step {
    Step(TextCode c) : code(c) {}
    Step(const char16_t* t) : code(TextCode::kText), text(t) {}
    Step(TextCode c, std::vector<TagValue> values, uint32_t n = 0) : code(c), tags(std::move(values)), number(n) {}
    static Step Button(uint32_t reference) {
        Step step(TextCode::kButton);
        step.number = reference;
        return step;
    }
    static Step Plot(uint32_t image, int64_t width, int64_t height) {
        Step step(TextCode::kPlot);
        step.number = image;
        step.size = {width, height};
        return step;
    }
    TextCode code;
    WStringView text;
    std::vector<TagValue> tags;
    uint32_t number = 0;
    std::pair<int64_t, int64_t> size;
};

inline TextContent Content(std::initializer_list<Step> steps) {
    StringSink ignored;
    Console console{ignored};
    TextContent content;
    for (const Step& step : steps) {
        switch (step.code) {
            case TextCode::kText: content.Text(step.text); break;
            case TextCode::kSpan:
            case TextCode::kSpace:
            case TextCode::kEmpLine: {
                ByteBuffer bytes;
                EncodeTags(kTextAttributes, bytes, step.tags, console);
                content.AttributeBytes(step.code, bytes, step.number);
                break;
            }
            case TextCode::kButton: content.Button(step.number); break;
            case TextCode::kPlot: content.Plot(step.number, step.size.first, step.size.second); break;
            default: content.Mark(step.code);
        }
    }
    return content;
}

// A paragraph of plain text.
inline TextContent Paragraph(WStringView text) {
    TextContent content;
    content.Mark(TextCode::kParagraph);
    content.Text(text);
    content.Mark(TextCode::kParagraphEnd);
    return content;
}

}  // namespace tavorin::lrf::test
