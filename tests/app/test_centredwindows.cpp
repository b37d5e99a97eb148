#include "support/appformfixture.h"
#include "transmit/tformchangeperiod.h"
#include "transmit/tformsendlater.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdlib>

namespace {

using CentredWindows = AppFormFixture;

// Placed before the frame is known, a window's client area sits off the centre by at most
// the frame's thickness.
void expectCentredOnScreenOf(const QWidget& window, const QWidget& mainWindow) {
    const QRect screen = mainWindow.screen()->availableGeometry();
    const QSize frame = window.frameGeometry().size() - window.size();
    const QPoint off = window.geometry().center() - screen.center();
    EXPECT_LE(std::abs(off.x()), frame.width() / 2 + 1) << window.objectName().toStdString();
    EXPECT_LE(std::abs(off.y()), frame.height() + 1) << window.objectName().toStdString();
}

TEST_F(CentredWindows, EveryWindowNamedCentredOpensOnTheMainWindowsScreenCentre) {
    TAppForm& main = createForm();
    main.createSendLaterWindow();
    main.move(0, 0); // away from the centre, so a window centred over it would show
    main.show();

    // The modal ones, each checked while it is open and closed with Escape.
    for (QAction* opener : {main.About1, main.SendFeedback1, main.Language1}) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QWidget* window = QApplication::activeModalWidget();
            ASSERT_NE(window, nullptr) << opener->text().toStdString();
            seen = true;
            expectCentredOnScreenOf(*window, main);
            QTest::keyClick(window, Qt::Key_Escape);
        });
        opener->trigger();
        EXPECT_TRUE(seen) << opener->text().toStdString();
    }

    main.SendLater2Click();
    expectCentredOnScreenOf(*main.FormSendLater, main);

    main.ChangeSendPeriod1->trigger();
    auto* period = main.findChild<TFormChangePeriod*>();
    ASSERT_NE(period, nullptr);
    expectCentredOnScreenOf(*period, main);
    delete period;
}

} // namespace
