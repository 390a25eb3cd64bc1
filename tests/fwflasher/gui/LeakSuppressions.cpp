// Leak checks of the sanitizer build: the system's font configuration library
// keeps a cache for the life of the process, which is not a leak of ours.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
