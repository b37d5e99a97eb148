#include "port/portsystempaths.h"
#include "support/appformfixture.h"
#include "support/files.h"
#include "support/pseudoterminal.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>

#include <unistd.h>

namespace {

// Lock files in a folder of the test's own instead of the machine's lock folders.
class PortLockWindow : public AppFormFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.isValid());
        ASSERT_TRUE(QDir(tmp.path()).mkpath(QStringLiteral("lock")));
        PortSystemPaths paths;
        paths.lockDirs = {tmp.filePath(QStringLiteral("lock"))};
        PortSystemPaths::setDefaults(paths);
    }
    void TearDown() override { PortSystemPaths::setDefaults(PortSystemPaths()); }

    PseudoTerminal pty;
};

TEST_F(PortLockWindow, PortWithAnotherProgramsLockFileIsNotConnected) {
    const QString number = pty.slavePath().section(QLatin1Char('/'), -1);
    const QString lockFile = tmp.filePath(QStringLiteral("lock/LCK..pts_") + number);
    writeBytes(lockFile, QByteArray::number(getpid()).rightJustified(10, ' ') + '\n');

    TAppForm& f = createForm();
    f.ComboBox1->setEditText(pty.slavePath());
    f.ButtonConnect->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].caption, "ERROR");
    EXPECT_EQ(messages.shown[0].text, "Unable to connect to " + pty.slavePath());
    EXPECT_TRUE(messages.shown[0].detail.contains(QStringLiteral("PID %1").arg(getpid())))
        << messages.shown[0].detail.toStdString();
    EXPECT_FALSE(f.PortConnected);

    // Its program ended and left the file behind: the port connects.
    QFile::remove(lockFile);
    writeBytes(lockFile, "garbage\n");
    messages.shown.clear();
    f.ButtonConnect->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(f.PortConnected);
}

} // namespace
