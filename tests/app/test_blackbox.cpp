// The real executable, started in a folder of its own, as a user would start it.

#include "base/localeformats.h"
#include "port/linuxserialdevice.h"
#include "support/pseudoterminal.h"
#include "support/qtprinters.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class Executable : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        // Others must reach the folders when the program runs as an unprivileged user.
        QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::ExeOther);
        configHome = makeFolder("config", true);
        home = makeFolder("home", true);
    }

    QString makeFolder(const QString& name, bool everyoneWrites) {
        const QString path = tmp.filePath(name);
        QDir().mkpath(path);
        QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                               QFile::ReadOther | QFile::ExeOther;
        if (everyoneWrites)
            p |= QFile::WriteOther;
        QFile::setPermissions(path, p);
        return path;
    }

    // Copies the program into `folder`, which then is made read-only when asked.
    QString install(const QString& folder, bool readOnly) {
        const QString program = folder + "/brevane";
        EXPECT_TRUE(QFile::copy(QStringLiteral(BREVANE_EXECUTABLE), program));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                           QFile::ExeOther);
        if (readOnly)
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                              QFile::ExeOther);
        return program;
    }

    // Runs the program until `settingsFile` holds a LogDirectory line; returns its bytes.
    QByteArray runUntilSettingsWritten(const QString& program, const QString& settingsFile,
                                       const QStringList& prefix = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", configHome);
        env.insert("HOME", home);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (prefix.isEmpty())
            process.start(program, {});
        else
            process.start(prefix.first(), prefix.mid(1) + QStringList{program});
        EXPECT_TRUE(process.waitForStarted(10000));
        QByteArray bytes;
        const QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired() && process.state() == QProcess::Running) {
            QFile file(settingsFile);
            if (file.open(QIODevice::ReadOnly)) {
                bytes = file.readAll();
                if (bytes.contains("LogDirectory="))
                    break;
            }
            QThread::msleep(50);
        }
        EXPECT_EQ(process.state(), QProcess::Running) << "the program must keep running";
        process.kill();
        process.waitForFinished(10000);
        return bytes;
    }

    // Starts the program the way a user would, on the offscreen display.
    void start(QProcess& process, const QString& program) {
        QProcessEnvironment env = process.processEnvironment().isEmpty()
                                      ? QProcessEnvironment::systemEnvironment()
                                      : process.processEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", configHome);
        env.insert("HOME", home);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, {});
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    static QString writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // A program folder whose settings send the rows A, B and C to `port` at start and then
    // end the program.
    QString installAutoSender(const QString& port) {
        const QString folder = makeFolder("auto", false);
        const QString rows = writeFile(folder + "/rows.txt", "A\r\nB\r\nC\r\n");
        writeFile(folder + "/settings.ini",
                  "\xEF\xBB\xBF[Settings]\r\nPort=" + port.toUtf8() +
                      "\r\nFilePath=" + rows.toUtf8() +
                      "\r\nFileAutoStart=ON\r\nFileAutoClose=ON\r\nSendPeriod=200\r\n");
        return install(folder, false);
    }

    // A program folder whose settings connect to `port` at start (Auto Start of a file list of
    // one blank row, which sends nothing) and whose schedule holds `schedule`.
    QString installScheduled(const QString& port, const QByteArray& schedule) {
        const QString folder = makeFolder("scheduled", false);
        const QString rows = writeFile(folder + "/blank.txt", "\r\n");
        writeFile(folder + "/settings.ini", "[Settings]\r\nPort=" + port.toUtf8() +
                                                "\r\nFilePath=" + rows.toUtf8() +
                                                "\r\nFileAutoStart=ON\r\n");
        writeFile(folder + "/sendlater.csv", schedule);
        return install(folder, false);
    }

    static void expectFirstStartFile(const QByteArray& bytes) {
        ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF[Settings]\r\n")) << bytes.toStdString();
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << "every line ends with CR LF";
        EXPECT_TRUE(bytes.contains("\r\nLogDirectory="));
    }

    QTemporaryDir tmp;
    QString configHome, home;
};

TEST_F(Executable, WritesItsSettingsBesideItselfInAWritableFolder) {
    const QString folder = makeFolder("writable", false);
    const QString program = install(folder, false);
    expectFirstStartFile(runUntilSettingsWritten(program, folder + "/settings.ini"));
    EXPECT_FALSE(QFile::exists(configHome + "/TARNICK"));
}

TEST_F(Executable, WritesItsSettingsToTheUserFolderFromAReadOnlyFolder) {
    QStringList asUser;
    if (geteuid() == 0) {
        // Root writes into read-only folders, so the program runs as an ordinary user.
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        if (setpriv.isEmpty())
            GTEST_SKIP() << "running as root without setpriv";
        asUser = {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    }
    const QString folder = makeFolder("readonly", false);
    const QString program = install(folder, true);
    const QString userFile = configHome + "/TARNICK/Brevane/settings.ini";
    expectFirstStartFile(runUntilSettingsWritten(program, userFile, asUser));
    EXPECT_FALSE(QFile::exists(folder + "/settings.ini"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(Executable, AutoStartSendsTheFileRowsAndAutoCloseEndsTheProgram) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    QProcess process;
    start(process, installAutoSender(pty.slavePath()));
    QByteArray got;
    QList<qint64> arrivals;
    QElapsedTimer clock;
    clock.start();
    while (got.size() < 3 && clock.elapsed() < 30000) {
        const QByteArray part = pty.read(1, 100);
        for (char c : part) {
            got.append(c);
            arrivals.append(clock.elapsed());
        }
    }
    EXPECT_EQ(got, "ABC");
    ASSERT_EQ(arrivals.size(), 3);
    EXPECT_GE(arrivals[1] - arrivals[0], 150) << "one row per period of 200 ms";
    EXPECT_GE(arrivals[2] - arrivals[1], 150);
    ASSERT_TRUE(process.waitForFinished(30000)) << "Auto Close ends the program";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST_F(Executable, SendsAScheduledCommandAtItsSecond) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    // A few seconds ahead, in the C locale the program is started in; several seconds in a
    // row, since a late one-second tick may step over one of them.
    const LocaleFormats c("C");
    const QDateTime due = QDateTime::currentDateTime().addSecs(4);
    QByteArray schedule = "\xEF\xBB\xBF";
    for (int s = 0; s < 6; ++s)
        schedule += "PING," + c.shortDate(due.addSecs(s).date()).toUtf8() + "," +
                    c.longTime(due.addSecs(s).time()).toUtf8() + "\r\n";
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    process.setProcessEnvironment(env);
    start(process, installScheduled(pty.slavePath(), schedule));
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (!got.contains("PING") && clock.elapsed() < 15000)
        got += pty.read(4, 200);
    EXPECT_TRUE(got.startsWith("PING")) << got.toStdString();
    EXPECT_GE(QDateTime::currentDateTime(), due.addMSecs(-1000)) << "not before its second";
    process.kill();
    process.waitForFinished(10000);
}

TEST_F(Executable, AutoStartOnAHeldPortSendsNothingAndStaysUp) {
    PseudoTerminal pty;
    LinuxSerialDevice holder(pty.slavePath());
    ASSERT_FALSE(holder.open());
    QProcess process;
    start(process, installAutoSender(pty.slavePath()));
    EXPECT_TRUE(pty.read(1, 3000).isEmpty());
    EXPECT_EQ(process.state(), QProcess::Running) << "it shows its connect error and waits";
    process.kill();
    process.waitForFinished(10000);
}

} // namespace
