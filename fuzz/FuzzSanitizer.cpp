// What the leak check of the fuzz build leaves alone: fontconfig reads its configuration and font
// list once, on the first text measured, and keeps them to the end of the process by design.
// Those allocations are reported as leaks when the process ends, which would stop a run with a
// false crash of whatever input came first.

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
