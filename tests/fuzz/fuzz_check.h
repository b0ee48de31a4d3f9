// Failing a fuzz input: say what was expected and what came, then abort so
// libFuzzer keeps the input as a crash.
#ifndef QUILLMARCH_FUZZ_CHECK_H
#define QUILLMARCH_FUZZ_CHECK_H

#include <stdio.h>
#include <stdlib.h>

#define FUZZ_FAIL(...)                                            \
    do {                                                          \
        fprintf(stderr, "%s:%d: ", __FILE__, __LINE__);           \
        fprintf(stderr, __VA_ARGS__);                             \
        fprintf(stderr, "\n");                                    \
        abort();                                                  \
    } while (0)

#define FUZZ_CHECK(condition, ...)    \
    do {                              \
        if (!(condition))             \
            FUZZ_FAIL(__VA_ARGS__);   \
    } while (0)

#endif
