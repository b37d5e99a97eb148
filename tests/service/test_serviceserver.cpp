// Starts the whole service on 127.0.0.1 with ephemeral ports and talks to it as the program
// would.
#include "feedbackrequest.h"
#include "feedbackstore.h"
#include "helppages.h"
#include "ratelimiter.h"
#include "serviceserver.h"
#include "tempfolder.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <regex>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

const char* const kForm = "application/x-www-form-urlencoded";
const std::string kCheck = "cmd=check&appname=TARNICK+-+Brevane&version=2.0&os=Debian&local=en-US"
                           "&guid=&howmany=1";

class ServiceServerTest : public ::testing::Test {
protected:
    void start(ServiceOptions o = {}) {
        o.bind = "127.0.0.1";
        o.httpPort = 0;
        o.httpsPort = 0;
        if (o.helpDir.empty()) {
            o.helpDir = m_folder.path().string();
            std::ofstream(m_folder.file("index.html")) << "<!DOCTYPE html><title>Brevane</title>";
        }
        if (o.latestVersion.empty())
            o.latestVersion = "2.1";
        auto store = FeedbackStore::open(m_folder.file("feedback.sqlite"));
        ASSERT_TRUE(store) << store.error;
        m_store = std::move(*store.value);
        m_limiter = std::make_unique<RateLimiter>(o.feedbackLimit, o.feedbackWindow);
        m_server = std::make_unique<ServiceServer>(o, *m_store, *m_limiter);
        const std::string problem = m_server->start();
        ASSERT_EQ(problem, "");
        ASSERT_GT(m_server->httpPort(), 0);
    }

    httplib::Client client() {
        httplib::Client c("127.0.0.1", m_server->httpPort());
        c.set_connection_timeout(5s);
        c.set_read_timeout(5s);
        return c;
    }

    TempFolder m_folder;
    std::unique_ptr<FeedbackStore> m_store;
    std::unique_ptr<RateLimiter> m_limiter;
    std::unique_ptr<ServiceServer> m_server;
};

TEST_F(ServiceServerTest, AnswersTheUpdateCheck) {
    start();
    auto c = client();
    const auto res = c.Post("/php/check2.php", kCheck, kForm);
    ASSERT_TRUE(res) << httplib::to_string(res.error());
    EXPECT_EQ(res->status, 200);
    const std::string host = "127.0.0.1:" + std::to_string(m_server->httpPort());
    EXPECT_EQ(res->body, "<version>2.1</version>\r\n<url>http://" + host +
                             "/download/</url>\r\n<howmany>1</howmany>\r\n<result>1</result>\r\n");

    ServiceOptions fixedUrl;
    fixedUrl.downloadUrl = "https://127.0.0.1:9/get/";
    m_server.reset();
    start(fixedUrl);
    auto again = client();
    const auto named = again.Post("/php/check2.php", kCheck, kForm);
    ASSERT_TRUE(named);
    EXPECT_NE(named->body.find("<url>https://127.0.0.1:9/get/</url>\r\n"), std::string::npos);
}

TEST_F(ServiceServerTest, RefusesMalformedRequestsWithError) {
    start();
    auto c = client();
    const struct {
        const char* path;
        std::string body;
        const char* contentType;
    } cases[] = {
        {"/php/check2.php", "cmd=check", kForm},
        {"/php/check2.php", "cmd=checkx&appname=a", kForm},
        {"/php/check2.php", "%zz", kForm},
        {"/php/check2.php", kCheck, "text/plain"},
        {"/php/feedback.php", "cmd=feedback&appname=A&version=2.0&feedback=", kForm},
        {"/php/feedback.php", "cmd=feedback&appname=A&version=2.0&feedback=hi&email=x@y", kForm},
    };
    for (const auto& t : cases) {
        const auto res = c.Post(t.path, t.body, t.contentType);
        ASSERT_TRUE(res) << t.body;
        EXPECT_EQ(res->status, 400) << t.body;
        EXPECT_EQ(res->body.rfind("ERROR", 0), 0u) << t.body << " -> " << res->body;
    }
    // Larger than any honest post: refused before it is read.
    const std::string huge = "cmd=feedback&appname=A&version=2.0&feedback=" +
                             std::string(ServiceServer::kMaxBodyBytes + 1, 'x');
    const auto res = c.Post("/php/feedback.php", huge, kForm);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 413);
    EXPECT_EQ(res->body.rfind("ERROR", 0), 0u) << res->body;

    const auto stored = m_store->all();
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored.value->empty());
}

