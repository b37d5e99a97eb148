#include "port/linuxserialdevice.h"
#include "port/permissionadvice.h"

#include <QFile>
#include <QTemporaryDir>

#include "openasuser.h"
#include "support/files.h"
#include "support/pseudoterminal.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uint kCharDevice = S_IFCHR;

class PermissionAdvice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        groupFile = tmp.filePath(QStringLiteral("group"));
        writeBytes(groupFile, "root:x:0:\n"
                              "# not a group\n"
                              "tty:x:5:\n"
                              "broken line\n"
                              "dialout:x:20:alice,bob\n"
                              "plugdev:x:46:carol\n"
                              "+:::\n");
    }
    QTemporaryDir tmp;
    QString groupFile;
};

TEST_F(PermissionAdvice, NamesTheGroupAndWhatToDo) {
    const QString usermodCarol = QStringLiteral("`sudo usermod -aG dialout carol`");
    const struct {
        const char* name;
        uint gid;
        uint mode;
        const char* user;
        QList<uint> login;
        QStringList has;
        QStringList hasNot;
    } cases[] = {
        {"not in the group",
         20,
         kCharDevice | 0660,
         "carol",
         {1000, 46},
         {"/dev/ttyUSB0 (crw-rw----) belongs to the group dialout", "carol is not in it",
          usermodCarol, "log out and in again"},
         {}},
        {"a name that is only part of a member's",
         20,
         kCharDevice | 0660,
         "al",
         {1000},
         {"`sudo usermod -aG dialout al`"},
         {}},
        {"added, but not in this login",
         20,
         kCharDevice | 0660,
         "alice",
         {1000},
         {"group dialout", "log out and in again"},
         {"usermod"}},
        {"in the group now",
         20,
         kCharDevice | 0660,
         "alice",
         {1000, 20},
         {"group dialout", "alice is in it already"},
         {"usermod", "log out"}},
        {"in the group now, though not listed (another group source)",
         20,
         kCharDevice | 0660,
         "dave",
         {20},
         {"dave is in it already"},
         {"usermod"}},
        {"the group may not read and write",
         5,
         kCharDevice | 0620,
         "carol",
         {1000},
         {"(crw--w----) belongs to the group tty", "would not help"},
         {"usermod"}},
        {"root's group",
         0,
         kCharDevice | 0660,
         "carol",
         {1000},
         {"group root", "udev"},
         {"usermod"}},
        {"a group the table does not name",
         4242,
         kCharDevice | 0660,
         "carol",
         {1000},
         {"group 4242", "administrator"},
         {"usermod"}},
        {"no user name known",
         20,
         kCharDevice | 0660,
         "",
         {1000},
         {"`sudo usermod -aG dialout $USER`"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString advice = permissionAdvice(QStringLiteral("/dev/ttyUSB0"), c.gid, c.mode,
                                                QLatin1String(c.user), c.login, groupFile);
        for (const QString& part : c.has)
            EXPECT_TRUE(advice.contains(part))
                << part.toStdString() << " in " << advice.toStdString();
        for (const QString& part : c.hasNot)
            EXPECT_FALSE(advice.contains(part))
                << part.toStdString() << " in " << advice.toStdString();
    }
}

TEST_F(PermissionAdvice, UnreadableGroupTableNamesTheNumberOnly) {
    const QString advice =
        permissionAdvice(QStringLiteral("/dev/ttyS0"), 20, kCharDevice | 0660,
                         QStringLiteral("carol"), {1000}, tmp.filePath(QStringLiteral("none")));
    EXPECT_TRUE(advice.contains(QLatin1String("group 20"))) << advice.toStdString();
    EXPECT_FALSE(advice.contains(QLatin1String("usermod"))) << advice.toStdString();
}

// A refused open, for real: root opens anything, so a child process gives up root first.
TEST_F(PermissionAdvice, RefusedOpenCarriesTheAdvice) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    const QByteArray slave = QFile::encodeName(pty.slavePath());
    PortSystemPaths paths;
    paths.lockDirs = {tmp.path()};
    paths.groupFile = groupFile;

    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to hand the line to a group; see the pseudo-terminal tests";
    const passwd* nobody = getpwnam("nobody");
    if (!nobody)
        GTEST_SKIP() << "no user to become";
    const QString name = QString::fromLocal8Bit(nobody->pw_name);
    // The child reads the fake group table as that user.
    ASSERT_EQ(0, chmod(QFile::encodeName(tmp.path()).constData(), 0755));
    ASSERT_EQ(0, chmod(QFile::encodeName(groupFile).constData(), 0644));
    // The line belongs to "dialout" of the fake group table (gid 20), which nobody is not in.
    ASSERT_EQ(0, chown(slave.constData(), 0, 20));
    ASSERT_EQ(0, chmod(slave.constData(), 0660));

    const OpenedAs opened = openAsUser(pty.slavePath(), paths, nobody);
    ASSERT_TRUE(opened.ran) << "could not give up root";
    EXPECT_EQ(DeviceError::NoPermission, opened.error.kind);
    const QString& detail = opened.error.detail;
    for (const QString& part :
         {QStringLiteral("Cannot open ") + pty.slavePath(), QStringLiteral("Permission denied"),
          QStringLiteral("belongs to the group dialout"),
          QStringLiteral("`sudo usermod -aG dialout ") + name + '`'})
        EXPECT_TRUE(detail.contains(part)) << part.toStdString() << " in " << detail.toStdString();
}

} // namespace
