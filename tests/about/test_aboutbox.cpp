#include "about/taboutbox.h"
#include "i18n/translate.h"
#include "support/files.h"
#include "support/qtprinters.h"
#include "support/recordingmessageboxservice.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        programFile = folder.filePath("bin/brevane");
        QDir().mkpath(folder.filePath("bin"));
    }
    void TearDown() override { setActiveLanguage({}); }

    std::unique_ptr<TAboutBox> create(const QString& host = QString()) {
        AboutBoxContext context;
        context.productName = "Brevane";
        context.shortVersion = "2.0";
        context.programFile = programFile;
        context.webHost = host;
        QPixmap icon(32, 32);
        icon.fill(Qt::blue);
        context.programIcon = QIcon(icon);
        context.messages = &messages;
        context.openUrl = [this](const QUrl& url) { opened << url; };
        context.tickCount = [this] { return now; };
        context.popupMenu = [this](QMenu* menu, const QPoint&) {
            ++popups;
            lastMenu = menu;
        };
        return std::make_unique<TAboutBox>(std::move(context));
    }
    static void mouse(QWidget* on, QEvent::Type type, const QPoint& global,
                      Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent event(type, on->mapFromGlobal(global), global, button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
        QApplication::sendEvent(on, &event);
    }
    static void doubleClick(QWidget* on) {
        const QPoint global = on->mapToGlobal(on->rect().center());
        mouse(on, QEvent::MouseButtonDblClick, global);
        mouse(on, QEvent::MouseButtonRelease, global);
    }

    QTemporaryDir folder;
    QString programFile;
    RecordingMessageBoxService messages;
    QList<QUrl> opened;
    qint64 now = 1000;
    int popups = 0;
    QMenu* lastMenu = nullptr;
};

TEST_F(AboutBoxTest, ShowsTheProductAndTranslatedCaptions) {
    LanguageState german;
    german.ActiveLanguagePath = "German.lang.txt";
    german.ActiveLanguageLines = {"{About %s}Über %s", "{Info}Infos", "{License...}Lizenz...",
                                  "{OK}Gut", "{Online Help}Online-Hilfe"};
    setActiveLanguage(german);
    auto box = create();
    EXPECT_EQ(box->windowTitle(), "Über Brevane");
    EXPECT_EQ(box->Label2->text(), "Brevane 2.0");
    EXPECT_EQ(box->BitBtn1->text(), "Gut");
    EXPECT_EQ(box->BitBtn2->text(), "Infos");
    QStringList items;
    for (QAction* action : box->PopupMenu1->actions())
        items << action->text();
    EXPECT_EQ(items, QStringList({"Acknowledgements...", "How to uninstall...", "Lizenz..."}));
    // With no web host to name, the link names the help it opens, in the window's language.
    EXPECT_EQ(box->Label5->text(), "Online-Hilfe");
    EXPECT_EQ(box->size(), TAboutBox::kClientSize);
    EXPECT_EQ(box->Panel1->geometry(), QRect(48, 42, 350, 291));
    EXPECT_FALSE(box->PanelEgg->isVisible());
    EXPECT_EQ(box->PanelEgg->geometry(), QRect(61, 77, 324, 220));
    EXPECT_FALSE(box->VirtualImage1->pixmap().isNull());
    EXPECT_FALSE(box->Image2->pixmap().isNull());
}

