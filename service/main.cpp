// brevane-service: reads its options, opens the feedback store, then either exports the
// feedback as CSV or serves until SIGINT or SIGTERM.
#include "feedbackcsv.h"
#include "feedbackstore.h"
#include "ratelimiter.h"
#include "serviceoptions.h"
#include "serviceserver.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <pthread.h>
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
    std::cout << "listening http=" << server.httpPort()
              << " https=" << (server.httpsPort() ? std::to_string(server.httpsPort()) : "off")
              << std::endl;
    std::cerr << "brevane-service: serving on " << o.bind << ", help pages from " << o.helpDir
              << ", feedback into " << o.dbFile << '\n';
    int received = 0;
    sigwait(&stopSignals, &received);
    server.stop();
    return 0;
}
