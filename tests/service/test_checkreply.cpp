#include "checkreply.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Splits a reply the way the program does: at CR LF, LF or CR.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out.emplace_back();
        } else {
            out.back() += text[i];
        }
    }
    return out;
}

TEST(CheckReply, HasTheFourTaggedLinesTheProgramReads) {
    CheckRequest request;
    request.version = "2.0";
    request.howMany = 7;
    const struct {
        const char* latest;
        const char* result;
    } cases[] = {{"2.1", "1"}, {"2.0", "0"}, {"1.9", "1"}};
    for (const auto& c : cases) {
        const auto reply =
            lines(CheckReply::answer(request, c.latest, "https://127.0.0.1:9/download/"));
        ASSERT_GE(reply.size(), 4u) << c.latest;
        EXPECT_EQ(reply[0], std::string("<version>") + c.latest + "</version>");
        EXPECT_EQ(reply[1], "<url>https://127.0.0.1:9/download/</url>");
        EXPECT_EQ(reply[2], "<howmany>7</howmany>");
        EXPECT_EQ(reply[3], std::string("<result>") + c.result + "</result>");
    }
}

TEST(CheckReply, RefusalsBeginWithError) {
    EXPECT_EQ(CheckReply::error("missing version"), "ERROR missing version");
}

} // namespace
