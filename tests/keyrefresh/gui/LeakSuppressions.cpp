// Under LeakSanitizer: fontconfig keeps caches it never frees once Qt has
// loaded fonts; those are the library's, not ours.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
