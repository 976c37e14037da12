#pragma once
// Flush-to-zero / denormals-are-zero for the lifetime of the guard, with
// the caller's floating-point mode restored on exit. Decaying feedback,
// resonant filters and envelope releases otherwise drift into subnormal
// numbers, which cost many times a normal operation on x86.
//
// Put one at the top of a processing call; nothing else should change the
// mode inside it. Compiles to nothing on targets without SSE control.
#if defined(__SSE2__) || defined(_M_X64) || defined(__x86_64__)
#include <xmmintrin.h>
#define KESTREL_HAS_MXCSR 1
#else
#define KESTREL_HAS_MXCSR 0
#endif

class DenormalGuard {
 public:
#if KESTREL_HAS_MXCSR
  static constexpr unsigned int kFlushToZero = 0x8000;      // results below the normal range become 0
  static constexpr unsigned int kDenormalsAreZero = 0x0040;  // subnormal operands read as 0

  DenormalGuard() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero); }
  ~DenormalGuard() { _mm_setcsr(saved_); }
#else
  DenormalGuard() = default;
#endif
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

 private:
#if KESTREL_HAS_MXCSR
  unsigned int saved_;
#endif
};
