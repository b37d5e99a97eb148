// brevane-service: reads its options, opens the feedback store, then either exports the
// feedback as CSV or serves until SIGINT or SIGTERM, whenever one arrives.
#include "feedbackcsv.h"
#include "feedbackstore.h"
#include "ratelimiter.h"
#include "serviceoptions.h"
#include "serviceserver.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <iostream>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// An installed copy finds share/brevane/help beside its bin/; a build finds the source tree's.
std::string defaultHelpDir() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const auto installed = exe.parent_path().parent_path() / "share" / "brevane" / "help";
        if (std::filesystem::is_directory(installed, error))
            return installed.string();
    }
    return BREVANE_SOURCE_HELP_DIR;
}

// Writes `text` to `path` through a temporary file renamed over it, so a reader waiting for
// the file sees all of it or nothing; `written` gets the file's identity. Returns the reason
// it cannot, or empty text.
std::string replaceFile(const std::string& path, const std::string& text, struct stat& written) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return "cannot write the port file " + path + ": " + std::strerror(errno);
    bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
              fstat(fd, &written) == 0;
    int error = ok ? 0 : (errno ? errno : EIO);
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (ok)
        return {};
    unlink(temporary.c_str());
    return "cannot write the port file " + path + ": " + std::strerror(error);
}

} // namespace

int main(int argc, char** argv) {
    const auto options = ServiceOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::cerr << "brevane-service: " << options.error << "\nTry --help.\n";
        return 2;
    }
    ServiceOptions o = *options.value;
    if (o.showUsage) {
        std::cout << ServiceOptions::usage();
        return 0;
    }
    // An export from a mistyped path must not leave a new empty store behind.
    if (o.exportCsv && !std::filesystem::exists(o.dbFile)) {
        std::cerr << "brevane-service: no feedback file " << o.dbFile << '\n';
        return 1;
    }
    auto store = FeedbackStore::open(o.dbFile);
    if (!store) {
        std::cerr << "brevane-service: " << store.error << '\n';
        return 1;
    }
    if (o.exportCsv) {
        const auto entries = (*store.value)->all();
        if (!entries) {
            std::cerr << "brevane-service: " << entries.error << '\n';
            return 1;
        }
        FeedbackCsv::write(*entries.value, std::cout);
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    if (o.helpDir.empty())
        o.helpDir = defaultHelpDir();

    // Block the stop signals before any thread starts so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN); // a client that hangs up must not end the service

    RateLimiter limiter(o.feedbackLimit, o.feedbackWindow);
    ServiceServer server(o, **store.value, limiter);
    if (std::string problem = server.start(); !problem.empty()) {
        std::cerr << "brevane-service: " << problem << '\n';
        return 1;
    }
    const std::string listening =
        "listening http=" + std::to_string(server.httpPort()) +
        " https=" + (server.httpsPort() ? std::to_string(server.httpsPort()) : "off") + '\n';
    std::cout << listening << std::flush;
    struct stat portFile {};
    if (!o.portFile.empty()) {
        if (std::string problem = replaceFile(o.portFile, listening, portFile); !problem.empty()) {
            std::cerr << "brevane-service: " << problem << '\n';
            return 1;
        }
    }
    std::cerr << "brevane-service: serving on " << o.bind << ", help pages from " << o.helpDir
              << ", feedback into " << o.dbFile << '\n';
    int received = 0;
    sigwait(&stopSignals, &received);
    // Stopping waits for the requests in hand, and a client holding a connection open without
    // sending keeps its worker until the read time-out (seconds). A stop must not wait that
    // long: after a short grace the service ends anyway. Stored feedback is safe, since SQLite
    // commits each entry whole or rolls it back at the next open.
    std::promise<void> stopped;
    std::future<void> done = stopped.get_future();
    std::thread stopping([&server, &stopped] {
        server.stop();
        stopped.set_value();
    });
    const bool clean = done.wait_for(std::chrono::milliseconds(500)) == std::future_status::ready;
    // A port file left behind would name a port nobody listens on; one that a later service
    // has written there since is that one's.
    struct stat now {};
    if (!o.portFile.empty() && stat(o.portFile.c_str(), &now) == 0 &&
        now.st_dev == portFile.st_dev && now.st_ino == portFile.st_ino)
        unlink(o.portFile.c_str());
    if (!clean) {
        std::cout.flush();
        std::_Exit(0); // the workers still waiting must not run on into the store's end
    }
    stopping.join();
    return 0;
}
