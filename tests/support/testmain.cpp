// Test entry: one QApplication on the offscreen platform for every test of the binary, the
// build's own test locales, a private runtime folder, and the sanitizers' settings.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// What Qt accepts without a word: a folder of this user's own that only the user may enter.
bool usableRuntimeDir(const QByteArray& path) {
    struct stat st {};
    return !path.isEmpty() && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 07777) == 0700;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Date and separator tests use locales compiled into the build folder.
    if (const char* locales = BREVANE_TEST_LOCPATH; *locales && !std::getenv("LOCPATH"))
        setenv("LOCPATH", locales, 1);
    // Qt wants a private runtime folder and warns at every start without one: a run outside a
    // login session gets its own, removed at the end.
    std::optional<QTemporaryDir> runtimeDir;
    if (!usableRuntimeDir(qgetenv("XDG_RUNTIME_DIR"))) {
        runtimeDir.emplace(QDir::tempPath() + QStringLiteral("/brevane-test-runtime-XXXXXX"));
        if (runtimeDir->isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir->path()));
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
