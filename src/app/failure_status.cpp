// What a conversion throws, turned into its status.
#include "app/failure_status.h"

#include <sys/resource.h>

namespace tavorin {

namespace {

// "Out of memory", with the process's limit when it has one (a batch gives
// each child one).
std::string OutOfMemory() {
    std::string text = "Out of memory";
    struct rlimit limit {};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        text += " (the memory limit of " + std::to_string(limit.rlim_cur >> 20) + " MB per book)";
    }
    return text;
}

}  // namespace

Status StatusOfCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return Fail(kExitReadError, OutOfMemory());
    } catch (const CallerFailure& failure) {
        return Fail(kExitReadError, failure.message);
    } catch (const std::exception& e) {
        return Fail(kExitReadError, e.what());
    } catch (...) {
        return Fail(kExitReadError, "an exception of unknown type");
    }
}

}  // namespace tavorin
