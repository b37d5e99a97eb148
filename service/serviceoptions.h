// ServiceOptions: the service's settings from its command line and an optional config file.
// The file holds "name = value" lines with the long option names without their dashes
// (latest-version = 2.1); "#" starts a comment line. Options on the command line win over the
// file. Refuses unknown options, missing values, bad ports and values that would break the
// check reply (a line break or "<" in the version or URL).
#pragma once

#include "parsed.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

struct ServiceOptions {
    std::string bind = "127.0.0.1";
    int httpPort = 8080;
    int httpsPort = 8443;
    std::string certFile; // HTTPS runs only when both files are given
    std::string keyFile;
    std::string dbFile = "feedback.sqlite";
    std::string latestVersion; // empty: the version this service was built with
    std::string downloadUrl;   // empty: the /download/ page of the host the program asked
    std::string helpDir;       // empty: looked for beside the executable
    std::string portFile;      // empty: none; else gets the "listening" line once listening
    std::size_t feedbackLimit = 10;
    std::chrono::seconds feedbackWindow{600};
    bool exportCsv = false;
    bool showUsage = false;

    static Parsed<ServiceOptions> parse(const std::vector<std::string>& args);
    static std::string usage();
};
