// Set-up and read-back helpers of the body conversion tests.
#include "body_fixture.h"

#include <memory>

#include "app/console.h"
#include "app/run_state.h"
#include "fb2/body.h"
#include "fb2/conversion_state.h"
#include "fb2/notes.h"
#include "fb2/styles.h"
#include "lrf/store/object_store.h"
#include "settings/conversion_settings.h"
#include "text/codecs.h"
#include "text/unicode_reader.h"

namespace tavorin::fb2::test {

void BodyTest::SetUp() {
    ResetRunState();
    ResetFb2State();
    g_settings = BuiltInSettings();
    console_ = std::tmpfile();
    SetConsoleStream(console_);
    DefineStyles();
}

void BodyTest::TearDown() {
    SetConsoleStream(nullptr);
    if (console_) std::fclose(console_);
    g_reader.reset();
}

void BodyTest::OpenReader(const std::string& fb2) {
    const std::string path = scratch_.file("book.fb2");
    tavorin::test::WriteFileText(path, fb2);
    g_reader = std::make_unique<TUnicodeFileReader>(path, std::make_unique<TUTF8Codec>());
}

void BodyTest::ConvertBodies(const std::string& fb2) {
    OpenReader(fb2);
    WString tag;
    while (ReadTag(*g_reader, tag)) {
        if (!Contains(tag, u"<body")) continue;
        if (Contains(tag, u"notes")) StartNotesBody();
        ConvertElement(0, tag);
    }
}

std::vector<BlockView> BodyTest::TextBlocks() {
    std::vector<BlockView> blocks;
    for (const lrf::TextBlockRecord& record : lrf::g_store.textBlocks) {
        const WStringView text = WStringView(lrf::g_store.textStore).substr(record.text.start, record.text.size());
        blocks.push_back({record.objid, record.textStyle, Narrow(text)});
    }
    return blocks;
}

std::string BodyTest::ConsoleText() const {
    std::fflush(console_);
    std::rewind(console_);
    std::string text;
    for (int c; (c = std::fgetc(console_)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
}

}  // namespace tavorin::fb2::test
