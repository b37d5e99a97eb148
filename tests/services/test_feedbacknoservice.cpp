// The feedback window of a copy with no web service to post to: it says so, and Send cannot
// start a post that could never arrive.
#include "i18n/translate.h"
#include "services/tfeedbackform.h"
#include "support/qtprinters.h"
#include "support/recordingmessageboxservice.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

class FeedbackWithoutService : public ::testing::Test {
protected:
    void TearDown() override {
        form.reset();
        setActiveLanguage({});
    }

    TFeedbackForm& open(bool canDeliver) {
        FeedbackFormContext context;
        context.productName = "Brevane";
        context.mainCaption = "TARNICK - Brevane";
        context.shortVersion = "2.0";
        context.messages = &messages;
        context.beep = [this] { ++beeps; };
        context.post = [posts = posts](const QStringList&, int) {
            ++*posts;
            return PostResult{};
        };
        context.canDeliver = canDeliver;
        form = std::make_unique<TFeedbackForm>(std::move(context));
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return *form;
    }

    RecordingMessageBoxService messages;
    int beeps = 0;
    std::shared_ptr<std::atomic<int>> posts = std::make_shared<std::atomic<int>>(0);
    std::unique_ptr<TFeedbackForm> form;
};

TEST_F(FeedbackWithoutService, SendIsDisabledAndTheWindowSaysWhyInItsLanguage) {
    struct Case {
        QStringList translation; // empty: English
        QString note;
    };
    const QString english =
        "Feedback cannot be sent: no web service is set up for this copy of the program.";
    const QString german = QStringLiteral("Feedback kann nicht gesendet werden: Für diese Kopie "
                                          "des Programms ist kein Webdienst eingerichtet.");
    const Case cases[] = {{{}, english}, {{"{" + english + "}" + german}, german}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note.toStdString());
        LanguageState language;
        if (!c.translation.isEmpty()) {
            language.ActiveLanguagePath = "German.lang.txt";
            language.ActiveLanguageLines = c.translation;
        }
        setActiveLanguage(language);
        TFeedbackForm& f = open(false);

        EXPECT_FALSE(f.BitBtn1->isEnabled());
        EXPECT_EQ(f.BitBtn1->toolTip(), c.note);
        ASSERT_TRUE(f.LabelNoService->isVisible());
        EXPECT_EQ(f.LabelNoService->text(), c.note);
        // The whole note is readable: inside the window and tall enough for its lines.
        const QLabel* note = f.LabelNoService;
        EXPECT_TRUE(f.rect().contains(QRect(note->mapTo(&f, QPoint(0, 0)), note->size())));
        EXPECT_GE(note->height(), note->heightForWidth(note->width()));

        // What is typed stays editable (to copy it elsewhere), but nothing is posted, however
        // Send is reached.
        f.Memo1->setPlainText("Great tool");
        f.Edit1->setText("me@example.com");
        QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
        f.BitBtn1Click();
        EXPECT_FALSE(f.isPosting());
        EXPECT_EQ(*posts, 0);
        EXPECT_TRUE(messages.shown.isEmpty());
        EXPECT_EQ(beeps, 0);
        EXPECT_TRUE(f.isVisible());
        form.reset();
    }
}

TEST_F(FeedbackWithoutService, WithAServiceTheNoteStaysHiddenAndSendPosts) {
    TFeedbackForm& f = open(true);
    EXPECT_FALSE(f.LabelNoService->isVisible());
    EXPECT_TRUE(f.BitBtn1->toolTip().isEmpty());
    ASSERT_TRUE(f.BitBtn1->isEnabled());
    f.Memo1->setPlainText("Great tool");
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.isPosting(); }, 20000));
    EXPECT_EQ(*posts, 1);
    // The failed post leaves Send ready for another try.
    EXPECT_TRUE(f.BitBtn1->isEnabled());
}

} // namespace
