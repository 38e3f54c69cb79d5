// The stdout console sink.
#include "app/stdout_sink.h"

#include <cstdio>

namespace tavorin {

void StdoutSink::Write(std::string_view text) {
    if (closed_) return;
    // A write that fails (a closed pipe or terminal) means nobody reads any
    // more: the work goes on without its console.
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) closed_ = true;
}

}  // namespace tavorin
