// fontconfig 2.14 loses a few hundred bytes once while parsing its XML
// configuration inside FcInit; that is not ours to fix. Every other leak,
// the PNG reader's above all, is still reported by LeakSanitizer.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
