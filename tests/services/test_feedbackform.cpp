#include "i18n/translate.h"
#include "services/testservers.h"
#include "services/tfeedbackform.h"
#include "support/qtprinters.h"
#include "support/recordingmessageboxservice.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>

namespace {

// Fields the window handed to its post, written on the worker thread.
struct PostLog {
    std::mutex mutex;
    std::vector<QStringList> posts;
    std::vector<int> timeouts;
};

class FeedbackForm : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("no_proxy", "127.0.0.1");
        qputenv("NO_PROXY", "127.0.0.1");
    }
    void TearDown() override {
        form.reset();
        setActiveLanguage({});
    }

    TFeedbackForm& open(FeedbackPost post) {
        FeedbackFormContext context;
        context.productName = "Brevane";
        context.mainCaption = "TARNICK - Brevane";
        context.shortVersion = "2.0";
        context.messages = &messages;
        context.beep = [this] { ++beeps; };
        context.sendIcon = QIcon(":/services/smile.svg");
        context.post = std::move(post);
        form = std::make_unique<TFeedbackForm>(std::move(context));
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return *form;
    }

    // A post that records what it was given and answers `reply`.
    FeedbackPost recording(QString reply, bool ok = true) {
        return [log = log, reply, ok](const QStringList& fields, int timeoutMs) {
            std::lock_guard lock(log->mutex);
            log->posts.push_back(fields);
            log->timeouts.push_back(timeoutMs);
            PostResult result;
            result.ok = ok;
            result.reply = reply;
            return result;
        };
    }

    // Clicks Send and, when a post starts, waits for its result to be shown.
    void send() {
        QSignalSpy finished(form.get(), &TFeedbackForm::postFinished);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        if (form->isPosting()) {
            ASSERT_TRUE(finished.wait(20000));
        }
    }

    RecordingMessageBoxService messages;
    int beeps = 0;
    std::shared_ptr<PostLog> log = std::make_shared<PostLog>();
    std::unique_ptr<TFeedbackForm> form;
};

TEST_F(FeedbackForm, ShowsItsControlsInEnglish) {
    TFeedbackForm& f = open(recording("OK"));
    EXPECT_EQ(f.windowTitle(), "Brevane feedback");
    EXPECT_EQ(f.Panel4Caption->text(), "I like it!");
    EXPECT_EQ(f.Panel5Caption->text(), "I dislike it!");
    EXPECT_EQ(f.Label1->text(), "We would really appreciate your feedback.");
    EXPECT_EQ(f.Label2->text(), "What did you like or dislike?");
    EXPECT_EQ(f.Label3->text(), "Include my e-mail:");
    EXPECT_EQ(f.BitBtn1->text(), "Send");
    EXPECT_FALSE(f.BitBtn1->icon().isNull());
    EXPECT_FALSE(f.Image1->pixmap().isNull());
    EXPECT_FALSE(f.Image2->pixmap().isNull());
    EXPECT_EQ(f.Edit1->maxLength(), 100);
    EXPECT_GE(f.width(), 525);
    EXPECT_GE(f.height(), 326);
    EXPECT_EQ(f.choice(), FeedbackChoice::None);

    // The memo keeps at most 10000 characters, however they arrive.
    f.Memo1->setPlainText(QString(9990, 'a'));
    f.Memo1->moveCursor(QTextCursor::End);
    f.Memo1->insertPlainText(QString(20, 'b'));
    EXPECT_EQ(f.Memo1->toPlainText(), QString(9990, 'a') + QString(10, 'b'));
    QTest::keyClicks(f.Memo1, "cc");
    EXPECT_EQ(f.Memo1->toPlainText().size(), 10000);

    // A line break is sent as CR LF, two of the 10000: a pasted text of many lines is cut so
    // that what is sent still fits.
    f.Memo1->setPlainText(QString(9990, 'a'));
    f.Memo1->moveCursor(QTextCursor::End);
    f.Memo1->insertPlainText("\nb\nc\nd\ne\n");
    EXPECT_EQ(f.Memo1->toPlainText(), QString(9990, 'a') + "\nb\nc\nd");
    QTest::keyClick(f.Memo1, Qt::Key_Return);
    EXPECT_EQ(f.Memo1->toPlainText(), QString(9990, 'a') + "\nb\nc\nd");
}

