#include "serviceoptions.h"

#include <charconv>
#include <fstream>
#include <optional>

namespace {

std::optional<long> number(const std::string& text, long low, long high) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
        return std::nullopt;
    return value;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Applies one named setting; returns the reason it is refused, or empty text.
std::string apply(ServiceOptions& o, const std::string& name, const std::string& value) {
    auto port = [&](int& target) -> std::string {
        const auto n = number(value, 0, 65535);
        if (!n)
            return "--" + name + " needs a port from 0 to 65535";
        target = static_cast<int>(*n);
        return {};
    };
    if (name == "bind")
        o.bind = value;
    else if (name == "http-port")
        return port(o.httpPort);
    else if (name == "https-port")
        return port(o.httpsPort);
    else if (name == "cert")
        o.certFile = value;
    else if (name == "key")
        o.keyFile = value;
    else if (name == "db")
        o.dbFile = value;
    else if (name == "latest-version")
        o.latestVersion = value;
    else if (name == "download-url")
        o.downloadUrl = value;
    else if (name == "help-dir")
        o.helpDir = value;
    else if (name == "port-file")
        o.portFile = value;
    else if (name == "feedback-limit") {
        const auto n = number(value, 0, 1000000);
        if (!n)
            return "--feedback-limit needs a count (0 for no limit)";
        o.feedbackLimit = static_cast<std::size_t>(*n);
    } else if (name == "feedback-window") {
        const auto n = number(value, 1, 86400 * 365);
        if (!n)
            return "--feedback-window needs a number of seconds";
        o.feedbackWindow = std::chrono::seconds(*n);
    } else
        return "unknown option --" + name;
    return {};
}

std::string readConfig(ServiceOptions& o, const std::string& path) {
    std::ifstream in(path);
    if (!in)
        return "cannot read config file " + path;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            return path + ":" + std::to_string(number) + ": expected name = value";
        const std::string name = trimmed(line.substr(0, eq));
        if (name == "config")
            return path + ":" + std::to_string(number) + ": a config file cannot name another";
        if (std::string problem = apply(o, name, trimmed(line.substr(eq + 1))); !problem.empty())
            return path + ":" + std::to_string(number) + ": " + problem;
    }
    return {};
}

bool fitsReplyLine(const std::string& value) {
    return value.find_first_of("<>\r\n") == std::string::npos;
}

} // namespace

Parsed<ServiceOptions> ServiceOptions::parse(const std::vector<std::string>& args) {
    using Result = Parsed<ServiceOptions>;
    ServiceOptions o;
    // Flags take no value; every other option takes the next argument or "--name=value".
    std::vector<std::pair<std::string, std::string>> settings;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.showUsage = true;
            continue;
        }
        if (arg == "--export-feedback-csv") {
            o.exportCsv = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0 || arg.size() == 2)
            return Result::fail("unexpected argument " + arg);
        std::string name = arg.substr(2);
        std::string value;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return Result::fail("--" + name + " needs a value");
        }
        settings.emplace_back(std::move(name), std::move(value));
    }
    for (const auto& [name, value] : settings) {
        if (name == "config") {
            if (std::string problem = readConfig(o, value); !problem.empty())
                return Result::fail(problem);
        }
    }
    for (const auto& [name, value] : settings) {
        if (name == "config")
            continue;
        if (std::string problem = apply(o, name, value); !problem.empty())
            return Result::fail(problem);
    }
    if (o.certFile.empty() != o.keyFile.empty())
        return Result::fail("--cert and --key go together");
    if (!fitsReplyLine(o.latestVersion) || !fitsReplyLine(o.downloadUrl))
        return Result::fail("--latest-version and --download-url cannot hold <, > or line breaks");
    return Result::ok(std::move(o));
}

std::string ServiceOptions::usage() {
    return R"(Usage: brevane-service [options]

The reference web service for Brevane: answers the update check at /php/check2.php, stores
feedback posted to /php/feedback.php in SQLite, and serves the help pages.

Listening:
  --bind ADDRESS            address to listen on (default 127.0.0.1)
  --http-port PORT          HTTP port (default 8080; 0 picks a free port)
  --https-port PORT         HTTPS port (default 8443; 0 picks a free port)
  --cert FILE --key FILE    PEM certificate and private key; HTTPS runs only with both
  On start the service prints one line: listening http=PORT https=PORT (https=off without
  a certificate).
  --port-file FILE          once listening, also write that line to FILE (replacing it
                            whole, so a reader never sees half of it); removed on stop

Update check:
  --latest-version TEXT     version the check advertises (default: this service's own, )" BREVANE_SERVICE_VERSION
           R"()
                            the program shows its pop-up when this differs from its version
  --download-url URL        download page the pop-up links to (default: /download/ on the
                            host the program asked)

Feedback:
  --db FILE                 SQLite file for feedback (default feedback.sqlite)
  --feedback-limit N        posts allowed per client address within the window (default 10;
                            0 for no limit)
  --feedback-window SECONDS length of that window (default 600)
  --export-feedback-csv     write all stored feedback as CSV to standard output and exit

Pages:
  --help-dir FOLDER         folder with the help pages (default: share/brevane/help beside
                            the executable, else the help folder of the source tree)

Other:
  --config FILE             read options from FILE, one "name = value" a line
                            (latest-version = 2.1); the command line wins
  --help                    show this text and exit
)";
}
