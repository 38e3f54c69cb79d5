// Input detection: decides from the first 50 bytes whether the input is a zip
// archive or an FB2 (XML) file, extracts the archive's single file into a
// folder of the run's own, and opens the conversion's reader with the codec of
// the file: UTF-16 by its bytes, else the one its XML declaration names.
#include "app/input.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "app/run_state.h"
#include "app/stop_cleanup.h"
#include "archive/zip_archive.h"
#include "fb2/fb2_tag.h"
#include "text/exit_codes.h"
#include "text/codecs.h"
#include "text/encoding_names.h"
#include "text/file_reader.h"
#include "text/unicode_reader.h"
#include "text/wide.h"

namespace tavorin {

namespace {

enum InputKind : int { kInputNeither = -1, kInputXml = 0, kInputArchive = 1 };

// Both signatures must lie within this many bytes, and a shorter file is
// neither.
constexpr size_t kSniffLength = 50;

// How the file's characters are laid out in bytes.
enum class ByteForm { Bytes, Utf16LE, Utf16BE };

struct Head {
    std::string bytes;  // the first 50 bytes, or fewer when the file is shorter
    ByteForm form = ByteForm::Bytes;
    bool declared = false;  // "<?xml" in the head
};

// The first 50 bytes of the file; nothing when it cannot be read.
std::optional<Head> Sniff(const std::string& path) {
    try {
        TFileReader file(path);
        Head head;
        head.bytes.resize(kSniffLength);
        size_t got = 0;
        while (got < kSniffLength) {
            const size_t n = file.Read(head.bytes.data() + got, kSniffLength - got);
            if (n == 0) break;
            got += n;
        }
        head.bytes.resize(got);
        return head;
    } catch (const std::bad_alloc&) {
        throw;  // memory exhausted is no unreadable input
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool Has(std::string_view bytes, std::string_view part) { return bytes.find(part) != std::string_view::npos; }

// Whether the 16-bit form of `text` starts at an even offset of the bytes.
bool HasWide(std::string_view bytes, std::string_view text, bool bigEndian) {
    std::string wide;
    for (const char c : text) wide += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    for (size_t at = bytes.find(wide); at != std::string_view::npos; at = bytes.find(wide, at + 1)) {
        if (at % 2 == 0) return true;
    }
    return false;
}

// UTF-16 by its byte order mark, or by the zero bytes around "<?xml". A file
// with "<?xml" in 8-bit form is 8-bit whatever its first bytes.
ByteForm FormOf(std::string_view head) {
    if (Has(head, "<?xml")) return ByteForm::Bytes;
    if (head.starts_with("\xFF\xFE") || HasWide(head, "<?xml", false)) return ByteForm::Utf16LE;
    if (head.starts_with("\xFE\xFF") || HasWide(head, "<?xml", true)) return ByteForm::Utf16BE;
    return ByteForm::Bytes;
}

// The character at `index` of the head in its byte form; 0 past its end.
char32_t CharAt(std::string_view head, ByteForm form, size_t index) {
    const auto byte = [&](size_t at) { return at < head.size() ? static_cast<unsigned char>(head[at]) : 0u; };
    switch (form) {
        case ByteForm::Utf16LE: return byte(2 * index) | byte(2 * index + 1) << 8;
        case ByteForm::Utf16BE: return byte(2 * index) << 8 | byte(2 * index + 1);
        default: return byte(index);
    }
}

// A file without a declaration is XML when its first content, after a byte
// order mark and blanks, is a start tag: '<' and a letter.
bool StartsWithTag(std::string_view head, ByteForm form) {
    size_t at = 0;
    const char32_t first = CharAt(head, form, 0);
    if (first == 0xFEFF) at = 1;
    if (form == ByteForm::Bytes && head.starts_with("\xEF\xBB\xBF")) at = 3;
    while (at < kSniffLength) {
        const char32_t c = CharAt(head, form, at);
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
        ++at;
    }
    const char32_t next = CharAt(head, form, at + 1);
    return CharAt(head, form, at) == '<' && ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z'));
}

bool IsFb2Start(Head& head) {
    if (head.bytes.size() != kSniffLength) return false;
    head.form = FormOf(head.bytes);
    switch (head.form) {
        case ByteForm::Bytes: head.declared = Has(head.bytes, "<?xml"); break;
        case ByteForm::Utf16LE: head.declared = HasWide(head.bytes, "<?xml", false); break;
        case ByteForm::Utf16BE: head.declared = HasWide(head.bytes, "<?xml", true); break;
    }
    return head.declared || StartsWithTag(head.bytes, head.form);
}

InputKind KindOf(Head& head) {
    if (head.bytes.size() == kSniffLength && head.bytes.starts_with("PK\x03\x04")) return kInputArchive;
    return IsFb2Start(head) ? kInputXml : kInputNeither;
}

// A folder of this run's own inside the temporary folder, so that two
// conversions never share or overwrite each other's extracted file.
// It is registered for removal on a stop signal with the signals held back
// meanwhile, so that none ends the process between the two.
bool MakePrivateFolder(RunState& run) {
    std::string pattern = run.tempFolder + "tavorin-XXXXXX";
    const StopSignalsHeld held;
    const bool made = mkdtemp(pattern.data()) != nullptr;
    if (made) {
        run.privateTempDir = std::move(pattern);
        run.stopCleanupSlot = AddStopCleanup(run.privateTempDir, run.privateTempDir + "/" + std::string(kTempFileName));
    }
    return made;
}

// Extracts the archive's single file (or the entry a batch's child was given)
// and points WorkFilePath at it. A damaged archive is an extraction failure;
// so is a member over the limit, with the reason in the message.
Status ExtractArchive(RunState& run, Head& head) {
    ZipArchive archive;
    try {
        archive.SetArchiveName(run.inputPath);
        archive.SetMemberLimit(run.memberLimit);
        archive.Open();
        if (run.memberIndex < 0 && archive.CountFiles() != 1) return Fail(kExitArchiveCount);
        if (!MakePrivateFolder(run)) return Fail(kExitCannotExtract);
        archive.SetFolder(run.privateTempDir + "/");
        run.workFilePath = run.memberIndex < 0 ? archive.ExtractSingle(kTempFileName)
                                               : archive.ExtractMember(run.memberIndex, kTempFileName);
    } catch (const MemberTooLarge& e) {
        return Fail(kExitCannotExtract, std::string(": ") + e.what());
    } catch (const ArchiveError&) {
        return Fail(kExitCannotExtract);
    }
    std::optional<Head> member = Sniff(run.workFilePath);
    if (!member) return Fail(kExitCannotOpenExtracted);
    if (!IsFb2Start(*member)) return Fail(kExitExtractedNotFb2);
    head = std::move(*member);
    return {};
}

// The codec of the file: UTF-16 by its bytes; otherwise the one its XML
// declaration names, read byte by byte up to the declaration's '>'.
std::unique_ptr<TCustomUnicodeCodec> ChooseCodec(const RunState& run, const Head& head) {
    if (head.form != ByteForm::Bytes) {
        std::unique_ptr<TCustomUnicodeCodec> codec =
            IconvCodec::Open(head.form == ByteForm::Utf16LE ? "UTF-16LE" : "UTF-16BE");
        return codec ? std::move(codec) : std::make_unique<TUTF8Codec>();
    }
    if (!head.declared) return std::make_unique<TUTF8Codec>();  // XML without a declaration
    TUnicodeFileReader bytes(run.workFilePath, std::make_unique<TWindows1251Codec>());
    const WString declaration = bytes.ReadToStr(">", true, false);
    return CodecForEncoding(Narrow(fb2::Fb2Attribute(declaration, u"encoding")));
}

Status DetectAndOpen(RunState& run, std::unique_ptr<TUnicodeFileReader>& reader) {
    std::optional<Head> head = Sniff(run.inputPath);
    if (!head) return Fail(kExitCannotOpenInput);
    run.inputKind = KindOf(*head);
    // A batch's child is given an entry of a many-book archive: an archive, whatever its head.
    if (run.memberIndex >= 0) run.inputKind = kInputArchive;
    switch (run.inputKind) {
        case kInputNeither: return Fail(kExitNotFb2);
        case kInputXml: run.workFilePath = run.inputPath; break;
        case kInputArchive:
            if (Status status = ExtractArchive(run, *head); !status.ok()) return status;
            break;
    }
    try {
        reader = std::make_unique<TUnicodeFileReader>(run.workFilePath, ChooseCodec(run, *head));
    } catch (const std::bad_alloc&) {
        throw;  // memory exhausted is no unreadable input
    } catch (const std::exception&) {
        return Fail(run.inputKind == kInputArchive ? kExitCannotOpenExtracted : kExitCannotOpenInput);
    }
    return {};
}

}  // namespace

Status DetectInput(RunState& run, std::unique_ptr<TUnicodeFileReader>& reader) {
    reader.reset();
    return DetectAndOpen(run, reader);
}

void RemoveWorkFiles(RunState& run) {
    if (run.privateTempDir.empty()) return;
    unlink((run.privateTempDir + "/" + std::string(kTempFileName)).c_str());
    rmdir(run.privateTempDir.c_str());
    DropStopCleanup(run.stopCleanupSlot);
    run.stopCleanupSlot = -1;
    run.privateTempDir.clear();
}

}  // namespace tavorin