TEST_F(FeedbackForm, LikeAndDislikeToggleAndExcludeEachOther) {
    TFeedbackForm& f = open(recording("OK"));
    struct Step {
        const char* target; // Panel4 and Image1 are one target, as are Panel5 and Image2
        Qt::MouseButton button;
        FeedbackChoice after;
    };
    const Step steps[] = {
        {"Panel4", Qt::LeftButton, FeedbackChoice::Like},
        {"Image2", Qt::LeftButton, FeedbackChoice::Dislike},
        {"Panel5", Qt::LeftButton, FeedbackChoice::None},
        {"Image1", Qt::LeftButton, FeedbackChoice::Like},
        {"Panel5", Qt::RightButton, FeedbackChoice::Like},
        {"Image1", Qt::LeftButton, FeedbackChoice::None},
        {"Panel4", Qt::MiddleButton, FeedbackChoice::None},
    };
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(index++);
        QWidget* target = f.findChild<QWidget*>(step.target);
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, step.button);
        EXPECT_EQ(f.choice(), step.after);
        EXPECT_EQ(f.Panel4->frameShadow(),
                  step.after == FeedbackChoice::Like ? QFrame::Sunken : QFrame::Raised);
        EXPECT_EQ(f.Panel5->frameShadow(),
                  step.after == FeedbackChoice::Dislike ? QFrame::Sunken : QFrame::Raised);
        const QPalette desktop = QApplication::palette();
        EXPECT_EQ(f.Panel4->palette().color(QPalette::Window),
                  desktop.color(step.after == FeedbackChoice::Like ? QPalette::Highlight
                                                                   : QPalette::Button));
    }
}

TEST_F(FeedbackForm, EscapeClosesFromEveryControl) {
    for (const char* control : {"Memo1", "Edit1"}) {
        SCOPED_TRACE(control);
        TFeedbackForm& f = open(recording("OK"));
        QWidget* box = f.findChild<QWidget*>(control);
        QTest::keyClicks(box, "typed");
        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_FALSE(f.isVisible());
    }
    TFeedbackForm& f = open(recording("OK"));
    f.BitBtn1->setFocus();
    QTest::keyClick(f.BitBtn1, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(log->posts.empty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(FeedbackForm, EmptyTextBeepsAndGoesBackToTheMemo) {
    TFeedbackForm& f = open(recording("OK"));
    QTest::mouseClick(f.Panel4, Qt::LeftButton); // a choice alone is not sent
    f.Memo1->setPlainText(" \n\t\n");
    f.Edit1->setFocus();
    send();
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(f.Memo1->hasFocus());
    EXPECT_TRUE(log->posts.empty());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(f.isVisible());
}

TEST_F(FeedbackForm, BadAddressIsRefusedAndFocused) {
    TFeedbackForm& f = open(recording("OK"));
    f.Memo1->setPlainText("Great tool");
    f.Edit1->setText("name@host");
    f.Memo1->setFocus();
    send();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages.shown[0].caption, "Failure");
    EXPECT_EQ(messages.shown[0].text, "Invalid e-mail address!");
    EXPECT_TRUE(f.Edit1->hasFocus());
    EXPECT_TRUE(log->posts.empty());
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.Edit1->text(), "name@host");
}

TEST_F(FeedbackForm, SendsTheChoiceTextAndTrimmedAddress) {
    TFeedbackForm& f = open(recording("OK"));
    QTest::mouseClick(f.Panel4, Qt::LeftButton);
    f.Memo1->setPlainText("\n  Great tool\nreally  \n");
    f.Edit1->setText("  me+list@example.de ");
    send();
    ASSERT_EQ(log->posts.size(), 1u);
    EXPECT_EQ(
        log->posts[0],
        QStringList({"cmd=feedback", "appname=TARNICK - Brevane", "version=2.0",
                     "feedback=I like it!\rGreat tool\r\nreally", "email=me+list@example.de"}));
    EXPECT_EQ(log->timeouts[0], 3000);
}

TEST_F(FeedbackForm, TranslatedCaptionsAndTheirTextInTheFeedback) {
    LanguageState german;
    german.ActiveLanguagePath = "German.lang.txt";
    german.ActiveLanguageLines = {"{feedback}Rückmeldung",
                                  "{I like it!}Gefällt mir!",
                                  "{I dislike it!}Gefällt mir nicht!",
                                  "{Send}Senden",
                                  "{Your feedback is received.}Ihre Rückmeldung ist angekommen.",
                                  "{Thank you!}Danke!",
                                  "{Success}Erfolg"};
    setActiveLanguage(german);
    TFeedbackForm& f = open(recording("OK"));
    EXPECT_EQ(f.windowTitle(), "Brevane Rückmeldung");
    EXPECT_EQ(f.Panel5Caption->text(), "Gefällt mir nicht!");
    EXPECT_EQ(f.BitBtn1->text(), "Senden");
    QTest::mouseClick(f.Panel5, Qt::LeftButton);
    f.Memo1->setPlainText("Zu langsam");
    send();
    ASSERT_EQ(log->posts.size(), 1u);
    EXPECT_EQ(log->posts[0][3], "feedback=I dislike it! (Gefällt mir nicht!)\rZu langsam");
    EXPECT_EQ(log->posts[0].size(), 4);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].caption, "Erfolg");
    EXPECT_EQ(messages.shown[0].text, "Ihre Rückmeldung ist angekommen.\n\nDanke!");
}

