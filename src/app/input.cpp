// Input detection: decides from the first 50 characters whether the input is
// a zip archive or an FB2 file, extracts the archive's single file into a
// folder of the run's own, and opens the conversion's reader with the codec
// named by the XML declaration.
#include "app/input.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/run_state.h"
#include "archive/zip_archive.h"
#include "lrf/store/builders.h"
#include "text/exit_codes.h"
#include "text/codecs.h"
#include "text/unicode_reader.h"
#include "text/wide.h"

namespace tavorin {

namespace {

enum InputKind : int { kInputNeither = -1, kInputXml = 0, kInputArchive = 1 };

// Both signatures must lie within this many characters, and a shorter file
// is neither.
constexpr int64_t kSniffLength = 50;

template <class Codec>
std::unique_ptr<TCustomUnicodeCodec> MakeCodec() {
    return std::make_unique<Codec>();
}

struct CodecRow {
    std::string_view marker;  // searched for in the declared encoding, case-sensitively
    std::unique_ptr<TCustomUnicodeCodec> (*make)();  // nullptr: keep the detection reader
};

// The first row whose marker occurs in the encoding value wins. The
// detection reader already decodes Windows-1251, so for "1251" it is kept,
// standing just before the declaration's '>'. The empty marker occurs in every
// value: UTF-8 for any other encoding and for none.
constexpr CodecRow kCodecTable[] = {
    {"1251", nullptr},
    {"1252", &MakeCodec<TWindows1252Codec>},
    {"1250", &MakeCodec<TWindows1250Codec>},
    {"iso-8859-1", &MakeCodec<TISO8859_1Codec>},
    {"koi8-r", &MakeCodec<TKOI8_RCodec>},
    {"", &MakeCodec<TUTF8Codec>},
};

// A reader that takes every byte for one character.
std::unique_ptr<TUnicodeFileReader> OpenByteReader(const std::string& path) {
    return std::make_unique<TUnicodeFileReader>(path, std::make_unique<TWindows1251Codec>());
}

// The first 50 characters of the file; nothing when it cannot be read.
std::optional<WString> Sniff(const std::string& path) {
    try {
        return OpenByteReader(path)->ReadChars(kSniffLength);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool IsFb2Start(WStringView head) { return head.size() == kSniffLength && Contains(head, u"<?xml"); }

InputKind KindOf(WStringView head) {
    if (head.size() == kSniffLength && StartsWith(head, u"PK\x03\x04")) return kInputArchive;
    return IsFb2Start(head) ? kInputXml : kInputNeither;
}

// A folder of this run's own inside the temporary folder, so that two
// conversions never share or overwrite each other's extracted file.
bool MakePrivateFolder(RunState& run) {
    std::string pattern = run.tempFolder + "tavorin-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return false;
    run.privateTempDir = std::move(pattern);
    return true;
}

// Extracts the archive's single file and points WorkFilePath at it; returns
// the error code, 0 on success. A damaged archive is an extraction failure.
int ExtractArchive(RunState& run) {
    ZipArchive archive;
    try {
        archive.SetArchiveName(run.inputPath);
        archive.Open();
        if (archive.CountFiles() != 1) return kExitArchiveCount;
        if (!MakePrivateFolder(run)) return kExitCannotExtract;
        archive.SetFolder(run.privateTempDir + "/");
        run.workFilePath = archive.ExtractSingle(kTempFileName);
    } catch (const ArchiveError&) {
        return kExitCannotExtract;
    }
    const std::optional<WString> head = Sniff(run.workFilePath);
    if (!head) return kExitCannotOpenExtracted;
    return IsFb2Start(*head) ? 0 : kExitExtractedNotFb2;
}

// Opens the conversion's reader on WorkFilePath with the codec that its XML
// declaration names.
void OpenReader(fb2::Conversion& cv, const RunState& run) {
    std::unique_ptr<TUnicodeFileReader> reader = OpenByteReader(run.workFilePath);
    const WString declaration = reader->ReadToStr(">", true, false);
    const std::string encoding = lrf::GetAttribute(u"encoding", declaration);
    const CodecRow& row = *std::find_if(std::begin(kCodecTable), std::end(kCodecTable), [&](const CodecRow& r) {
        return encoding.find(r.marker) != std::string::npos;
    });
    if (row.make != nullptr) reader = std::make_unique<TUnicodeFileReader>(run.workFilePath, row.make());
    cv.reader = std::move(reader);
}

int DetectAndOpen(fb2::Conversion& cv, RunState& run) {
    const std::optional<WString> head = Sniff(run.inputPath);
    if (!head) return kExitCannotOpenInput;
    run.inputKind = KindOf(*head);
    switch (run.inputKind) {
        case kInputNeither: return kExitNotFb2;
        case kInputXml: run.workFilePath = run.inputPath; break;
        case kInputArchive:
            if (const int code = ExtractArchive(run); code != 0) return code;
            break;
    }
    try {
        OpenReader(cv, run);
    } catch (const std::exception&) {
        return run.inputKind == kInputArchive ? kExitCannotOpenExtracted : kExitCannotOpenInput;
    }
    return 0;
}

}  // namespace

void DetectInput(fb2::Conversion& cv, RunState& run) {
    cv.reader.reset();
    cv.errorCode = DetectAndOpen(cv, run);
}

void RemoveWorkFiles(RunState& run) {
    if (run.privateTempDir.empty()) return;
    unlink((run.privateTempDir + "/" + std::string(kTempFileName)).c_str());
    rmdir(run.privateTempDir.c_str());
    run.privateTempDir.clear();
}

}  // namespace tavorin
