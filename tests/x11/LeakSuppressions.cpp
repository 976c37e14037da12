// One-time allocations of libraries that are not ours to fix: fontconfig
// keeps a few hundred bytes of its parsed configuration (FcInit). Every
// other leak, the editor's windows, images and connections above all, is
// still reported by LeakSanitizer.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
