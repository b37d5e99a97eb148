#include "about/taboutbox.h"
#include "i18n/ttranslateform.h"
#include "support/appformfixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

using AboutWindow = AppFormFixture;

TEST_F(AboutWindow, HelpAboutOpensAModalWindowBuiltAnewEachTime) {
    TAppForm& window = createForm();
    QList<const TAboutBox*> seen;
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen << box;
            EXPECT_EQ(box->windowTitle(), "About Brevane");
            EXPECT_EQ(box->Label2->text(), "Brevane 2.0");
            EXPECT_FALSE(box->PanelEgg->isVisible());
            box->Image1DblClick(); // changed in this opening only
            QTest::keyClick(box, Qt::Key_Escape);
        });
        window.About1->trigger();
    }
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Runs `drive` on the modal window of type W once `open` has brought it up, then closes it.
template <typename W> void inModal(QAction* open, const std::function<void(W&)>& drive) {
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        drive(*window);
        window->reject();
    });
    open->trigger();
}

// The pages the windows open go through the desktop's opener. Where nothing could open one
// (no browser installed), a click that does nothing looks broken: the address is shown instead,
// in the text and in the detail the user can copy from.
TEST_F(AboutWindow, APageNothingCouldOpenIsShownAsItsAddress) {
    struct Case {
        const char* host;
        const char* what;
        std::function<void(TAppForm&)> click;
        QString address; // empty: a file of the bundled help, shown as its path
    };
    const Case cases[] = {
        {"127.0.0.1:8080", "F1", [](TAppForm& f) { f.Help2->trigger(); },
         "http://127.0.0.1:8080/help/brevane/"},
        {"", "F1 without a host", [](TAppForm& f) { f.Help2->trigger(); }, ""},
        {"127.0.0.1:8080", "About's link",
         [](TAppForm& f) {
             inModal<TAboutBox>(f.About1, [](TAboutBox& box) { box.Label5Click(); });
         },
         "http://127.0.0.1:8080/"},
        {"127.0.0.1:8080", "the language window's link",
         [](TAppForm& f) {
             inModal<TTranslateForm>(f.Language1, [](TTranslateForm& w) { w.Label3Click(); });
         },
         "http://127.0.0.1:8080/translation/"},
    };
    for (const bool opens : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (opens ? ", opened" : ", not opened"));
            messages.shown.clear();
            QList<QUrl> tried;
            AppEnvironment env = environment();
            env.webHost = QString::fromLatin1(c.host);
            env.openUrl = [&](const QUrl& url) {
                tried << url;
                return opens;
            };
            form = std::make_unique<TAppForm>(env);
            form->FormCreate();
            c.click(*form);

            ASSERT_EQ(tried.size(), 1);
            if (opens) {
                EXPECT_TRUE(messages.shown.isEmpty());
                continue;
            }
            const QString address = c.address.isEmpty() ? tried[0].toLocalFile() : c.address;
            if (c.address.isEmpty()) {
                EXPECT_TRUE(address.endsWith("/help/index.html")) << address.toStdString();
            }
            ASSERT_EQ(messages.shown.size(), 1);
            const MessageRequest& shown = messages.shown[0];
            EXPECT_EQ(shown.icon, MessageIcon::Warning);
            EXPECT_EQ(shown.caption, "WARNING");
            EXPECT_EQ(shown.text, "No program could open this address:\n\n" + address);
            EXPECT_EQ(shown.detail, address);
        }
    }
}

} // namespace
