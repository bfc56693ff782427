// The fuzzers' invariant check: a failed check prints its line and aborts, which libFuzzer
// reports as a crash with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "check failed, line %d: %s\n", __LINE__, #condition);     \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)