// The longest text the window sends, in a script of two bytes a letter: some 60 KB of form.
TEST_F(ServiceServerTest, StoresTheLongestFeedbackTheWindowSends) {
    start();
    auto c = client();
    std::string encoded;
    for (std::size_t i = 0; i < FeedbackRequest::kMaxTextChars; ++i)
        encoded += "%D0%B6"; // U+0436
    const auto res = c.Post("/php/feedback.php",
                            "cmd=feedback&appname=A&version=2.0&feedback=" + encoded, kForm);
    ASSERT_TRUE(res) << httplib::to_string(res.error());
    EXPECT_EQ(res->status, 200) << res->body;
    EXPECT_EQ(res->body, "OK");
    const auto stored = m_store->all();
    ASSERT_TRUE(stored) << stored.error;
    ASSERT_EQ(stored.value->size(), 1u);
    EXPECT_EQ(stored.value->front().text.size(), 2 * FeedbackRequest::kMaxTextChars);
}

TEST_F(ServiceServerTest, StoresFeedbackAndAnswersOk) {
    start();
    auto c = client();
    const auto res = c.Post("/php/feedback.php",
                            "cmd=feedback&appname=TARNICK+-+Brevane&version=2.0"
                            "&feedback=I+like+it%21%0DGreat+tool%27%3B+--&email=a%2Bb%40x.io",
                            kForm);
    ASSERT_TRUE(res) << httplib::to_string(res.error());
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, "OK");

    const auto stored = m_store->all();
    ASSERT_TRUE(stored) << stored.error;
    ASSERT_EQ(stored.value->size(), 1u);
    const FeedbackEntry& e = stored.value->front();
    EXPECT_EQ(e.appname, "TARNICK - Brevane");
    EXPECT_EQ(e.version, "2.0");
    EXPECT_EQ(e.text, "I like it!\rGreat tool'; --");
    EXPECT_EQ(e.email, "a+b@x.io");
    EXPECT_EQ(e.clientAddress, "127.0.0.1");
    EXPECT_TRUE(std::regex_match(e.receivedUtc, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")))
        << e.receivedUtc;
}

TEST_F(ServiceServerTest, LimitsFeedbackPerAddress) {
    ServiceOptions o;
    o.feedbackLimit = 2;
    start(o);
    auto c = client();
    const std::string body = "cmd=feedback&appname=A&version=2.0&feedback=again";
    for (int i = 0; i < 2; ++i) {
        const auto res = c.Post("/php/feedback.php", body, kForm);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->body, "OK");
    }
    const auto refused = c.Post("/php/feedback.php", body, kForm);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 429);
    EXPECT_EQ(refused->body, "ERROR rate limit");
    EXPECT_EQ(m_store->all().value->size(), 2u);
}

TEST_F(ServiceServerTest, ServesHelpPagesAndNotFound) {
    start();
    auto c = client();
    for (const char* path : {"/", "/help/brevane/"}) {
        const auto page = c.Get(path);
        ASSERT_TRUE(page) << path;
        EXPECT_EQ(page->status, 200) << path;
        EXPECT_EQ(page->body, "<!DOCTYPE html><title>Brevane</title>");
        EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    }
    // A mapped page whose file is missing, a page name with no file, a path that is no page, an
    // attempt to leave the folder, a file of the folder that is no help file.
    for (const char* path : {"/translation/", "/help/brevane/ports.html", "/help/brevane",
                             "/help/../feedback.sqlite", "/feedback.sqlite"}) {
        const auto res = c.Get(path);
        ASSERT_TRUE(res) << path;
        EXPECT_EQ(res->status, 404) << path;
    }
}