TEST_F(AboutBoxTest, LinksOpenTheHostsPagesOrTheBundledHelp) {
    QDir().mkpath(folder.filePath("share/brevane/help"));
    {
        auto box = create("127.0.0.1:8080");
        EXPECT_EQ(box->Label5->text(), "127.0.0.1:8080");
        EXPECT_EQ(box->Label5->toolTip(), "http://127.0.0.1:8080/");
        box->Label5Click();
        box->Credits1->trigger();
        box->Howtouninstall1->trigger();
    }
    {
        auto box = create();
        box->Label5Click();
        box->Credits1->trigger();
        box->Howtouninstall1->trigger();
    }
    const QString help = QDir::cleanPath(folder.filePath("share/brevane/help")) + '/';
    EXPECT_EQ(opened,
              QList<QUrl>({QUrl("http://127.0.0.1:8080/"),
                           QUrl("http://127.0.0.1:8080/blog/credits-and-acknowledgements/"),
                           QUrl("http://127.0.0.1:8080/blog/how-to-uninstall-tarnick-software/"),
                           QUrl::fromLocalFile(help + "index.html"),
                           QUrl::fromLocalFile(help + "acknowledgements.html"),
                           QUrl::fromLocalFile(help + "uninstall.html")}));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(AboutBoxTest, LinkLabelOpensOnClickWithoutStartingADrag) {
    auto box = create("127.0.0.1:8080");
    box->show();
    const QPoint at = box->Label5->mapToGlobal(box->Label5->rect().center());
    const QPoint before = box->pos();
    mouse(box->Label5, QEvent::MouseButtonPress, at);
    mouse(box->Label5, QEvent::MouseMove, at + QPoint(30, 30));
    mouse(box->Label5, QEvent::MouseButtonRelease, at);
    EXPECT_EQ(opened, QList<QUrl>{QUrl("http://127.0.0.1:8080/")});
    EXPECT_EQ(box->pos(), before);
}

TEST_F(AboutBoxTest, LicenseOpensBesideTheProgramThenTheInstalledCopyElseSaysNotFound) {
    auto box = create();
    box->LicensePrivacyPolicy1->trigger();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages.shown[0].caption, "License");
    EXPECT_EQ(messages.shown[0].text, "File not found!");
    EXPECT_TRUE(opened.isEmpty());

    // A folder of that name is no licence either.
    QDir().mkpath(folder.filePath("share/brevane/license.txt"));
    box->LicensePrivacyPolicy1->trigger();
    EXPECT_EQ(messages.shown.size(), 2);
    QDir(folder.filePath("share/brevane/license.txt")).removeRecursively();

    writeBytes(folder.filePath("share/brevane/license.txt"), "MIT");
    box->LicensePrivacyPolicy1->trigger();
    writeBytes(folder.filePath("bin/license.txt"), "MIT");
    box->LicensePrivacyPolicy1->trigger();
    EXPECT_EQ(opened, QList<QUrl>({QUrl::fromLocalFile(QDir::cleanPath(
                                       folder.filePath("share/brevane/license.txt"))),
                                   QUrl::fromLocalFile(folder.filePath("bin/license.txt"))}));
    EXPECT_EQ(messages.shown.size(), 2);
}

TEST_F(AboutBoxTest, InfoButtonDropsTheMenuButAClickThatClosedItOpensNothing) {
    auto box = create();
    box->BitBtn2Click();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(lastMenu, box->PopupMenu1);
    now += 50; // the click that closed the menu arrives at once
    box->BitBtn2Click();
    EXPECT_EQ(popups, 1);
    now += 10; // the next click opens it again
    box->BitBtn2Click();
    EXPECT_EQ(popups, 2);
    now += 100; // not within 100 ms of the menu closing: it opens
    box->BitBtn2Click();
    EXPECT_EQ(popups, 3);
}

TEST_F(AboutBoxTest, HiddenPictureSlidesInAndTheCardComesBackCentred) {
    auto box = create();
    box->show();
    doubleClick(box->VirtualImage1);
    EXPECT_TRUE(box->PanelEgg->isVisible());
    ASSERT_TRUE(box->TimerEgg->isActive());
    EXPECT_GE(box->TimerEgg->interval(), 1);
    box->TimerEgg->stop(); // the test drives the slide itself
    box->TimerEggTimer();
    EXPECT_EQ(box->Panel1->x(), 53);
    box->TimerEgg->start();

    // During the slide neither picture reacts.
    doubleClick(box->VirtualImage1);
    doubleClick(box->ImageEgg);
    EXPECT_TRUE(box->PanelEgg->isVisible());
    box->TimerEgg->stop();
    EXPECT_EQ(box->Panel1->x(), 53);
    box->TimerEgg->start();

    int steps = 0;
    while (box->TimerEgg->isActive() && steps < 1000) {
        box->TimerEggTimer();
        ++steps;
    }
    EXPECT_FALSE(box->TimerEgg->isActive());
    EXPECT_GT(box->Panel1->x(), box->width());

    doubleClick(box->ImageEgg);
    EXPECT_FALSE(box->PanelEgg->isVisible());
    EXPECT_EQ(box->Panel1->pos(), QPoint(48, 42));
}

