// The conversion driver: the pipeline of one conversion, in order — input
// detection, the FB2 document into the book's objects, linking and writing —
// then clean-up and the final message.
#include "app/driver.h"

#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <string>

#include "app/input.h"
#include "fb2/document.h"
#include "lrf/store/object_store.h"
#include "lrf/writer/file_writer.h"
#include "lrf/writer/linking.h"
#include "settings/conversion_settings.h"
#include "text/exit_codes.h"
#include "text/rounding.h"
#include "text/unicode_reader.h"

namespace tavorin {

namespace {

uint32_t FileSizeLow32(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<uint32_t>(st.st_size) : 0;
}

// The input file's name without its extension ("book.fb2.zip" gives "book").
WString FileTitle(const std::string& path) {
    std::filesystem::path name = std::filesystem::path(path).filename();
    const auto lowerExtension = [&] {
        std::string ext = name.extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return ext;
    };
    const bool zipped = lowerExtension() == ".zip";
    if (zipped) name = name.stem();
    if (!zipped || lowerExtension() == ".fb2") name = name.stem();
    return Widen(name.string());
}

// Converts the document on the open reader, then links and writes the book.
Status ConvertAndWrite(TUnicodeFileReader& reader, const ConversionSettings& settings, Console& console,
                       const RunState& run) {
    lrf::ObjectStore store;
    const fb2::DocumentSource source{FileTitle(run.inputPath), FileSizeLow32(run.workFilePath)};
    if (Status status = fb2::ConvertDocument(reader, settings, store, console, source); !status.ok()) return status;

    lrf::AssignObjectIds(store);
    lrf::LinkObjects(store, console);
    const int p = console.progressPercent;
    console.SetProgress(p + static_cast<int>(RoundHalfEven((100 - p) / 4.0)));
    return lrf::WriteLrfFile(store, console, run.outputPath, run.inputPath);
}

}  // namespace

Status RunConversion(const ConversionSettings& settings, Console& console, RunState& run) {
    std::unique_ptr<TUnicodeFileReader> reader;
    // The reader is closed and the extracted file removed however the
    // conversion ends, also when the reader throws.
    struct CleanUp {
        std::unique_ptr<TUnicodeFileReader>& reader;
        RunState& run;
        ~CleanUp() {
            reader.reset();
            RemoveWorkFiles(run);
        }
    } cleanUp{reader, run};
    Status status = DetectInput(run, reader);
    if (status.ok()) status = ConvertAndWrite(*reader, settings, console, run);
    if (status.ok()) {
        status.message = ExitMessage(kExitDone);
        console.ReportProgress(100);
    }
    return status;
}

}  // namespace tavorin
