#include "base/localeformats.h"
#include "services/checkerstore.h"
#include "services/updatecheck.h"
#include "support/qtprinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString replyNaming(const QString& version, const QString& url = "https://127.0.0.1:9/dl") {
    return "<version>" + version + "</version>\r\n<url>" + url + "</url>\r\n<x>y</x>\r\n" +
           "<result>1</result>\r\n";
}

// Start after start of the program over one store: a movable clock, a scripted server.
class UpdateCheckTest : public ::testing::Test {
protected:
    UpdateCheckTest() : formats("C") {}

    CheckOutcome start(const QString& shortVersion = "2.0") {
        CheckerStore store(dir.path());
        CheckInputs inputs;
        inputs.shortVersion = shortVersion;
        inputs.commonFields = {"appname=TARNICK - Brevane", "version=" + shortVersion, "os=Linux",
                               "local=en-US", "guid="};
        inputs.guidFailed = guidFailed;
        inputs.haveWebHost = haveWebHost;
        return CheckNow(
            store, inputs, [this] { return day; }, formats,
            [this](const QStringList& fields) {
                sent.append(fields);
                return answer;
            });
    }
    CheckerStore reopened() {
        CheckerStore store(dir.path());
        EXPECT_TRUE(store.open().ok);
        return store;
    }
    void setValue(const QString& name, const QString& value) {
        CheckerStore store = reopened();
        ASSERT_TRUE(store.writeString(name, value).ok);
    }

    QTemporaryDir dir;
    LocaleFormats formats;
    QDate day{2025, 3, 1};
    PostResult answer{true, replyNaming("2.1"), {}, false};
    bool guidFailed = false;
    bool haveWebHost = true;
    QList<QStringList> sent;
};

TEST_F(UpdateCheckTest, FirstRunCountsOneAndSendsTheFieldsInOrder) {
    const CheckOutcome outcome = start();
    EXPECT_TRUE(outcome.finished);
    EXPECT_TRUE(outcome.requestMade);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0], QStringList({"cmd=check", "appname=TARNICK - Brevane", "version=2.0",
                                    "os=Linux", "local=en-US", "guid=", "howmany=1"}));
    EXPECT_TRUE(outcome.UpdatePopupWanted);
    EXPECT_EQ(outcome.NewVersion, "2.1");
    EXPECT_EQ(outcome.DownloadURL, "https://127.0.0.1:9/dl");
    EXPECT_EQ(outcome.ShowUpdate, 1);
    const CheckerStore store = reopened();
    EXPECT_EQ(store.readString("HowMany"), "1");
    EXPECT_EQ(store.readString("InstalledVersion"), "2.0");
    EXPECT_EQ(store.readString("LastUpdateCheck"), "03/01/25");
    EXPECT_EQ(store.readString("LastUpdateCheckCount"), "1");
}

TEST_F(UpdateCheckTest, HowManyCountsRunsAndRestartsWithANewVersion) {
    setValue("HowMany", "-7"); // negative counts as 0
    start();
    start();
    EXPECT_EQ(reopened().readNumber("HowMany", 0), 2);
    start("2.1");
    EXPECT_EQ(reopened().readNumber("HowMany", 0), 1);
    EXPECT_EQ(reopened().readString("InstalledVersion"), "2.1");
    EXPECT_EQ(sent.last().last(), "howmany=1");
}

TEST_F(UpdateCheckTest, FiveRequestsADayAndThePopupOnlyOnTheFirstThree) {
    QList<bool> popups;
    for (int run = 0; run < 6; ++run)
        popups.append(start().UpdatePopupWanted);
    EXPECT_EQ(sent.size(), 5);
    EXPECT_EQ(popups, QList<bool>({true, true, true, false, false, false}));
    EXPECT_EQ(reopened().readNumber("HowMany", 0), 6); // every start counts
    EXPECT_EQ(reopened().readNumber("LastUpdateCheckCount", 0), 5);

    day = day.addDays(1); // a new day: the count restarts
    EXPECT_TRUE(start().UpdatePopupWanted);
    EXPECT_EQ(sent.size(), 6);
    EXPECT_EQ(reopened().readNumber("LastUpdateCheckCount", 0), 1);
}

TEST_F(UpdateCheckTest, FailedRequestsStillCountTowardsTheDay) {
    answer = PostResult{false, {}, "Could not connect", true};
    for (int run = 0; run < 6; ++run) {
        const CheckOutcome outcome = start();
        EXPECT_TRUE(outcome.finished);
        EXPECT_FALSE(outcome.UpdatePopupWanted);
        EXPECT_EQ(outcome.NewVersion, "");
    }
    EXPECT_EQ(sent.size(), 5);
}

