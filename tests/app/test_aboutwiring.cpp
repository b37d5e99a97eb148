#include "about/taboutbox.h"
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

} // namespace
