// The command line's console: every write goes to stdout and is flushed at
// once, so progress lines appear as they are produced.
#pragma once

#include <string_view>

#include "text/console.h"

namespace tavorin {

class StdoutSink : public ConsoleSink {
public:
    void Write(std::string_view text) override;
};

}  // namespace tavorin
