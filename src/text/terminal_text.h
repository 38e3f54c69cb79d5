// Text from outside (file and member names, messages that quote them) made
// safe to print on a terminal: no control character of it reaches the
// terminal, where an escape sequence would act and a line break would forge
// a line of the converter's own.
#pragma once

#include <string>
#include <string_view>

namespace tavorin {

// The text with every control character (C0, DEL, C1) and every byte that
// is not part of valid UTF-8 written as \xNN; other characters unchanged.
std::string EscapeControls(std::string_view text);

}  // namespace tavorin