// Against a server of its own on 127.0.0.1, plain http only: each post's https attempt fails
// and the http one is answered.
TEST_F(FeedbackForm, ServerRepliesDecideSuccessOrFailure) {
    struct Case {
        Answer answer;
        bool success;
    };
    const Case cases[] = {
        {{200, "OK\r\n"}, true},
        {{200, "OK"}, true},
        {{200, "OK\nmore"}, false},
        {{200, "ERROR"}, false},
        {{200, ""}, false},
        {{500, "OK"}, false}, // an error status on http is a failed post
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.body.toStdString() + " " + std::to_string(c.answer.status));
        messages.shown.clear();
        FormServer server;
        ASSERT_TRUE(server.isRunning());
        server.answerWith(c.answer);
        TFeedbackForm& f = open(feedbackPostTo(server.host()));
        f.Memo1->setPlainText("Great tool");
        f.Edit1->setText("me@example.com");
        send();
        ASSERT_FALSE(server.requests().empty());
        EXPECT_EQ(server.requests().back().body,
                  "cmd=feedback&appname=TARNICK+-+Brevane&version=2.0&feedback=Great+tool"
                  "&email=me%40example.com");
        ASSERT_EQ(messages.shown.size(), 1);
        const MessageRequest& shown = messages.shown[0];
        if (c.success) {
            EXPECT_EQ(shown.icon, MessageIcon::Information);
            EXPECT_EQ(shown.caption, "Success");
            EXPECT_EQ(shown.text, "Your feedback is received.\n\nThank you!");
            EXPECT_FALSE(f.isVisible());
            EXPECT_EQ(f.result(), QDialog::Accepted);
        } else {
            EXPECT_EQ(shown.icon, MessageIcon::Error);
            EXPECT_EQ(shown.caption, "Failure");
            EXPECT_EQ(shown.text, "Something went wrong. Your feedback could not be "
                                  "delivered.\n\nPlease try again later.");
            EXPECT_TRUE(f.isVisible());
            EXPECT_EQ(f.Memo1->toPlainText(), "Great tool");
            EXPECT_EQ(f.Edit1->text(), "me@example.com");
            EXPECT_TRUE(f.BitBtn1->isEnabled());
        }
        form.reset();
    }
}

TEST_F(FeedbackForm, HttpsAnsweredDirectlyWithoutHttpRetry) {
    static const TestCertificate certificate;
    ASSERT_TRUE(certificate.isValid());
    FormServer server(&certificate);
    ASSERT_TRUE(server.isRunning());
    server.answerWith({200, "OK\r\n"});
    TFeedbackForm& f = open(feedbackPostTo(server.host(), PostOptions{certificate.certFile()}));
    f.Memo1->setPlainText("over https");
    send();
    EXPECT_EQ(server.requests().size(), 1u);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].caption, "Success");
}

TEST_F(FeedbackForm, NoWebHostReportsThatNothingWasDelivered) {
    TFeedbackForm& f = open(feedbackPostTo(QString()));
    f.Memo1->setPlainText("Great tool");
    send();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].caption, "Failure");
    EXPECT_TRUE(messages.shown[0].text.startsWith("Something went wrong."));
    EXPECT_TRUE(f.isVisible());
}

TEST_F(FeedbackForm, BusyWhilePostingAndSendCannotPostTwice) {
    FormServer server;
    ASSERT_TRUE(server.isRunning());
    server.answerWith({200, "OK", "text/plain", 700});
    TFeedbackForm& f = open(feedbackPostTo(server.host()));
    f.Memo1->setPlainText("Great tool");
    QSignalSpy finished(&f, &TFeedbackForm::postFinished);
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    ASSERT_TRUE(f.isPosting());
    EXPECT_FALSE(f.BitBtn1->isEnabled());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    f.BitBtn1Click();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(messages.shown.size(), 1);
}

TEST_F(FeedbackForm, ClosingDuringAPostDropsItsResult) {
    // A post that answers "OK" only when the test lets it, as a slow network would.
    struct Network {
        std::promise<void> answer;
        std::shared_future<void> answered = answer.get_future().share();
        std::atomic<bool> replied = false;
    };
    auto network = std::make_shared<Network>();
    TFeedbackForm& f = open([network](const QStringList&, int) {
        network->answered.wait_for(std::chrono::seconds(30)); // bounded, should closing wait
        network->replied = true;
        PostResult result;
        result.ok = true;
        result.reply = "OK";
        return result;
    });
    f.Memo1->setPlainText("Great tool");
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    ASSERT_TRUE(f.isPosting());
    QTest::keyClick(f.Memo1, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
    form.reset();
    // Closing (and so quitting) did not wait for the network.
    EXPECT_FALSE(network->replied);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The answer comes later; the post's thread lets go of the network last, after handing its
    // result on. Whatever it handed on is delivered by the events that follow, and shows nothing.
    network->answer.set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return network.use_count() == 1; }, 30000));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(messages.shown.isEmpty());
}

} // namespace
