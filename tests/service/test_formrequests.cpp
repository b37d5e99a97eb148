#include "checkrequest.h"
#include "feedbackrequest.h"
#include "fieldrules.h"
#include "formbody.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// The body the program posts for an update check, in its order.
const std::string kCheckBody =
    "cmd=check&appname=TARNICK+-+Brevane&version=2.0"
    "&os=Debian+GNU%2FLinux+12+(Version+12%2C+Kernel+6.1.0%2C+64-bit+"
    "Edition)&local=en-US&guid=%7B1B4E28BA-2FA1-11D2-883F-0016D3CCA427%7D"
    "&howmany=3";

TEST(FormBody, DecodesPlusPercentAndKeepsOrder) {
    const auto form = FormBody::parse("b=x+y&a=%41%62%e2%82%AC&empty=&bare&&c=1%3D2%263");
    ASSERT_TRUE(form) << form.error;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"b", "x y"}, {"a", "Ab\u20ac"}, {"empty", ""}, {"bare", ""}, {"c", "1=2&3"}};
    EXPECT_EQ(form.value->fields(), expected);
    EXPECT_EQ(form.value->find("missing"), nullptr);
}

TEST(FormBody, RefusesBrokenOrAmbiguousBodies) {
    const char* cases[] = {
        "a=%4",                   // escape cut short at the end
        "a=%zz",                  // not hexadecimal
        "a=%",                    // a lone percent sign
        "%=1",                    // a broken name
        "=1",                     // no name
        "cmd=check&cmd=feedback", // a second value for the same field
    };
    for (const char* body : cases)
        EXPECT_FALSE(FormBody::parse(body)) << body;

    std::string many;
    for (std::size_t i = 0; i <= FormBody::kMaxFields; ++i)
        many += "f" + std::to_string(i) + "=1&";
    EXPECT_FALSE(FormBody::parse(many));
}

