// Under LeakSanitizer: the system libraries Qt loads for a display keep a few allocations to the end.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libfontconfig.so\n";
}
