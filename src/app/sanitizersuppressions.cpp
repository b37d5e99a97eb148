// Built into the program only with the sanitizers: allocations that system libraries make for
// the life of the process (libcurl's TLS stack loads p11-kit, whose start-up code opens a
// locale that glibc caches) are not leaks of ours and must not fail a run.

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libp11-kit\n"
           "leak:__argz_add_sep\n"
           "leak:_nl_find_locale\n"
           "leak:_nl_load_locale\n";
}
