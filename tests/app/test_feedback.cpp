#include "receive/readpane.h"
#include "services/feedbackrequest.h"
#include "services/testservers.h"
#include "services/tfeedbackform.h"
#include "support/appformfixture.h"
#include "support/pseudoterminal.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

class FeedbackWindow : public AppFormFixture {
protected:
    static void SetUpTestSuite() {
        qputenv("no_proxy", "127.0.0.1");
        qputenv("NO_PROXY", "127.0.0.1");
    }
    void TearDown() override { QThreadPool::globalInstance()->waitForDone(); }

    // The main window, posting to `server` with the real https-then-http post.
    TAppForm& createPostingTo(const FormServer& server) {
        AppEnvironment env = environment();
        env.postToWebHost = [host = server.host()](const QString& path, const QStringList& fields,
                                                   int timeoutMs) {
            const PostResult result = postWithRetry(host, path, fields, timeoutMs);
            return result.ok ? result.reply : QString();
        };
        form = std::make_unique<TAppForm>(env);
        form->FormCreate();
        return *form;
    }

    // Runs `inWindow` once the feedback window is open and modal, then opens it from the menu;
    // returns when the window has closed.
    void withFeedbackWindow(const std::function<void(TFeedbackForm&)>& inWindow) {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<TFeedbackForm*>(QApplication::activeModalWidget());
            ASSERT_NE(window, nullptr);
            opened = true;
            // A failed send leaves the window open; close it so the test ends either way.
            QObject::connect(window, &TFeedbackForm::postFinished, window, &QDialog::reject,
                             Qt::QueuedConnection);
            inWindow(*window);
        });
        form->SendFeedback1->trigger();
        EXPECT_TRUE(opened);
    }
};

TEST_F(FeedbackWindow, MenuItemOpensTheWindowAndSendsTheProgramsValues) {
    FormServer server;
    ASSERT_TRUE(server.isRunning());
    server.answerWith({200, "OK\r\n"});
    createPostingTo(server);
    withFeedbackWindow([&](TFeedbackForm& window) {
        EXPECT_TRUE(window.isModal());
        EXPECT_EQ(window.windowTitle(), "Brevane feedback");
        EXPECT_FALSE(window.BitBtn1->icon().isNull());
        window.Memo1->setPlainText("Great tool");
        window.BitBtn1->click();
    });
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/php/feedback.php");
    EXPECT_TRUE(requests[0].body.startsWith(
        "cmd=feedback&appname=TARNICK+-+Brevane&version=2.0&feedback=Great+tool"));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].caption, "Success");
}

// A slow feedback post must not stop the port from being read: a serial line does not wait,
// so what arrives while the user waits for the reply has to be taken in as it comes.
TEST_F(FeedbackWindow, PortIsReadWhileTheFeedbackIsPosted) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    FormServer server;
    ASSERT_TRUE(server.isRunning());
    server.answerWith({200, "OK", "text/plain", 1500});
    TAppForm& f = createPostingTo(server);
    f.ComboBox1->setEditText(pty.slavePath());
    f.ButtonConnect->click();
    ASSERT_TRUE(f.PortConnected);

    QByteArray incoming;
    for (int i = 0; incoming.size() < 300 * 1024; ++i)
        incoming += QByteArray::number(i).rightJustified(7, '0') + "\r\n";

    // The writer pushes what the line takes until everything is sent or the post has ended:
    // a program that does not read leaves the pair's small queue full and the rest unsent.
    std::atomic<bool> postEnded = false;
    std::atomic<qsizetype> sent = 0;
    std::thread writer;
    withFeedbackWindow([&](TFeedbackForm& window) {
        QObject::connect(&window, &TFeedbackForm::postFinished, [&] { postEnded = true; });
        window.Memo1->setPlainText("Great tool");
        window.BitBtn1->click();
        ASSERT_TRUE(window.isPosting());
        writer = std::thread([&] {
            while (sent < incoming.size() && !postEnded) {
                const qsizetype n = pty.writeSome(QByteArrayView(incoming).sliced(sent));
                sent += n;
                if (n == 0)
                    QThread::msleep(1);
            }
        });
    });
    if (writer.joinable())
        writer.join();
    EXPECT_TRUE(postEnded);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].caption, "Success");
    EXPECT_EQ(sent, incoming.size()) << "the line backed up while the feedback was posted";

    const QDeadlineTimer deadline(10000);
    while (f.BytesReadCount < quint64(sent) && !deadline.hasExpired()) {
        f.TimerReadPortTimer();
        QThread::msleep(1);
    }
    f.TimerDisplayTimer();
    EXPECT_EQ(f.BytesReadCount, quint64(incoming.size()));
    EXPECT_EQ(f.Memo1->length(), incoming.size());
    EXPECT_TRUE(f.Memo1->toPlainText() == QString::fromLatin1(incoming));
}

// With no web host (the default build and the package) the menu's window cannot deliver
// anything, and says so instead of failing after each Send.
TEST_F(FeedbackWindow, WithoutAWebHostSendIsDisabledWithItsReason) {
    struct Case {
        QString host;
        bool canSend;
    };
    const Case cases[] = {{"", false}, {"127.0.0.1:9", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host.toStdString());
        AppEnvironment env = environment();
        env.webHost = c.host;
        form = std::make_unique<TAppForm>(env);
        form->FormCreate();
        withFeedbackWindow([&](TFeedbackForm& window) {
            EXPECT_EQ(window.BitBtn1->isEnabled(), c.canSend);
            EXPECT_EQ(window.LabelNoService->isVisible(), !c.canSend);
            window.reject();
        });
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

} // namespace
