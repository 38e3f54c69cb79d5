// The entry point of a fuzz target. In a libFuzzer build each target file is
// its own program and defines LLVMFuzzerTestOneInput; when the seed replay
// test compiles all targets into one program (TAVORIN_FUZZ_REPLAY), each
// entry point gets its own name instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifdef TAVORIN_FUZZ_REPLAY
#define TAVORIN_FUZZ_TARGET(name) int name(const uint8_t* data, size_t size)
#else
#define TAVORIN_FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
#endif

// A property every input must keep; on failure the run stops with the reason,
// which libFuzzer reports as a crash with the input.
#define TAVORIN_FUZZ_CHECK(condition)                                                    \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (false)
