// fontconfig keeps a cache it never frees; the leak checker of the sanitizer
// build is told about it, and only about it.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
