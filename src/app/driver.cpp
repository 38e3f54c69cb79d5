// The conversion driver: the pipeline of one conversion, in order — input
// detection, styles, the description pass, the image pass, the title pages,
// the body pass, the closing elements, linking and writing — then clean-up
// and the final message.
#include "app/driver.h"

#include <sys/stat.h>

#include <exception>
#include <string>

#include "app/console.h"
#include "app/input.h"
#include "app/run_state.h"
#include "codec/base64.h"
#include "codec/image_probe.h"
#include "fb2/body.h"
#include "fb2/conversion_state.h"
#include "fb2/description.h"
#include "fb2/images.h"
#include "fb2/notes.h"
#include "fb2/pages.h"
#include "fb2/styles.h"
#include "lrf/store/builders.h"
#include "lrf/store/object_store.h"
#include "lrf/writer/lrf_writer.h"
#include "settings/conversion_settings.h"
#include "text/unicode_reader.h"

namespace tavorin {

namespace {

constexpr char16_t kBookSetting[] =
    u"<BookSetting screenwidth=\"584\" screenheight=\"754\" bindingdirection=\"Lr\" dpi=\"1600\" "
    u"colordepth=\"24\"/>";
constexpr char16_t kBookDefaults[] =
    u"<SetDefault rubyalign=\"start\" rubyadjust=\"none\" rubyoverhang=\"none\" "
    u"empdotsposition=\"before\" empdotsfontname=\"Dutch801 Rm BT Roman\" empdotscode=\"0x002e\" "
    u"emplineposition=\"before\" emplinetype=\"solid\" setwaitprop=\"noreplay\"/>";
// The title page block only needs text that counts as content.
constexpr char16_t kPlaceholderText[] = u"aaaaaaaaaaaaa";

uint32_t FileSizeLow32(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<uint32_t>(st.st_size) : 0;
}

// Reads the description element by element until "</description"; the end
// of the file before it is error 10.
bool ReadDescription() {
    WString tag;
    for (;;) {
        if (!ReadTag(*g_reader, tag)) return false;
        for (size_t i = 0; i < fb2::kInfoBlockTable.size(); ++i) {
            if (Contains(tag, fb2::kInfoBlockTable[i])) fb2::StartInfoBlock(static_cast<int>(i));
        }
        for (size_t i = 0; i < fb2::kDescriptionTagTable.size(); ++i) {
            if (Contains(tag, fb2::kDescriptionTagTable[i])) {
                fb2::DecodeCharRefs(tag);
                fb2::ReadDescriptionElement(static_cast<int>(i), tag);
                break;
            }
        }
        if (Contains(tag, u"</description")) {
            fb2::FinishDescription();
            return true;
        }
    }
}

// Registers one decoded binary as an image stream. The type comes from the
// data: readers refuse a book whose image stream has no or the wrong type.
void RegisterImage(const WString& tag, std::vector<uint8_t>& bytes) {
    const std::string id = lrf::GetAttribute(u"id", tag);
    FixPngTransparency(bytes, 0xFFFFFF);
    g_run.textEstimate -= static_cast<uint32_t>(bytes.size());
    const ImageSize size = ProbeImageSize(bytes);
    if (size.width < 1 || size.height < 1) return;
    const std::string_view type = SniffImageType(bytes);
    if (type.empty()) return;
    const WString sizeText =
        u" width=\"" + ToWString(size.width) + u"\" height=\"" + ToWString(size.height) + u"\"";
    const WString element = u" objid=\"" + Widen(id) + u"\" encoding=\"" + Widen(type) + u"\"";
    lrf::BuildImageStream(lrf::g_store, bytes, sizeText, element);
    ++g_run.imageCount;
}

// Every binary element after the description: decoded, probed, registered.
void ReadImages() {
    WString tag;
    while (ReadTag(*g_reader, tag)) {
        if (!Contains(tag, u"<binary ")) continue;
        const WString base64 = g_reader->ReadToStr("</binary", true, false);
        std::vector<uint8_t> bytes = Base64Decode(base64);
        RegisterImage(tag, bytes);
    }
}

void ConvertBodies() {
    WString tag;
    while (ReadTag(*g_reader, tag)) {
        if (!Contains(tag, u"<body")) continue;
        // Notes and commentary are reached by links: note style, no contents entries.
        if (Contains(tag, u"notes") || Contains(tag, u"comments")) fb2::StartNotesBody();
        fb2::ConvertElement(0, tag);
    }
}

// The book-wide elements that follow the last body.
void AddClosingElements() {
    fb2::ResolveAnchors();
    fb2::g_description.DescriptionPage = u"<P>" + fb2::g_description.DescriptionPage + u"</P>";
    fb2::EmitDescriptionPage();
    lrf::ApplyBookSetting(lrf::g_store, RunConsole(), kBookSetting);
    lrf::BuildBookDefaults(lrf::g_store, RunConsole(), kBookDefaults);
    lrf::g_store.bookInfoXml = fb2::g_description.BookInfoXml;
    fb2::RegisterTocEntries();
}

// Steps 3 to 12 of a conversion, on an open reader. Sets g_run.errorCode
// when the description is not closed.
void ConvertBook() {
    fb2::DefineStyles();
    g_run.textEstimate = FileSizeLow32(g_run.workFilePath);
    SetProgress(5);

    if (!ReadDescription()) {
        g_run.errorCode = kExitBadHeader;
        return;
    }
    ReadImages();

    g_reader->Reset();
    g_run.progressUnit = static_cast<int>(RoundHalfEven(g_run.textEstimate / 10.0 / 2.0));
    // Room for twice the file's text, so that the text store is not copied
    // while it grows (paragraph markup is a little longer than the FB2's);
    // capacity that is never written costs no memory.
    lrf::g_store.textStore.reserve(2 * size_t{g_run.textEstimate});

    fb2::EmitCover();
    fb2::EmitBlock(fb2::kBlockBookTitle, kPlaceholderText);
    fb2::BuildHeaderFooterSources();
    ConvertBodies();
    AddClosingElements();

    lrf::AssignObjectIds(lrf::g_store);
    lrf::LinkObjects(lrf::g_store, RunConsole());
    const int p = RunConsole().progressPercent;
    SetProgress(p + static_cast<int>(RoundHalfEven((100 - p) / 4.0)));
    lrf::WriteLrfFile(lrf::g_store, RunConsole(), g_run.outputPath, g_run.inputPath);
}

}  // namespace

void ResetConversionState() {
    g_reader.reset();
    fb2::ResetFb2State();
    g_settings = BuiltInSettings();
}

int RunConversion() {
    std::string failure;  // message of a read failure once the input is open
    int exitCode = kExitDone;
    try {
        DetectInput();
        if (g_run.errorCode == 0) ConvertBook();
    } catch (const RunExit& exit) {
        exitCode = exit.code;  // the writer printed its own message
    } catch (const std::exception& e) {
        g_run.errorCode = kExitReadError;
        failure = std::string("Error: ") + e.what();
    }
    g_reader.reset();
    RemoveWorkFiles();

    if (exitCode != kExitDone) return exitCode;
    if (g_run.errorCode != 0) {
        const std::string message =
            g_run.errorCode == kExitReadError ? failure : std::string(ErrorMessage(g_run.errorCode));
        ConsoleLine("\n" + message);
        return g_run.errorCode;
    }
    ConsoleWrite("\r DONE ");
    return kExitDone;
}

}  // namespace tavorin
