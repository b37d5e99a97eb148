#include "base/desktopfont.h"

#include <QFontDatabase>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Every window asks for Tahoma. Where it is missing (as on this machine, most likely) the
// windows must get a face that is installed, at the size asked for, never the bare name the
// font matcher answers with some substitute a font dialog cannot show.
TEST(DesktopFont, AMissingFaceGivesTheDesktopsInstalledFaceAtTheSameSize) {
    const QStringList installed = QFontDatabase::families();
    ASSERT_FALSE(installed.isEmpty());
    const QString desktop = familyInUse(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    EXPECT_TRUE(installed.contains(desktop, Qt::CaseInsensitive)) << desktop.toStdString();

    EXPECT_EQ(installedOrDesktopFamily("No Such Face Anywhere"), desktop);
    EXPECT_EQ(installedOrDesktopFamily(installed.last()), installed.last())
        << "an installed face is kept";

    const QFont font = desktopFont(12);
    EXPECT_EQ(font.pointSize(), 12);
    EXPECT_EQ(font.family(),
              installed.contains("Tahoma", Qt::CaseInsensitive) ? QString("Tahoma") : desktop);
    EXPECT_EQ(familyInUse(font), font.family()) << "the face named is the face drawn";
}

} // namespace
