// What the fuzz targets share: a check that stops the run with a message, so that a broken
// property counts as a crash and libFuzzer keeps the input that broke it.
#pragma once
#include <stdio.h>
#include <stdlib.h>

#define FUZZ_CHECK(cond)                                                          \
    do {                                                                          \
        if (!(cond)) {                                                            \
            fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond); \
            abort();                                                              \
        }                                                                         \
    } while (0)
