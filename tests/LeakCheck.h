#pragma once
// KESTREL_LSAN is defined where LeakSanitizer runs (the address-sanitized
// build); __lsan_do_recoverable_leak_check then reports leaks so far (0:
// none) without ending the process.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTREL_LSAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KESTREL_LSAN 1
#endif
#ifdef KESTREL_LSAN
extern "C" int __lsan_do_recoverable_leak_check();
#endif
