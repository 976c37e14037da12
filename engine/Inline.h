#pragma once
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
