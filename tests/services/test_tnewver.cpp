#include "i18n/translate.h"
#include "services/tnewver.h"
#include "support/qtprinters.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TNewVerTest : public ::testing::Test {
protected:
    void TearDown() override { setActiveLanguage({}); }

    std::unique_ptr<TNewVer> create(const QString& downloadUrl = "https://127.0.0.1:9/dl") {
        NewVerContent content;
        content.productName = "Brevane";
        content.newVersion = "2.1";
        content.downloadUrl = downloadUrl;
        content.homePage = QUrl("https://127.0.0.1:9/");
        content.openUrl = [this](const QUrl& url) { opened << url; };
        auto popup = std::make_unique<TNewVer>(std::move(content), &owner);
        popup->TimerStart->stop();
        popup->TimerStartTimer(); // shown now, not after the first event loop pass
        return popup;
    }
    static void press(QWidget* on, QEvent::Type type, const QPoint& global) {
        QMouseEvent event(type, on->mapFromGlobal(global), global, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(on, &event);
    }

    QWidget owner;
    QList<QUrl> opened;
};

TEST_F(TNewVerTest, OpensInTheTopRightCornerFivePixelsIn) {
    auto popup = create();
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(popup->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_GE(popup->width(), 320);
    EXPECT_GE(popup->height(), 68);
    const QRect screen = popup->screen()->availableGeometry();
    EXPECT_EQ(popup->frameGeometry().right(), screen.right() - 5);
    EXPECT_EQ(popup->frameGeometry().top(), screen.top() + 5);
}

TEST_F(TNewVerTest, ClosesItselfOnTheEleventhTick) {
    auto popup = create();
    for (int tick = 1; tick <= 10; ++tick)
        popup->TimerCloseTimer();
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->TimerClose->isActive());
    popup->TimerCloseTimer();
    EXPECT_FALSE(popup->TimerClose->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !popup->isVisible(); }, 2000));
}

TEST_F(TNewVerTest, LinkOpensTheDownloadPageOrTheHomePageAndCloses) {
    struct Case {
        QString downloadUrl;
        QUrl expected;
    };
    // Only a web page named by the reply is opened; anything else gives the home page.
    const Case cases[] = {{"https://127.0.0.1:9/dl", QUrl("https://127.0.0.1:9/dl")},
                          {"HTTP://127.0.0.1:9/dl?v=2.1", QUrl("http://127.0.0.1:9/dl?v=2.1")},
                          {"", QUrl("https://127.0.0.1:9/")},
                          {"file:///etc/passwd", QUrl("https://127.0.0.1:9/")},
                          {"x-scheme-handler:run", QUrl("https://127.0.0.1:9/")},
                          {"javascript:alert(1)", QUrl("https://127.0.0.1:9/")},
                          {"/download/", QUrl("https://127.0.0.1:9/")},
                          {"https://", QUrl("https://127.0.0.1:9/")}};
    for (const Case& c : cases) {
        opened.clear();
        auto popup = create(c.downloadUrl);
        QTest::mouseClick(popup->Label2, Qt::LeftButton);
        ASSERT_EQ(opened.size(), 1) << c.downloadUrl.toStdString();
        EXPECT_EQ(opened[0], c.expected);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !popup->isVisible(); }, 2000));
    }
}

TEST_F(TNewVerTest, CloseButtonClosesWithoutOpeningAnything) {
    auto popup = create();
    QTest::mouseClick(popup->Button1, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !popup->isVisible(); }, 2000));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(TNewVerTest, CaptionsAreTranslated) {
    {
        auto popup = create();
        EXPECT_EQ(popup->Label1->text(), "UPDATE AVAILABLE");
        EXPECT_EQ(popup->Label2->text(), "Click to download Brevane 2.1");
        EXPECT_TRUE(popup->Label1->font().bold());
        EXPECT_TRUE(popup->Label2->font().underline());
        EXPECT_EQ(popup->Label2->cursor().shape(), Qt::PointingHandCursor);
    }
    setActiveLanguage({"/l/Deutsch.lang.txt",
                       {"{UPDATE AVAILABLE}AKTUALISIERUNG VERFÜGBAR",
                        "{Click to download}Zum Herunterladen klicken"}});
    auto popup = create();
    EXPECT_EQ(popup->Label1->text(), "AKTUALISIERUNG VERFÜGBAR");
    EXPECT_EQ(popup->Label2->text(), "Zum Herunterladen klicken Brevane 2.1");
}

// The body drags the window; the link does not.
TEST_F(TNewVerTest, DraggingTheBodyMovesTheWindowButTheLinkDoesNot) {
    auto popup = create();
    const QPoint start = popup->pos();
    const QPoint from = popup->Label1->mapToGlobal(QPoint(5, 5));
    press(popup->Label1, QEvent::MouseButtonPress, from);
    press(popup->Label1, QEvent::MouseMove, from + QPoint(-40, 30));
    press(popup->Label1, QEvent::MouseMove, from + QPoint(-60, 50));
    press(popup->Label1, QEvent::MouseButtonRelease, from + QPoint(-60, 50));
    EXPECT_EQ(popup->pos(), start + QPoint(-60, 50));

    const QPoint onLink = popup->Label2->mapToGlobal(QPoint(5, 5));
    press(popup->Label2, QEvent::MouseButtonPress, onLink);
    press(popup->Label2, QEvent::MouseMove, onLink + QPoint(30, 30));
    EXPECT_EQ(popup->pos(), start + QPoint(-60, 50));
}

// Nothing is clipped: each label gets at least the room its text needs.
TEST_F(TNewVerTest, LabelsHoldTheirText) {
    setActiveLanguage({"/l/Deutsch.lang.txt",
                       {"{Click to download}Klicken Sie hier, um die neue Version "
                        "herunterzuladen"}});
    auto popup = create();
    for (QLabel* label : {popup->Label1, popup->Label2}) {
        EXPECT_GE(label->height(), label->heightForWidth(label->width()) > 0
                                       ? label->heightForWidth(label->width())
                                       : label->sizeHint().height())
            << label->objectName().toStdString();
        EXPECT_TRUE(popup->rect().contains(
            label->geometry().translated(label->parentWidget()->mapTo(popup.get(), QPoint()))));
    }
}

} // namespace
