// The sink a conversion's console text goes to: progress ("\r5%" ...) and
// error lines, in order, as they are produced; and the progress callback,
// which gets the same percentages as numbers. Part of the library's public
// interface; the converter's own console writes through them.
#pragma once

#include <functional>
#include <string_view>

namespace tavorin {

// Receives every piece of console text, in order, as it is produced.
class ConsoleSink {
public:
    virtual ~ConsoleSink() = default;
    virtual void Write(std::string_view text) = 0;
};

// Receives the conversion's progress in percent, rising from 0 to 100.
using ProgressCallback = std::function<void(int percent)>;

}  // namespace tavorin
