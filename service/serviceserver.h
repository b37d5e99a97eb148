// ServiceServer: the HTTP listener, and the HTTPS one when a certificate is given, answering
//   POST /php/check2.php    the update check (CheckReply)
//   POST /php/feedback.php  feedback, stored and answered "OK"
//   GET  the help pages and their stylesheet and pictures (HelpPages)
// Bodies are capped and every connection has read and write time-outs, so a slow or greedy
// client ties up one worker for a bounded time only. Refusals answer "ERROR <reason>" with a
// 4xx status. start() binds both listeners and returns once they accept (so the ports are
// known and a stop() right after it is not lost); they serve on threads of their own until
// stop() or destruction.
#pragma once

#include "feedbackstore.h"
#include "helppages.h"
#include "ratelimiter.h"
#include "serviceoptions.h"

#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
struct Request;
} // namespace httplib

class ServiceServer {
public:
    // Large enough for 10000 characters of feedback in any script, percent-encoded.
    static constexpr std::size_t kMaxBodyBytes = 160 * 1024;

    ServiceServer(ServiceOptions options, FeedbackStore& store, RateLimiter& limiter);
    ~ServiceServer();
    ServiceServer(const ServiceServer&) = delete;
    ServiceServer& operator=(const ServiceServer&) = delete;

    // Returns empty text once listening, or the reason it cannot.
    std::string start();
    void stop();

    int httpPort() const { return m_httpPort; }
    int httpsPort() const { return m_httpsPort; } // 0 when HTTPS is off

private:
    void route(httplib::Server& server, bool secure);
    std::string check(const httplib::Request& req, bool secure, int& status) const;
    std::string feedback(const httplib::Request& req, int& status);
    std::string listen(httplib::Server& server, int wantedPort, int& port, std::thread& thread);

    ServiceOptions m_options;
    FeedbackStore& m_store;
    RateLimiter& m_limiter;
    HelpPages m_pages;
    std::unique_ptr<httplib::Server> m_http;
    std::unique_ptr<httplib::Server> m_https;
    std::thread m_httpThread;
    std::thread m_httpsThread;
    int m_httpPort = 0;
    int m_httpsPort = 0;
};
