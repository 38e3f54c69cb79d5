// What a conversion throws, turned into its status: memory exhausted, a
// failure of the libraries, or an exception from the caller's own code (its
// console sink, its progress callback), each with a message naming it.
#pragma once

#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "tavorin/console_sink.h"
#include "text/exit_codes.h"

namespace tavorin {

// Thrown in place of what the caller's code threw, so that the conversion
// stops and its status names the caller's part.
struct CallerFailure {
    std::string message;
};

// Runs the caller's code `call` (`who` names it) unless it has failed
// before. What it throws marks it failed and stops the conversion: memory
// exhausted as it is, anything else as a CallerFailure.
template <typename Call>
void CallCaller(std::string_view who, bool& failed, Call&& call) {
    if (failed) return;
    try {
        call();
    } catch (const std::bad_alloc&) {
        failed = true;
        throw;
    } catch (const std::exception& e) {
        failed = true;
        throw CallerFailure{std::string(who) + " threw: " + e.what()};
    } catch (...) {
        failed = true;
        throw CallerFailure{std::string(who) + " threw an exception of unknown type"};
    }
}

// The caller's console sink, guarded: once it has thrown it gets nothing more.
class GuardedSink final : public ConsoleSink {
public:
    explicit GuardedSink(ConsoleSink& sink) : sink_(sink) {}
    void Write(std::string_view text) override {
        CallCaller("the console sink", failed_, [&] { sink_.Write(text); });
    }

private:
    ConsoleSink& sink_;
    bool failed_ = false;
};

// The status of the exception being handled (call inside a catch block):
// code 12 with "Out of memory" (naming the process's memory limit when it has
// one), the caller's failure, or the library's message.
Status StatusOfCurrentException();

}  // namespace tavorin