TEST_F(AboutBoxTest, DragsByItsBodyButNotByTheButtonsOrTheRightButton) {
    auto box = create();
    box->show();
    for (QWidget* body : {static_cast<QWidget*>(box->Label2), static_cast<QWidget*>(box->Panel1),
                          static_cast<QWidget*>(box.get())}) {
        const QPoint start = box->pos();
        const QPoint at = body->mapToGlobal(QPoint(5, 5));
        mouse(body, QEvent::MouseButtonPress, at);
        EXPECT_TRUE(box->dragging());
        mouse(body, QEvent::MouseMove, at + QPoint(10, 7));
        mouse(body, QEvent::MouseMove, at + QPoint(25, 3));
        mouse(body, QEvent::MouseButtonRelease, at + QPoint(25, 3));
        EXPECT_FALSE(box->dragging());
        EXPECT_EQ(box->pos(), start + QPoint(25, 3)) << body->objectName().toStdString();
    }
    const QPoint start = box->pos();
    const QPoint at = box->Label2->mapToGlobal(QPoint(5, 5));
    mouse(box->Label2, QEvent::MouseButtonPress, at, Qt::RightButton);
    EXPECT_FALSE(box->dragging());
    mouse(box->BitBtn1, QEvent::MouseButtonPress, box->BitBtn1->mapToGlobal(QPoint(5, 5)));
    EXPECT_FALSE(box->dragging());
    mouse(box->BitBtn1, QEvent::MouseMove, at + QPoint(40, 40));
    EXPECT_EQ(box->pos(), start);
}

TEST_F(AboutBoxTest, OkAndEscapeClose) {
    for (int key : {0, int(Qt::Key_Escape)}) {
        auto box = create();
        box->show();
        box->BitBtn2->setFocus();
        if (key == 0)
            box->BitBtn1->click();
        else
            QTest::keyClick(box->BitBtn2, Qt::Key(key));
        EXPECT_FALSE(box->isVisible()) << key;
    }
}

TEST_F(AboutBoxTest, AnimationDrawsOnItsImageAndFollowsTheOuterSizeAndScale) {
    auto box = create();
    box->show();
    const RainMatrix& rain = box->rain();
    const QSize outer = box->frameGeometry().size();
    EXPECT_EQ(rain.bitmapWidth(), outer.width());
    EXPECT_EQ(rain.matrixWidth(), outer.width() / 8);
    EXPECT_EQ(int(rain.drops().size()), 2 * rain.matrixWidth());
    EXPECT_TRUE(box->tmTimer->isActive());
    EXPECT_EQ(box->tmTimer->interval(), 50);

    const QImage& image = box->rainImage();
    EXPECT_EQ(image.size(),
              QSize(rain.matrixWidth() * 8, rain.matrixHeight() * 12) * box->devicePixelRatioF());
    for (int i = 0; i < 5; ++i)
        box->tmTimerTimer();
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            lit += image.pixel(x, y) != qRgb(0, 0, 0);
    EXPECT_GT(lit, 0);
    EXPECT_EQ(rain.tickCount(), 5);

    // A new outer size lays the grid out anew at the next tick.
    box->setFixedSize(800, 600);
    box->tmTimerTimer();
    EXPECT_EQ(rain.matrixWidth(), box->frameGeometry().width() / 8);
    EXPECT_EQ(rain.matrixHeight(), box->frameGeometry().height() / 12);
    EXPECT_EQ(rain.tickCount(), 1);
}

} // namespace
