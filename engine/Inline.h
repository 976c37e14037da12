#pragma once
#include <cstring>

// Forces inlining of the per-sample Process bodies into the sample loop,
// where a call would spill every live floating-point register.
#if defined(__GNUC__)
#define KESTREL_HOT_INLINE inline __attribute__((always_inline))
#else
#define KESTREL_HOT_INLINE inline
#endif
// The same for a lambda holding a loop body (placed after the parameters).
#if defined(__GNUC__)
#define KESTREL_LAMBDA_INLINE __attribute__((always_inline))
#else
#define KESTREL_LAMBDA_INLINE
#endif

// Equal to the bit: tells a value that would change nothing from one that
// would (0.0 and -0.0 differ, as a setter's result can).
inline bool BitEqual(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
