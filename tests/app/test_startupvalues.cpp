#include "app/startupvalues.h"

#include "support/qtprinters.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(SettingsFolder, WritableProgramFolderHoldsTheSettings) {
    QTemporaryDir tmp;
    const QString program = tmp.filePath("program");
    QDir().mkpath(program);
    EXPECT_TRUE(IsFolderWritable(program));
    EXPECT_TRUE(IsFolderWritable(program + "/"));
    EXPECT_FALSE(QFile::exists(program + "/chk.tmp")) << "the probe must not stay behind";
    EXPECT_EQ(chooseSettingsFolder(program, tmp.filePath("config"), "TARNICK", "Brevane"),
              program + "/");
    EXPECT_FALSE(QDir(tmp.filePath("config")).exists());
}

TEST(SettingsFolder, AnExistingProbeFileCountsAsNotWritable) {
    QTemporaryDir tmp;
    const QString program = tmp.filePath("program");
    QDir().mkpath(program);
    QFile probe(program + "/chk.tmp");
    ASSERT_TRUE(probe.open(QIODevice::WriteOnly));
    probe.close();
    EXPECT_FALSE(IsFolderWritable(program));
    EXPECT_TRUE(QFile::exists(program + "/chk.tmp")) << "someone else's file stays";
    const QString chosen =
        chooseSettingsFolder(program, tmp.filePath("config"), "TARNICK", "Brevane");
    EXPECT_EQ(chosen, tmp.filePath("config") + "/TARNICK/Brevane/");
    EXPECT_TRUE(QFileInfo(chosen).isDir()) << "created with its parents";
}

TEST(SettingsFolder, MissingOrReadOnlyProgramFolder) {
    QTemporaryDir tmp;
    EXPECT_FALSE(IsFolderWritable(tmp.filePath("does-not-exist")));
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    const QString program = tmp.filePath("readonly");
    QDir().mkpath(program);
    QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(IsFolderWritable(program));
    EXPECT_EQ(chooseSettingsFolder(program, tmp.filePath("config"), "TARNICK", "Brevane"),
              tmp.filePath("config") + "/TARNICK/Brevane/");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// An installed copy keeps its settings in the per-user folder even where it could write beside
// itself (root can write /usr/bin, and a file left there outlives the package).
TEST(SettingsFolder, AnInstalledCopyNeverKeepsSettingsBesideItself) {
    for (const char* system : {"/usr/bin", "/usr/local/bin", "/bin", "/usr/games/", "/sbin"})
        EXPECT_TRUE(isInstalledProgramFolder(system)) << system;

    QTemporaryDir tmp;
    const QString prefix = tmp.filePath("prefix");
    QDir().mkpath(prefix + "/bin");
    QDir().mkpath(prefix + "/share/brevane/Languages");
    const QString build = tmp.filePath("build");
    QDir().mkpath(build + "/Languages");
    const QString bare = tmp.filePath("bare");
    QDir().mkpath(bare);
    // A build folder holds Languages beside the program, even with a share/brevane above it.
    const QString buildInPrefix = prefix + "/build";
    QDir().mkpath(buildInPrefix + "/Languages");
    QDir().mkpath(prefix + "/share/brevane");

    struct Case {
        QString folder;
        bool installed;
    };
    const Case cases[] = {
        {prefix + "/bin", true}, {build, false}, {bare, false}, {buildInPrefix, false}};
    const QString xdg = tmp.filePath("config") + "/TARNICK/Brevane/";
    for (const Case& c : cases) {
        ASSERT_TRUE(IsFolderWritable(c.folder)) << c.folder.toStdString();
        EXPECT_EQ(isInstalledProgramFolder(c.folder), c.installed) << c.folder.toStdString();
        EXPECT_EQ(chooseSettingsFolder(c.folder, tmp.filePath("config"), "TARNICK", "Brevane"),
                  c.installed ? xdg : c.folder + "/")
            << c.folder.toStdString();
    }
    EXPECT_FALSE(QFile::exists(prefix + "/bin/chk.tmp"));
}

TEST(ListSeparator, FollowsTheDecimalSeparator) {
    EXPECT_EQ(listSeparatorFor(","), ";");
    EXPECT_EQ(listSeparatorFor("."), ",");
    EXPECT_EQ(listSeparatorFor(""), ",");
    EXPECT_EQ(currentListSeparator().size(), 1);
}

} // namespace
