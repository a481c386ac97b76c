#pragma once

// Code for vector instructions beyond the build's baseline. With GCC or Clang on x86 a function
// can be built for AVX2 on its own ([[gnu::target("avx2")]]) and run only where the processor
// has it: TAVREL_AVX2_CODE is then defined, and ProcessorHasAvx2 tells.
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__)) && \
    (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TAVREL_AVX2_CODE 1
#endif

namespace tavrel {

#if defined(TAVREL_AVX2_CODE)
// Whether the processor running the program has AVX2; asked once.
inline bool ProcessorHasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}
#endif

}  // namespace tavrel
