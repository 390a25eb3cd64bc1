// Linked into every window test. The system's font configuration library,
// which Qt loads, keeps a cache for the life of the process; the leak check of
// the sanitizer build is told about it, and only about it.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
