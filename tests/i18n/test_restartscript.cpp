#include "i18n/restartscript.h"

#include "support/files.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

namespace {

TEST(RestartScript, Text) {
    EXPECT_EQ(restartScript("/opt/brevane/bin/brevane"),
              QByteArray("#!/bin/sh\n"
                         "echo 'This file was created automatically to restart the program.'\n"
                         "echo 'It is safe to delete this file.'\n"
                         "sleep 1\n"
                         "exec '/opt/brevane/bin/brevane'\n"));
    EXPECT_EQ(restartScript(QStringLiteral("/home/zoë/it's/brevane")).split('\n').value(4),
              QByteArray("exec '/home/zo\xc3\xab/it'\\''s/brevane'"));
}

TEST(RestartScript, WriteReplacesAnEarlierCopyAndReportsAFolderItCannotWriteTo) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString folder = tmp.path() + "/settings/";
    QDir().mkpath(folder);
    writeBytes(folder + "start.sh", "an older, longer script that must not survive\n");

    const RestartScriptWrite written = writeRestartScript(folder, "/usr/bin/brevane");
    EXPECT_TRUE(written.ok());
    EXPECT_EQ(written.path, folder + "start.sh");
    EXPECT_EQ(readBytes(written.path), restartScript("/usr/bin/brevane"));

    // A settings folder given without its trailing "/" still gets the script inside it.
    EXPECT_EQ(writeRestartScript(tmp.path() + "/settings", "/x").path, folder + "start.sh");

    // A "folder" below a regular file cannot be written, not even by root.
    writeBytes(tmp.path() + "/plain", "x");
    const RestartScriptWrite failed = writeRestartScript(tmp.path() + "/plain/sub/", "/x");
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.sysErrno, ENOTDIR);
    EXPECT_EQ(failed.path, tmp.path() + "/plain/sub/start.sh");
}

// Each program is a small script that records the path it was started from ($0), placed in a
// folder and under a name that a shell would otherwise split, expand or run.
TEST(RestartScript, RunsTheProgramFromExactlyItsPath) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString names[] = {
        "with space",
        "it's",
        "say \"hi\"",
        "$HOME and ${PATH}",
        "`touch pwned` $(touch pwned)",
        "line\nbreak",
        QStringLiteral("Türkçe çalışma ünite 日本"),
        "'; touch pwned; '",
        "back\\slash * ? [a]",
    };
    const QString work = tmp.path() + "/work";
    QDir().mkpath(work);

    struct Run {
        QString program, record;
        std::unique_ptr<QProcess> process;
    };
    std::vector<Run> runs;
    int n = 0;
    for (const QString& name : names) {
        const QString folder = QStringLiteral("%1/%2/%3").arg(tmp.path()).arg(n).arg(name);
        ASSERT_TRUE(QDir().mkpath(folder)) << name.toStdString();
        Run run;
        run.program = folder + "/" + name + " prog";
        run.record = QStringLiteral("%1/ran-%2").arg(tmp.path()).arg(n);
        writeBytes(run.program, "#!/bin/sh\nprintf '%s' \"$0\" > \"$BREVANE_RAN_FROM\"\n");
        QFile::setPermissions(run.program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const QString settings = QStringLiteral("%1/settings-%2/").arg(tmp.path()).arg(n);
        QDir().mkpath(settings);
        const RestartScriptWrite script = writeRestartScript(settings, run.program);
        ASSERT_TRUE(script.ok()) << name.toStdString();

        run.process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("BREVANE_RAN_FROM", run.record);
        run.process->setProcessEnvironment(env);
        run.process->setWorkingDirectory(work);
        run.process->start("/bin/sh", {script.path});
        runs.push_back(std::move(run));
        ++n;
    }
    // All at once: each waits its second in parallel.
    for (Run& run : runs) {
        ASSERT_TRUE(run.process->waitForFinished(20000)) << run.program.toStdString();
        EXPECT_EQ(run.process->exitCode(), 0) << run.program.toStdString();
        EXPECT_EQ(run.process->readAllStandardOutput(),
                  "This file was created automatically to restart the program.\n"
                  "It is safe to delete this file.\n");
        EXPECT_EQ(QString::fromUtf8(readBytes(run.record)), run.program);
    }
    EXPECT_EQ(QDir(work).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    EXPECT_FALSE(QFile::exists(tmp.path() + "/pwned"));
}

} // namespace
