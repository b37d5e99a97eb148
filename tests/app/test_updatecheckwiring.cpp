#include "../services/testservers.h"
#include "app/startupvalues.h"
#include "services/checkerstore.h"
#include "services/servicefields.h"
#include "services/servicepost.h"
#include "services/tnewver.h"
#include "support/appformfixture.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

class UpdateCheckWiringTest : public AppFormFixture {
protected:
    AppEnvironment environment() {
        AppEnvironment env = AppFormFixture::environment();
        env.webHost = host;
        env.openUrl = [this](const QUrl& url) {
            opened << url;
            return true;
        };
        return env;
    }
    TAppForm& create() {
        form = std::make_unique<TAppForm>(environment());
        form->FormCreate();
        return *form;
    }
    // Ticks the check's timer until it stops, as the running timer would, within a bound.
    bool tickUntilFinished(std::chrono::milliseconds limit = 15s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (form->TimerChecker->isActive()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(10ms);
            form->TimerCheckerTimer();
        }
        return true;
    }
    CheckerStore store() const {
        const StartupValues& values = startupValues();
        CheckerStore s(CheckerStore::folderFor(configHome, values.CompanyName, values.MainCaption));
        EXPECT_TRUE(s.open().ok);
        return s;
    }

    QString host;
    QList<QUrl> opened;
};

TEST_F(UpdateCheckWiringTest, ChecksOnceAfterTheFirstTickAndShowsThePopUp) {
    FormServer server;
    ASSERT_TRUE(server.isRunning());
    server.answerWith({200, "<version>9.9</version>\n<url>http://127.0.0.1/dl</url>\n\n"
                            "<result>1</result>\n"});
    host = server.host();
    TAppForm& window = create();
    EXPECT_TRUE(window.TimerChecker->isActive());
    EXPECT_EQ(window.TimerChecker->interval(), 1000);
    EXPECT_TRUE(window.UpdateNotifications1->isVisible());
    EXPECT_TRUE(window.UpdateNotificationsBar->isVisible());
    EXPECT_FALSE(window.UpdateNotifications1->isEnabled());

    window.TimerCheckerTimer(); // the first tick starts the check and returns
    EXPECT_TRUE(window.TimerChecker->isActive());
    ASSERT_TRUE(tickUntilFinished());
    window.TimerCheckerTimer(); // a late tick starts nothing more

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const StartupValues& values = startupValues();
    QStringList expected{"cmd=check"};
    expected += commonFields(currentServiceIdentity(values.MainCaption, values.ShortVersion));
    expected += "howmany=1";
    EXPECT_EQ(requests[0].body, encodeFormFields(expected));

    EXPECT_TRUE(window.UpdateNotifications1->isEnabled());
    EXPECT_TRUE(window.UpdateNotifications1->isChecked());
    ASSERT_NE(window.NewVer, nullptr);
    EXPECT_EQ(window.NewVer->Label2->text(), "Click to download " + values.ProductName + " 9.9");
    window.NewVer->Label2Click();
    EXPECT_EQ(opened, QList<QUrl>{QUrl("http://127.0.0.1/dl")});
}

TEST_F(UpdateCheckWiringTest, WithoutAHostNoRequestAndTheSwitchStillWorks) {
    host = "";
    TAppForm& window = create();
    window.TimerCheckerTimer();
    ASSERT_TRUE(tickUntilFinished(3s));
    EXPECT_EQ(window.NewVer, nullptr);
    EXPECT_EQ(store().readNumber("HowMany", 0), 1);

    ASSERT_TRUE(window.UpdateNotifications1->isEnabled());
    window.UpdateNotifications1->trigger();
    EXPECT_FALSE(window.UpdateNotifications1->isChecked());
    EXPECT_EQ(store().readString("ShowUpdate"), "0");
    window.UpdateNotifications1->trigger();
    EXPECT_TRUE(window.UpdateNotifications1->isChecked());
    EXPECT_EQ(store().readString("ShowUpdate"), "1");
}

TEST_F(UpdateCheckWiringTest, StoredSwitchOffMakesNoRequestAndUnticksTheItem) {
    FormServer server;
    ASSERT_TRUE(server.isRunning());
    host = server.host();
    TAppForm& window = create(); // the store's place follows from the start-up values
    ASSERT_TRUE(store().writeString("ShowUpdate", "0").ok);
    window.TimerCheckerTimer();
    ASSERT_TRUE(tickUntilFinished());
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(window.UpdateNotifications1->isEnabled());
    EXPECT_FALSE(window.UpdateNotifications1->isChecked());
}

TEST_F(UpdateCheckWiringTest, ClosingWhileTheRequestHangsDoesNotWait) {
    SilentListener silent;
    host = QString("127.0.0.1:%1").arg(silent.port());
    TAppForm& window = create();
    window.TimerCheckerTimer();
    std::this_thread::sleep_for(200ms); // the check now waits on the listener
    window.TimerCheckerTimer();
    EXPECT_TRUE(window.TimerChecker->isActive());
    const auto before = std::chrono::steady_clock::now();
    form.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
}

TEST_F(UpdateCheckWiringTest, OnlineHelpOpensTheHostsPageOrTheBundledOne) {
    host = "127.0.0.1:8080";
    create().Help2Click();
    const QString page = startupValues().ProductName.toLower().replace(' ', '-');
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl("http://127.0.0.1:8080/help/" + page + "/"));

    opened.clear();
    host = "";
    create().Help2->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_TRUE(opened[0].path().endsWith("/help/index.html"))
        << opened[0].toString().toStdString();
}

} // namespace
