// The messages of the conversion error codes.
#include "text/exit_codes.h"

namespace tavorin {

std::string_view ErrorMessage(int code) {
    switch (code) {
        case kExitCannotOpenInput: return "Error: Cannot open input file";
        case kExitArchiveCount: return "Error: More than 1 file in archive";
        case kExitCannotExtract: return "Error: Cannot extract file to TempDir\\forLRFconversion";
        case kExitCannotOpenExtracted: return "Error: Cannot open extracted file";
        case kExitExtractedNotFb2: return "Error: Extracted file is not fb2 file";
        case kExitNotFb2: return "Error: Not fb2 file";
        case kExitBadHeader: return "Error: Error in fb2 header";
        default: return "";
    }
}

}  // namespace tavorin
