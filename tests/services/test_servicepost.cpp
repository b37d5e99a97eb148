#include "services/servicepost.h"
#include "services/testservers.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// A proxy from the environment would take requests away from the 127.0.0.1 servers.
class ServicePostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("no_proxy", "127.0.0.1");
        qputenv("NO_PROXY", "127.0.0.1");
    }
    static const TestCertificate& certificate() {
        static const TestCertificate cert;
        return cert;
    }
    PostOptions trusting() const { return PostOptions{certificate().certFile()}; }
};

TEST(FormEncoding, FieldsAreEncodedFromUtf8InOrder) {
    struct Case {
        QStringList fields;
        QByteArray body;
    };
    const Case cases[] = {
        {{"cmd=check"}, "cmd=check"},
        {{"cmd=check", "appname=TARNICK - Brevane", "version=2.0"},
         "cmd=check&appname=TARNICK+-+Brevane&version=2.0"},
        {{"os=Debian GNU/Linux 12 (bookworm)"}, "os=Debian+GNU%2FLinux+12+%28bookworm%29"},
        {{"text=a&b=c+d%e"}, "text=a%26b%3Dc%2Bd%25e"}, // only the first "=" splits
        {{QString::fromUtf8("name=Jürgen €")}, "name=J%C3%BCrgen+%E2%82%AC"},
        {{"guid="}, "guid="},
        {{"flag"}, "flag="},
        {{"a=x_y.z-*~"}, "a=x_y.z-*%7E"},
        {{"a=line1\r\nline2"}, "a=line1%0D%0Aline2"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields.join('|').toStdString());
        EXPECT_EQ(encodeFormFields(c.fields), c.body);
    }
}

TEST_F(ServicePostTest, HttpPostSendsTheFormAndReturnsTheBody) {
    FormServer server;
    ASSERT_TRUE(server.isRunning());
    server.answerWith({200, "<version>2.1</version>\r\n", "text/html"});
    const PostResult result =
        ServicePost("http://" + server.host() + "/php/check2.php", {"cmd=check", "x=a b"}, 5000);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.reply, "<version>2.1</version>\r\n");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, "cmd=check&x=a+b");
    EXPECT_EQ(requests[0].contentType, "application/x-www-form-urlencoded");
    EXPECT_FALSE(requests[0].hasUserAgent);
    EXPECT_NE(requests[0].connection, "close"); // the header is set for https only
}

TEST_F(ServicePostTest, HttpErrorStatusFailsButHttpsErrorPageIsTheReply) {
    ASSERT_TRUE(certificate().isValid());
    FormServer http;
    FormServer https(&certificate());
    ASSERT_TRUE(http.isRunning() && https.isRunning());
    for (FormServer* s : {&http, &https})
        s->answerWith({500, "ERROR: database down", "text/plain"});

    const PostResult plain = ServicePost("http://" + http.host() + "/p", {"cmd=check"}, 5000);
    EXPECT_FALSE(plain.ok);
    EXPECT_TRUE(plain.error.contains("500")) << plain.error.toStdString();

    const PostResult secure =
        ServicePost("https://" + https.host() + "/p", {"cmd=check"}, 5000, trusting());
    ASSERT_TRUE(secure.ok) << secure.error.toStdString();
    EXPECT_EQ(secure.reply, "ERROR: database down");
    ASSERT_EQ(https.requests().size(), 1u);
    EXPECT_EQ(https.requests()[0].connection, "close");
}

TEST_F(ServicePostTest, UntrustedCertificateFailsWithCurlsText) {
    ASSERT_TRUE(certificate().isValid());
    FormServer https(&certificate());
    ASSERT_TRUE(https.isRunning());
    // Without the test authority the system's trust store knows nothing of the certificate.
    const PostResult result = ServicePost("https://" + https.host() + "/p", {"cmd=check"}, 5000);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_TRUE(https.requests().empty());
}

