// The sink a conversion's console text goes to: progress ("\r5%" ...) and
// error lines, in order, as they are produced. Part of the library's public
// interface; the converter's own console writes through it.
#pragma once

#include <string_view>

namespace tavorin {

// Receives every piece of console text, in order, as it is produced.
class ConsoleSink {
public:
    virtual ~ConsoleSink() = default;
    virtual void Write(std::string_view text) = 0;
};

}  // namespace tavorin