// A help folder inside the test's folder, so that files can lie beside it, outside.
std::filesystem::path makeHelpFolder(const TempFolder& folder) {
    const auto help = folder.path() / "help";
    std::filesystem::create_directory(help);
    std::ofstream(help / "index.html") << "<!DOCTYPE html><title>Brevane</title>";
    return help;
}

httplib::Client rawClient(int port) {
    httplib::Client c("127.0.0.1", port);
    c.set_connection_timeout(5s);
    c.set_read_timeout(5s);
    c.set_url_encode(false); // the paths below go out exactly as written
    return c;
}

TEST_F(ServiceServerTest, ServesEveryHelpFileUnderAnyFolderTheLinksComeFrom) {
    const auto help = makeHelpFolder(m_folder);
    std::ofstream(help / "ports.html") << "<!DOCTYPE html><title>Port names</title>";
    std::ofstream(help / "style.css") << "body { margin: 0 }";
    std::ofstream(help / "logo.svg") << "<svg viewBox=\"0 0 1 1\"/>";
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    std::ofstream(help / "flag.png", std::ios::binary) << png;
    ServiceOptions o;
    o.helpDir = help.string();
    start(o);
    auto c = rawClient(m_server->httpPort());
    const struct {
        const char* path;
        std::string body;
        const char* type;
    } cases[] = {
        {"/ports.html", "<!DOCTYPE html><title>Port names</title>", "text/html; charset=utf-8"},
        {"/help/brevane/ports.html", "<!DOCTYPE html><title>Port names</title>",
         "text/html; charset=utf-8"},
        {"/blog/credits-and-acknowledgements/ports.html",
         "<!DOCTYPE html><title>Port names</title>", "text/html; charset=utf-8"},
        {"/style.css", "body { margin: 0 }", "text/css; charset=utf-8"},
        {"/help/brevane/style.css", "body { margin: 0 }", "text/css; charset=utf-8"},
        {"/blog/credits-and-acknowledgements/style.css", "body { margin: 0 }",
         "text/css; charset=utf-8"},
        {"/translation/style.css", "body { margin: 0 }", "text/css; charset=utf-8"},
        {"/download/logo.svg", "<svg viewBox=\"0 0 1 1\"/>", "image/svg+xml"},
        {"/help/brevane/flag.png", png, "image/png"},
        {"/help/brevane/", "<!DOCTYPE html><title>Brevane</title>", "text/html; charset=utf-8"},
        {"/help/brevane/index.html", "<!DOCTYPE html><title>Brevane</title>",
         "text/html; charset=utf-8"},
    };
    for (const auto& t : cases) {
        const auto res = c.Get(t.path);
        ASSERT_TRUE(res) << t.path;
        EXPECT_EQ(res->status, 200) << t.path;
        EXPECT_EQ(res->body, t.body) << t.path;
        EXPECT_EQ(res->get_header_value("Content-Type"), t.type) << t.path;
    }
}

TEST_F(ServiceServerTest, NeverServesAFileOutsideTheHelpFolder) {
    const auto help = makeHelpFolder(m_folder);
    // Files with names the service serves, beside the help folder and above it.
    std::ofstream(m_folder.file("secret.html")) << "SECRET";
    std::ofstream(m_folder.file("passwd.css")) << "SECRET";
    std::filesystem::create_symlink("../secret.html", help / "leak.html");
    std::filesystem::create_symlink(m_folder.file("passwd.css"), help / "leak.css");
    std::filesystem::create_directory_symlink(m_folder.path(), help / "up");
    // Names of help files that are no regular files: refused, and never waited on.
    ASSERT_EQ(mkfifo((help / "fifo.html").c_str(), 0600), 0);
    std::filesystem::create_directory(help / "folder.html");
    ServiceOptions o;
    o.helpDir = help.string();
    start(o);
    auto c = rawClient(m_server->httpPort());
    for (const char* path : {
             "/..%2fsecret.html",
             "/..%2f",
             "/help/..%2f..%2fsecret.html",
             "/help/../../etc/passwd",
             "/help/brevane/../../secret.html",
             "/../secret.html",
             "/%2e%2e/secret.html",
             "/%2E%2E%2Fsecret.html",
             "/..%5csecret.html",
             "/help/brevane/..",
             "/secret.html%00.css",
             "/up/secret.html",
             "/leak.html",
             "/help/brevane/leak.html",
             "/leak.css",
             "/fifo.html",
             "/folder.html",
         }) {
        const auto res = c.Get(path);
        ASSERT_TRUE(res) << path << ": " << httplib::to_string(res.error());
        EXPECT_EQ(res->status, 404) << path;
        EXPECT_EQ(res->body.find("SECRET"), std::string::npos) << path;
    }
}

