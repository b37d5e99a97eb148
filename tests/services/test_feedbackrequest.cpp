#include "services/feedbackrequest.h"
#include "services/testservers.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(FeedbackEmail, PatternCoversTheWholeTextCaseSensitively) {
    struct Case {
        const char* email;
        bool valid;
    };
    const Case cases[] = {
        {"name@example.com", true},
        {"first.last+tag@example.co.uk", true},
        {"a_b-c@sub-domain.example.org", true},
        {"name+list@example.de", true},
        {"NAME@EXAMPLE.COM", true},
        {"name@host", false},  // no dot in the domain
        {"name@host.", false}, // must end in a letter or digit
        {"name@.com", false},
        {"@example.com", false},
        {"name example.com", false},
        {"name@exa mple.com", false},
        {"name@@example.com", false},
        {"name@example.com\n", false}, // "$" must not accept a final line break
        {"x name@example.com", false}, // a match inside the text is not enough
        {"name@example.c-m", true},
        {"name@example..com", true},   // the pattern allows dots after the first
        {"jürgen@example.com", false}, // letters outside a-z
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.email);
        EXPECT_EQ(isValidEmail(QString::fromUtf8(c.email)), c.valid);
    }
}

TEST(FeedbackText, TrimRemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(trimControls(" \t\r\n\x01 a b \x1f\r\n"), "a b");
    EXPECT_EQ(trimControls("\r\n \t"), "");
    EXPECT_EQ(trimControls(QString::fromUtf8("\u00a0x\u00a0")), QString::fromUtf8("\u00a0x\u00a0"));
}

TEST(FeedbackText, ChoiceLineThenTrimmedMemo) {
    struct Case {
        FeedbackChoice choice;
        const char* like;
        const char* dislike;
        const char* memo;
        const char* text;
    };
    const Case cases[] = {
        {FeedbackChoice::Like, "I like it!", "I dislike it!", "Great tool",
         "I like it!\rGreat tool"},
        {FeedbackChoice::Dislike, "I like it!", "I dislike it!", "  slow\r\n",
         "I dislike it!\rslow"},
        {FeedbackChoice::None, "I like it!", "I dislike it!", "\r\nline 1\r\nline 2\r\n",
         "line 1\r\nline 2"},
        {FeedbackChoice::Like, "Gefällt mir!", "Gefällt mir nicht!", "Gut",
         "I like it! (Gefällt mir!)\rGut"},
        {FeedbackChoice::Dislike, "Gefällt mir!", "Gefällt mir nicht!", "Schlecht",
         "I dislike it! (Gefällt mir nicht!)\rSchlecht"},
        {FeedbackChoice::Like, "I like it!", "I dislike it!", " ", "I like it!\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(feedbackText(c.choice, QString::fromUtf8(c.like), QString::fromUtf8(c.dislike),
                               QString::fromUtf8(c.memo)),
                  QString::fromUtf8(c.text));
    }
}

TEST(FeedbackFields, EmailLineOnlyWhenGiven) {
    EXPECT_EQ(feedbackFields("TARNICK - Brevane", "2.0", "I like it!\rGreat tool", ""),
              QStringList({"cmd=feedback", "appname=TARNICK - Brevane", "version=2.0",
                           "feedback=I like it!\rGreat tool"}));
    EXPECT_EQ(feedbackFields("TARNICK - Brevane", "2.0", "x", "me+a@example.com"),
              QStringList({"cmd=feedback", "appname=TARNICK - Brevane", "version=2.0", "feedback=x",
                           "email=me+a@example.com"}));
}

TEST(FeedbackReply, OnlyAReplyOfOkAloneCounts) {
    struct Case {
        const char* reply;
        bool ok;
    };
    const Case cases[] = {
        {"OK", true},        {"OK\r\n", true},      {"OK\n", true},  {"\r\n  OK \r\n", true},
        {"OK\nmore", false}, {"OK\r\nmore", false}, {"ok", false},   {"", false},
        {"NOT OK", false},   {"OK\r\n\r\n", true},  {"OKAY", false}, {"ERROR", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(feedbackReplyOk(c.reply), c.ok);
    }
}

TEST(FeedbackPost, NoWebHostFailsWithoutARequest) {
    const PostResult result = feedbackPostTo("")({"cmd=feedback"}, kFeedbackTimeoutMs);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.reply.isEmpty());
}

TEST(FeedbackPost, GoesToTheFeedbackScriptAndFallsBackToHttp) {
    qputenv("no_proxy", "127.0.0.1");
    qputenv("NO_PROXY", "127.0.0.1");
    FormServer server; // plain http only: the https attempt fails first
    ASSERT_TRUE(server.isRunning());
    server.answerWith({200, "OK\r\n"});
    const PostResult result =
        feedbackPostTo(server.host())({"cmd=feedback", "feedback=a b"}, kFeedbackTimeoutMs);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(result.usedHttp);
    EXPECT_TRUE(feedbackReplyOk(result.reply));
    const auto requests = server.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().path, "/php/feedback.php");
    EXPECT_EQ(requests.back().body, "cmd=feedback&feedback=a+b");
}

} // namespace
