// Property checks inside fuzz targets: a broken property aborts, so libFuzzer keeps the input
// as a crash artifact exactly as it does for a sanitizer report.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                        \
  do {                                                                               \
    if (!(condition)) {                                                              \
      std::fprintf(stderr, "fuzz property failed: %s (%s:%d)\n", #condition, __FILE__, \
                   __LINE__);                                                        \
      std::abort();                                                                  \
    }                                                                                \
  } while (false)