TEST(FieldRules, CountsCharactersAndRefusesInvalidUtf8) {
    const struct {
        std::string text;
        std::optional<std::size_t> count;
    } cases[] = {
        {"", 0},
        {"abc", 3},
        {"\u00e4\u20ac\U0001F600", 3},      // two, three and four bytes
        {"\xC3", std::nullopt},             // cut short
        {"\xC0\xAF", std::nullopt},         // overlong "/"
        {"\xED\xA0\x80", std::nullopt},     // a UTF-16 surrogate
        {"\xF4\x90\x80\x80", std::nullopt}, // past U+10FFFF
        {"\x80", std::nullopt},             // a lone continuation byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldRules::countCharacters(c.text), c.count) << c.text;
}

TEST(CheckRequest, ReadsWhatTheProgramSends) {
    const auto form = FormBody::parse(kCheckBody);
    ASSERT_TRUE(form);
    const auto request = CheckRequest::fromForm(*form.value);
    ASSERT_TRUE(request) << request.error;
    EXPECT_EQ(request.value->appname, "TARNICK - Brevane");
    EXPECT_EQ(request.value->version, "2.0");
    EXPECT_EQ(request.value->os, "Debian GNU/Linux 12 (Version 12, Kernel 6.1.0, 64-bit Edition)");
    EXPECT_EQ(request.value->local, "en-US");
    EXPECT_EQ(request.value->guid, "{1B4E28BA-2FA1-11D2-883F-0016D3CCA427}");
    EXPECT_EQ(request.value->howMany, 3u);
}

TEST(CheckRequest, RefusesMissingWrongAndOversizedFields) {
    auto replace = [](std::string field, std::string value) {
        std::string body = kCheckBody;
        const auto at = body.find(field + "=");
        const auto end = body.find('&', at);
        body.replace(at, (end == std::string::npos ? body.size() : end) - at,
                     value.empty() ? std::string() : field + "=" + value);
        return body;
    };
    const struct {
        std::string body;
        const char* why;
    } cases[] = {
        {replace("cmd", "feedback"), "another command"},
        {replace("cmd", ""), "no command"},
        {replace("appname", ""), "no appname"},
        {replace("version", "2.0%0A"), "a line break in the version"},
        {replace("version", std::string(33, '9')), "a version past 32 characters"},
        {replace("local", ""), "no locale"},
        {replace("guid", ""), "no guid field at all"},
        {replace("os", std::string(201, 'x')), "an os past 200 characters"},
        {replace("howmany", "-1"), "a negative count"},
        {replace("howmany", "3x"), "a count with letters"},
        {replace("howmany", "99999999999"), "a count past 32 bits"},
        {replace("appname", "%FF"), "an appname that is not UTF-8"},
    };
    for (const auto& c : cases) {
        const auto form = FormBody::parse(c.body);
        ASSERT_TRUE(form) << c.why;
        EXPECT_FALSE(CheckRequest::fromForm(*form.value)) << c.why;
    }
    // The program sends an empty guid when it cannot read the machine's ID.
    const auto emptyGuid = FormBody::parse(replace("guid", "") + "&guid=");
    ASSERT_TRUE(emptyGuid);
    EXPECT_TRUE(CheckRequest::fromForm(*emptyGuid.value));
}

FormBody feedbackForm(const std::string& text, const std::string& email = {}) {
    std::string body = "cmd=feedback&appname=A&version=2.0&feedback=";
    // Build through parse so the values travel as they would on the wire.
    auto encode = [](const std::string& s) {
        std::string out;
        char hex[4];
        for (unsigned char c : s) {
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
        return out;
    };
    body += encode(text);
    if (!email.empty())
        body += "&email=" + encode(email);
    return *FormBody::parse(body).value;
}

TEST(FeedbackRequest, AcceptsTheWindowsTextWithItsChoiceLine) {
    const auto request =
        FeedbackRequest::fromForm(feedbackForm("I like it!\rGreat tool\r\nthanks", "a+b@x.io"));
    ASSERT_TRUE(request) << request.error;
    EXPECT_EQ(request.value->text, "I like it!\rGreat tool\r\nthanks");
    EXPECT_EQ(request.value->email, "a+b@x.io");

    // A full text box of non-ASCII characters plus a translated choice line still fits.
    std::string full = "I dislike it! (Es gef\u00e4llt mir nicht!)\r";
    for (int i = 0; i < 10000; ++i)
        full += "\u00e9";
    EXPECT_TRUE(FeedbackRequest::fromForm(feedbackForm(full)));
    EXPECT_FALSE(FeedbackRequest::fromForm(feedbackForm(full + std::string(200, 'x'))));
}

TEST(FeedbackRequest, RefusesWhatTheWindowWouldNotSend) {
    const struct {
        std::string text;
        std::string email;
        const char* why;
    } cases[] = {
        {"", "", "no text"},
        {" \r\n\t", "", "blank text"},
        {"hi\x01there", "", "a control character"},
        {"ok", "name@host", "an address without a dot in its host"},
        {"ok", std::string(95, 'a') + "@b.com", "an address past 100 characters"},
        {"ok", "a b@c.de", "a space inside the address"},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(FeedbackRequest::fromForm(feedbackForm(c.text, c.email))) << c.why;

    const auto noAppname = FormBody::parse("cmd=feedback&version=2.0&feedback=hi");
    EXPECT_FALSE(FeedbackRequest::fromForm(*noAppname.value));
    const auto wrongCmd = FormBody::parse("cmd=check&appname=A&version=2.0&feedback=hi");
    EXPECT_FALSE(FeedbackRequest::fromForm(*wrongCmd.value));
}

TEST(FeedbackRequest, EmailPatternMatchesTheWindows) {
    const struct {
        const char* email;
        bool valid;
    } cases[] = {
        {"user@example.com", true},
        {"first.last+tag@mail.example.co.uk", true},
        {"a_b-c@x-y.z1", true},
        {"user@localhost", false},
        {"@example.com", false},
        {"user@example.", false},
        {"user@example.c-", false},
        {"user@@example.com", false},
        {"us\u00e9r@example.com", false},
        {"user@exa_mple.com", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FeedbackRequest::isValidEmail(c.email), c.valid) << c.email;
}

} // namespace