TEST(HelpPages, EveryPageTheProgramOpensIsInTheHelpFolder) {
    const HelpPages pages(BREVANE_HELP_DIR);
    for (const char* path :
         {"/", "/help/brevane/", "/translation/", "/blog/credits-and-acknowledgements/",
          "/blog/how-to-uninstall-tarnick-software/", "/download/"}) {
        const auto page = pages.read(path);
        ASSERT_TRUE(page) << path;
        EXPECT_EQ(page->content.rfind("<!DOCTYPE html>", 0), 0u) << path;
        EXPECT_STREQ(page->contentType, "text/html; charset=utf-8") << path;
    }
}

TEST_F(ServiceServerTest, ServesOverHttpsWithItsCertificate) {
    const auto cert = m_folder.file("cert.pem").string();
    const auto key = m_folder.file("key.pem").string();
    const std::string command = std::string(BREVANE_OPENSSL_PROGRAM) +
                                " req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1"
                                " -nodes -days 1 -subj /CN=127.0.0.1"
                                " -addext subjectAltName=IP:127.0.0.1 -keyout " +
                                key + " -out " + cert + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ServiceOptions o;
    o.certFile = cert;
    o.keyFile = key;
    start(o);
    ASSERT_GT(m_server->httpsPort(), 0);
    EXPECT_NE(m_server->httpsPort(), m_server->httpPort());

    httplib::SSLClient c("127.0.0.1", m_server->httpsPort());
    c.set_ca_cert_path(cert.c_str());
    c.enable_server_certificate_verification(true);
    c.set_connection_timeout(5s);
    c.set_read_timeout(5s);
    const auto res = c.Post("/php/check2.php", kCheck, kForm);
    ASSERT_TRUE(res) << httplib::to_string(res.error());
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body.rfind("<version>2.1</version>\r\n<url>https://127.0.0.1:", 0), 0u)
        << res->body;
    const auto feedback =
        c.Post("/php/feedback.php", "cmd=feedback&appname=A&version=2.0&feedback=secure", kForm);
    ASSERT_TRUE(feedback);
    EXPECT_EQ(feedback->body, "OK");
}

// The service stops as soon as it is asked, so a stop may come before the listener's loop has
// started running; that stop must still end it rather than leave stop() waiting forever.
TEST_F(ServiceServerTest, StopAtOnceAfterStartEnds) {
    for (int cycle = 0; cycle < 100; ++cycle) {
        start();
        auto stopped = std::make_shared<std::promise<void>>();
        std::future<void> done = stopped->get_future();
        std::thread([server = m_server.get(), stopped] {
            server->stop();
            stopped->set_value();
        }).detach();
        if (done.wait_for(20s) != std::future_status::ready) {
            ADD_FAILURE() << "stop() right after start() did not return (cycle " << cycle << ")";
            std::fflush(stdout);
            std::_Exit(1); // the listener it missed would keep this test running for ever
        }
        m_server.reset();
    }
}

TEST(ServiceServer, ReportsACertificateItCannotLoad) {
    TempFolder folder;
    auto store = FeedbackStore::open(folder.file("f.sqlite"));
    ASSERT_TRUE(store);
    RateLimiter limiter(10, std::chrono::seconds(600));
    ServiceOptions o;
    o.httpPort = 0;
    o.certFile = folder.file("missing-cert.pem");
    o.keyFile = folder.file("missing-key.pem");
    ServiceServer server(o, **store.value, limiter);
    EXPECT_NE(server.start().find("certificate"), std::string::npos);
}

} // namespace
