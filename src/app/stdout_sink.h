// The stdout sink, the command line's console: every write goes to stdout and is flushed at
// once, so progress lines appear as they are produced. After a failed write
// nothing more is written.
#pragma once

#include <string_view>

#include "text/console.h"

namespace tavorin {

class StdoutSink : public ConsoleSink {
public:
    void Write(std::string_view text) override;

private:
    bool closed_ = false;
};

}  // namespace tavorin
