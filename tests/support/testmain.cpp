// Test entry: one QApplication on the offscreen platform for every test of the binary, the
// build's own test locales, and the sanitizers' settings.

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Allocations the system libraries keep for the life of the process are not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n"
           "leak:libdbus\n"
           "leak:libglib\n"
           "leak:__argz_add_sep\n" // glibc's cache of loaded locales
           "leak:_nl_find_locale\n"
           "leak:_nl_load_locale\n";
}

extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Date and separator tests use locales compiled into the build folder.
    if (const char* locales = BREVANE_TEST_LOCPATH; *locales && !std::getenv("LOCPATH"))
        setenv("LOCPATH", locales, 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