TEST_F(ServicePostTest, RetryUsesHttpsFirstAndHttpOnlyWhenHttpsFails) {
    ASSERT_TRUE(certificate().isValid());
    {
        // An http-only host: the https handshake fails on the same port, then http answers.
        FormServer http;
        ASSERT_TRUE(http.isRunning());
        http.answerWith({200, "plain", "text/plain"});
        const PostResult result =
            postWithRetry(http.host(), "/php/check2.php", {"cmd=check", "guid="}, 5000, trusting());
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_TRUE(result.usedHttp);
        EXPECT_EQ(result.reply, "plain");
        ASSERT_EQ(http.requests().size(), 1u);
        EXPECT_EQ(http.requests()[0].body, "cmd=check&guid=");
    }
    {
        // An https error page is a reply: no second attempt.
        FormServer https(&certificate());
        ASSERT_TRUE(https.isRunning());
        https.answerWith({404, "not here", "text/plain"});
        const PostResult result =
            postWithRetry(https.host(), "/php/check2.php", {"cmd=check"}, 5000, trusting());
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_FALSE(result.usedHttp);
        EXPECT_EQ(result.reply, "not here");
        EXPECT_EQ(https.requests().size(), 1u);
    }
    {
        // Nothing listening: both attempts fail and the failure is the http one's.
        int port = 0;
        {
            SilentListener closedSoon; // once closed, its port refuses connections
            port = closedSoon.port();
        }
        const PostResult result = postWithRetry(QStringLiteral("127.0.0.1:%1").arg(port), "/p",
                                                {"cmd=check"}, 2000, trusting());
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.usedHttp);
        EXPECT_FALSE(result.error.isEmpty());
    }
}

TEST_F(ServicePostTest, ASilentServerFailsAfterTheResponseTimeOut) {
    SilentListener silent;
    ASSERT_GT(silent.port(), 0);
    using namespace std::chrono;
    for (const char* scheme : {"http://", "https://"}) {
        SCOPED_TRACE(scheme);
        const auto start = steady_clock::now();
        const PostResult result =
            ServicePost(scheme + QStringLiteral("127.0.0.1:%1/p").arg(silent.port()), {"cmd=check"},
                        400, trusting());
        const auto took = duration_cast<milliseconds>(steady_clock::now() - start).count();
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_GE(took, 380);
        // Tolerant of a loaded machine; without the time-out it would never end.
        EXPECT_LT(took, 5000);
    }
}

TEST_F(ServicePostTest, TheReplyIsDecodedByItsDeclaredCharset) {
    FormServer server;
    ASSERT_TRUE(server.isRunning());
    struct Case {
        QByteArray body, contentType;
        QString reply;
    };
    const Case cases[] = {
        {"Gr\xc3\xbc\xc3\x9f"
         "e",
         "text/plain", QString::fromUtf8("Grüße")}, // none: UTF-8
        {"Gr\xc3\xbc\xc3\x9f"
         "e",
         "text/plain; charset=utf-8", QString::fromUtf8("Grüße")},
        {"Gr\xfc\xdf"
         "e",
         "text/plain; charset=ISO-8859-1", QString::fromUtf8("Grüße")},
        {"Gr\xfc\xdf"
         "e",
         "text/html;charset=\"iso-8859-1\"", QString::fromUtf8("Grüße")},
        {"ok", "text/plain; charset=no-such-charset", "ok"},
        // A sequence cut off at the end of the body is shown, not silently dropped.
        {"ok\xec", "text/plain", QString("ok") + QChar::ReplacementCharacter},
        {"ok\xd8", "text/plain; charset=utf-16be", QString("\u6f6b") + QChar::ReplacementCharacter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contentType.toStdString());
        server.answerWith({200, c.body, c.contentType});
        const PostResult result = ServicePost("http://" + server.host() + "/p", {"a=b"}, 5000);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(result.reply, c.reply);
    }
}

} // namespace
