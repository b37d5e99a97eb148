#include "feedbackcsv.h"
#include "feedbackstore.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

FeedbackEntry entry(std::string text, std::string email = {}) {
    return {0,     "2024-05-01T12:30:00Z", "127.0.0.1",    "TARNICK - Brevane",
            "2.0", std::move(email),       std::move(text)};
}

bool same(const FeedbackEntry& a, const FeedbackEntry& b) {
    return a.receivedUtc == b.receivedUtc && a.clientAddress == b.clientAddress &&
           a.appname == b.appname && a.version == b.version && a.email == b.email &&
           a.text == b.text;
}

TEST(FeedbackStore, KeepsEntriesAcrossReopeningExactlyAsGiven) {
    TempFolder folder;
    const std::string path = folder.file("feedback.sqlite");
    const FeedbackEntry written[] = {
        entry("I like it!\rGreat tool", "a@b.cd"),
        // Text that would end or rewrite the statement if it were pasted into SQL.
        entry("x'); DROP TABLE feedback; --"),
        entry("quote \" and ' and \\ and \u20ac\r\nsecond line"),
    };
    {
        auto store = FeedbackStore::open(path);
        ASSERT_TRUE(store) << store.error;
        std::int64_t lastId = 0;
        for (const auto& e : written) {
            const auto id = (*store.value)->add(e);
            ASSERT_TRUE(id) << id.error;
            EXPECT_GT(*id.value, lastId);
            lastId = *id.value;
        }
    }
    auto store = FeedbackStore::open(path);
    ASSERT_TRUE(store) << store.error;
    const auto read = (*store.value)->all();
    ASSERT_TRUE(read) << read.error;
    ASSERT_EQ(read.value->size(), std::size(written));
    for (std::size_t i = 0; i < std::size(written); ++i)
        EXPECT_TRUE(same((*read.value)[i], written[i])) << i;
}

TEST(FeedbackStore, ReportsAFileItCannotOpen) {
    TempFolder folder;
    const auto store = FeedbackStore::open(folder.file("no-such-folder/feedback.sqlite"));
    EXPECT_FALSE(store);
    EXPECT_NE(store.error.find("no-such-folder"), std::string::npos) << store.error;
}

TEST(FeedbackCsv, QuotesOnlyWhatNeedsIt) {
    const struct {
        const char* value;
        const char* field;
    } cases[] = {
        {"plain text", "plain text"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"line1\r\nline2", "\"line1\r\nline2\""},
        {"cr\ronly", "\"cr\ronly\""},
        {"'single'", "'single'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FeedbackCsv::field(c.value), c.field) << c.value;
}

TEST(FeedbackCsv, WritesAHeaderAndOneRecordPerEntry) {
    std::vector<FeedbackEntry> entries = {entry("Great, \"really\"\r\ngreat", "a@b.cd"),
                                          entry("short")};
    entries[0].id = 1;
    entries[1].id = 2;
    std::ostringstream out;
    FeedbackCsv::write(entries, out);
    EXPECT_EQ(out.str(), "id,received_utc,client_address,appname,version,email,feedback\r\n"
                         "1,2024-05-01T12:30:00Z,127.0.0.1,TARNICK - Brevane,2.0,a@b.cd,"
                         "\"Great, \"\"really\"\"\r\ngreat\"\r\n"
                         "2,2024-05-01T12:30:00Z,127.0.0.1,TARNICK - Brevane,2.0,,short\r\n");
}

} // namespace
