// Under LeakSanitizer: the system libraries Qt loads for a display (D-Bus, fontconfig, Mesa's software
// renderer) keep a few allocations to the end.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libfontconfig.so\nleak:swrast_dri.so\n";
}
