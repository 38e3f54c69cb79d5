// The stdout console sink.
#include "app/console.h"

#include <cstdio>

namespace tavorin {

void StdoutSink::Write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace tavorin
