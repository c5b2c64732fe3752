// Under LeakSanitizer: the system libraries Qt loads for a display (D-Bus, fontconfig, the software OpenGL
// driver, which is unloaded before the report and shows as an unknown module) keep a few allocations to
// the end.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libfontconfig.so\nleak:<unknown "
           "module>\nleak:libLLVM\nleak:swrast_dri.so\n";
}
