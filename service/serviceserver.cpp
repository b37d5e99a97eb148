#include "serviceserver.h"

#include "checkreply.h"
#include "checkrequest.h"
#include "feedbackrequest.h"
#include "formbody.h"

#include <httplib.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

namespace {

constexpr time_t kReadTimeoutSeconds = 10;
constexpr time_t kWriteTimeoutSeconds = 10;
constexpr time_t kKeepAliveSeconds = 5;

const char* const kText = "text/plain; charset=utf-8";

std::string utcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

bool isFormPost(const httplib::Request& req) {
    return req.get_header_value("Content-Type").rfind("application/x-www-form-urlencoded", 0) == 0;
}

// The request a form post carries, or why it is refused: not a form post, a body that does not
// parse, or fields the request does not accept.
template <class Request> Parsed<Request> parseFormPost(const httplib::Request& req) {
    if (!isFormPost(req))
        return Parsed<Request>::fail("expected a form post");
    const auto form = FormBody::parse(req.body);
    if (!form)
        return Parsed<Request>::fail(form.error);
    return Request::fromForm(*form.value);
}

// A Host header fit to be echoed into a reply line, or empty text.
std::string safeHost(const httplib::Request& req) {
    const std::string host = req.get_header_value("Host");
    if (host.empty() || host.size() > 255)
        return {};
    for (char c : host) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']'))
            return {};
    }
    return host;
}

} // namespace

ServiceServer::ServiceServer(ServiceOptions options, FeedbackStore& store, RateLimiter& limiter)
    : m_options(std::move(options)), m_store(store), m_limiter(limiter),
      m_pages(m_options.helpDir) {}

ServiceServer::~ServiceServer() {
    stop();
}

std::string ServiceServer::start() {
    m_http = std::make_unique<httplib::Server>();
    route(*m_http, false);
    if (!m_options.certFile.empty()) {
        auto https = std::make_unique<httplib::SSLServer>(m_options.certFile.c_str(),
                                                          m_options.keyFile.c_str());
        if (!https->is_valid())
            return "cannot load the certificate " + m_options.certFile + " and key " +
                   m_options.keyFile;
        m_https = std::move(https);
        route(*m_https, true);
    }
    if (std::string problem = listen(*m_http, m_options.httpPort, m_httpPort, m_httpThread);
        !problem.empty()) {
        stop();
        return problem;
    }
    if (m_https) {
        if (std::string problem = listen(*m_https, m_options.httpsPort, m_httpsPort, m_httpsThread);
            !problem.empty()) {
            stop();
            return problem;
        }
    }
    return {};
}

void ServiceServer::stop() {
    for (auto* server : {m_http.get(), m_https.get()}) {
        if (server)
            server->stop();
    }
    for (auto* thread : {&m_httpThread, &m_httpsThread}) {
        if (thread->joinable())
            thread->join();
    }
}

std::string ServiceServer::listen(httplib::Server& server, int wantedPort, int& port,
                                  std::thread& thread) {
    if (wantedPort == 0) {
        port = server.bind_to_any_port(m_options.bind);
        if (port < 0)
            port = 0;
    } else if (server.bind_to_port(m_options.bind, wantedPort)) {
        port = wantedPort;
    }
    if (port == 0)
        return "cannot listen on " + m_options.bind + " port " + std::to_string(wantedPort);
    // The library's stop() only closes a loop that already runs; a stop that came earlier
    // would be lost and its join would wait forever. So start() returns only once the loop
    // runs, or has ended on its own.
    auto ended = std::make_shared<std::atomic<bool>>(false);
    thread = std::thread([&server, ended] {
        server.listen_after_bind();
        *ended = true;
    });
    while (!server.is_running() && !*ended)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return {};
}

void ServiceServer::route(httplib::Server& server, bool secure) {
    server.set_payload_max_length(kMaxBodyBytes);
    server.set_read_timeout(kReadTimeoutSeconds, 0);
    server.set_write_timeout(kWriteTimeoutSeconds, 0);
    server.set_keep_alive_timeout(kKeepAliveSeconds);

    // The bodies are read here rather than by the library, whose own reading refuses any form
    // body over 8 KiB: far less than a feedback text may take.
    const auto withBody = [](auto answer) {
        return [answer](const httplib::Request& req, httplib::Response& res,
                        const httplib::ContentReader& content) {
            httplib::Request full = req;
            // A declared length over the limit is refused unread, and the connection closed.
            bool fits = req.get_header_value<std::uint64_t>("Content-Length") <= kMaxBodyBytes;
            if (!fits)
                res.set_header("Connection", "close");
            else
                content([&](const char* data, std::size_t length) {
                    fits = full.body.size() + length <= kMaxBodyBytes;
                    if (fits)
                        full.body.append(data, length);
                    return fits;
                });
            int status = 413;
            res.set_content(fits ? answer(full, status) : CheckReply::error("request too large"),
                            kText);
            res.status = status;
        };
    };
    server.Post("/php/check2.php",
                withBody([this, secure](const httplib::Request& req, int& status) {
                    return check(req, secure, status);
                }));
    server.Post("/php/feedback.php", withBody([this](const httplib::Request& req, int& status) {
                    return feedback(req, status);
                }));
    server.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
        if (auto file = m_pages.read(req.path)) {
            res.set_content(std::move(file->content), file->contentType);
            res.set_header("X-Content-Type-Options", "nosniff");
        } else {
            res.status = 404;
        }
    });
    // Refusals made by the library itself (too large, not found) get the same short bodies.
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty())
            return;
        if (res.status == 413)
            res.set_content(CheckReply::error("request too large"), kText);
        else if (res.status == 404)
            res.set_content("Not found", kText);
        else
            res.set_content(CheckReply::error("bad request"), kText);
    });
}

std::string ServiceServer::check(const httplib::Request& req, bool secure, int& status) const {
    status = 400;
    const auto request = parseFormPost<CheckRequest>(req);
    if (!request)
        return CheckReply::error(request.error);
    std::string url = m_options.downloadUrl;
    if (url.empty()) {
        std::string host = safeHost(req);
        if (host.empty())
            host = m_options.bind + ":" + std::to_string(secure ? m_httpsPort : m_httpPort);
        url = std::string(secure ? "https://" : "http://") + host + "/download/";
    }
    const std::string latest =
        m_options.latestVersion.empty() ? BREVANE_SERVICE_VERSION : m_options.latestVersion;
    status = 200;
    return CheckReply::answer(*request.value, latest, url);
}

std::string ServiceServer::feedback(const httplib::Request& req, int& status) {
    status = 400;
    const auto request = parseFormPost<FeedbackRequest>(req);
    if (!request)
        return CheckReply::error(request.error);
    // Only valid posts count, so a client's mistakes do not lock it out.
    if (!m_limiter.tryAcquire(req.remote_addr)) {
        status = 429;
        return CheckReply::error("rate limit");
    }
    const FeedbackRequest& r = *request.value;
    const auto stored =
        m_store.add({0, utcNow(), req.remote_addr, r.appname, r.version, r.email, r.text});
    if (!stored) {
        status = 500;
        return CheckReply::error("cannot store feedback");
    }
    status = 200;
    return "OK";
}
