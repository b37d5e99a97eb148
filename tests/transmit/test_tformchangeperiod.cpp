#include "transmit/tformchangeperiod.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(ChangePeriodWindow, EnterAcceptsWhatWasTypedAndEscapeDropsIt) {
    QWidget mainWindow;
    mainWindow.show();
    struct Case {
        Qt::Key key;
        std::optional<int> handed;
    };
    const Case cases[] = {
        {Qt::Key_Return, 250}, {Qt::Key_Enter, 250}, {Qt::Key_Escape, std::nullopt}};
    for (const Case& c : cases) {
        std::optional<int> handed;
        QPointer<TFormChangePeriod> window = new TFormChangePeriod(
            100, [&](int period) { handed = period; }, &mainWindow);
        window->show();
        QApplication::setActiveWindow(window);
        window->SpinEdit1->setFocus();
        window->SpinEdit1->lineEdit()->selectAll();
        QTest::keyClicks(window->SpinEdit1, "250");
        // Pressed in the field, which sees the key before the window does.
        QTest::keyClick(window->SpinEdit1, c.key);
        EXPECT_EQ(handed, c.handed) << c.key;
        EXPECT_FALSE(window->isVisible());
        delete window; // closed windows delete themselves later
    }
}

} // namespace
