#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant ends the run at once, so that libFuzzer keeps the input
// that broke it; assert() would vanish from an optimised build.
#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (false)