TEST_F(UpdateCheckTest, ShowUpdateZeroOrNoHostMakesNoRequestButCountsTheRun) {
    setValue("ShowUpdate", "0");
    CheckOutcome outcome = start();
    EXPECT_TRUE(outcome.finished);
    EXPECT_FALSE(outcome.requestMade);
    EXPECT_EQ(outcome.ShowUpdate, 0);

    setValue("ShowUpdate", "1");
    haveWebHost = false;
    outcome = start();
    EXPECT_TRUE(outcome.finished);
    EXPECT_FALSE(outcome.requestMade);
    EXPECT_EQ(outcome.ShowUpdate, 1);

    EXPECT_TRUE(sent.isEmpty());
    const CheckerStore store = reopened();
    EXPECT_EQ(store.readNumber("HowMany", 0), 2);
    EXPECT_EQ(store.readString("LastUpdateCheck"), ""); // no request, no day's count
}

TEST_F(UpdateCheckTest, ShowUpdateTwoAsksButNeverShowsThePopup) {
    setValue("ShowUpdate", "2");
    const CheckOutcome outcome = start();
    EXPECT_TRUE(outcome.requestMade);
    EXPECT_EQ(outcome.ShowUpdate, 2);
    EXPECT_EQ(outcome.NewVersion, "2.1");
    EXPECT_FALSE(outcome.UpdatePopupWanted);
}

TEST_F(UpdateCheckTest, AnEarlierFailureIsClearedOnlyByAnHttpReply) {
    guidFailed = true;
    answer.usedHttp = false; // https answered: the reply is not used
    EXPECT_FALSE(start().UpdatePopupWanted);
    EXPECT_EQ(start().NewVersion, "");
    answer.usedHttp = true; // https failed, http answered: the reply is used
    EXPECT_TRUE(start().UpdatePopupWanted);
}

TEST_F(UpdateCheckTest, AStoreThatRefusesTheRunCounterLeavesTheCheckUnfinished) {
    dir.remove(); // a folder that cannot be made: a plain file stands in its place
    QFile blocker(dir.path());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const CheckOutcome outcome = start();
    EXPECT_FALSE(outcome.finished);
    EXPECT_TRUE(sent.isEmpty());
    QFile::remove(dir.path());
}

TEST(UpdatePopupWanted, OnlyForADifferentNumericVersion) {
    struct Case {
        QString version;
        int showUpdate;
        QString lastDate;
        int count;
        bool wanted;
    };
    const Case cases[] = {
        {"2.1", 1, "02/28/25", 1, true},  {"1.9", 1, "02/28/25", 1, true}, // lower counts too
        {"2.0", 1, "02/28/25", 1, false}, {"2.1 beta", 1, "02/28/25", 1, false},
        {"", 1, "02/28/25", 1, false},    {"2.1.4.7", 1, "02/28/25", 1, true},
        {"99999999999", 1, "", 1, false}, // beyond 32 bits
        {"2.1", 0, "02/28/25", 1, false}, {"2.1", 2, "02/28/25", 1, false},
        {"2.1", 1, "03/01/25", 3, true},  {"2.1", 1, "03/01/25", 4, false},
        {"2.1", 1, "02/28/25", 4, true}, // another day's count does not hold it back
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.version + " " + c.lastDate).toStdString());
        EXPECT_EQ(
            updatePopupWanted(c.version, "2.0", c.showUpdate, c.lastDate, "03/01/25", c.count),
            c.wanted);
    }
}

TEST(UpdateReply, TaggedLinesAndInvalidReplies) {
    struct Case {
        QString text;
        bool valid;
        QString version, url;
    };
    const Case cases[] = {
        {"<version>2.1</version>\r\n<url>http://127.0.0.1:9/d</url>\r\n\r\n<result>0</result>", true, "2.1",
         "http://127.0.0.1:9/d"},
        {"<version>2.1</version>\n<url></url>\n<x>\n<result>1</result>\n<more/>\n", true, "2.1",
         ""},
        {"<version>2.1</version>\r<url>u</url>\r\r<result>1</result>", true, "2.1", "u"},
        {" <version>2.1</version>\n<url>u</url >\n\n<result>1</result>", true, "", ""},
        {"<Version>2.1</Version>\n<url>u\n\n<result>1</result>", true, "", ""},
        {"<version>2.1</version>\n<url>u</url>\n<result>1</result>", false, "", ""}, // 3 lines
        {"<version>2.1</version>\n<url>u</url>\n\n<result>2</result>", false, "", ""},
        {"<version>2.1</version>\n<url>u</url>\n\n<result>1</result> ", false, "", ""},
        {"ERROR\n<url>u</url>\n\n<result>1</result>", false, "", ""},
        {"ERRORS are fine?\n\n\n<result>1</result>", false, "", ""},
        {"", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const UpdateReply reply = parseUpdateReply(c.text);
        EXPECT_EQ(reply.valid, c.valid);
        EXPECT_EQ(reply.version, c.version);
        EXPECT_EQ(reply.url, c.url);
    }
    EXPECT_EQ(elementValue("<version></version>", "version"), "");
    EXPECT_EQ(elementValue("<version>", "version"), "");
}

} // namespace
