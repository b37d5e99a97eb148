#include "app/startupvalues.h"
#include "base/localeformats.h"
#include "support/appformfixture.h"
#include "support/locales.h"
#include "support/pseudoterminal.h"
#include "transmit/sendlatermodel.h"
#include "transmit/tformsendlater.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList commandsOf(const QList<SendLaterEntry>& entries) {
    QStringList commands;
    for (const SendLaterEntry& e : entries)
        commands << e.command;
    return commands;
}

// While it lives, a start-up that waits for a writer on the FIFO at `path` is let go after a
// few seconds (it then reads an empty file), so such a fault fails the test instead of hanging.
class FifoWriterAfterTimeout {
public:
    explicit FifoWriterAfterTimeout(const QString& path)
        : m_thread([this, name = QFile::encodeName(path)] {
              std::unique_lock lock(m_mutex);
              if (m_done.wait_for(lock, std::chrono::seconds(5), [this] { return m_finished; }))
                  return;
              const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
              if (fd >= 0)
                  ::close(fd);
          }) {}
    ~FifoWriterAfterTimeout() {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

class SendLaterWindow : public AppFormFixture {
protected:
    void SetUp() override {
        if (!ensureLocales({"de_DE.UTF-8"}))
            GTEST_SKIP() << "the test locale cannot be made here";
        localeName = "de_DE.UTF-8";
        ASSERT_TRUE(pty.isValid());
    }

    TFormSendLater& window() { return *form->FormSendLater; }
    QString csvPath() const { return programFolder + "/sendlater.csv"; }
    QString asidePath() const { return csvPath() + ".unreadable"; }
    QByteArray csv() const {
        QFile file(csvPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void writeCsv(const QByteArray& bytes) const {
        QFile file(csvPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void connectPty() {
        form->ComboBox1->setEditText(pty.slavePath());
        form->ButtonConnect->click();
        ASSERT_TRUE(form->PortConnected);
    }
    void add(const QString& command, const QDateTime& when) {
        window().setMemoCommand(command);
        window().DateTimePicker1->setDate(when.date());
        window().DateTimePicker2->setTime(when.time());
        window().Button1->click();
    }
    void select(std::initializer_list<int> rows) {
        QItemSelectionModel* selection = window().ListView1->selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(window().ListView1Model->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    PseudoTerminal pty;
};

TEST_F(SendLaterWindow, AnEntryIsWrittenInTheLocalesFormats) {
    createForm();
    EXPECT_EQ(window().windowTitle(), "Send Later");
    EXPECT_TRUE(window().isHidden());
    add("PING", QDateTime(QDate(2025, 3, 1), QTime(14, 5, 0)));
    EXPECT_EQ(csv(), kBom + "PING;01.03.2025;14:05:00\r\n");

    add("", QDateTime(QDate(2025, 3, 1), QTime(14, 5, 0))); // an empty box: beep, no entry
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(window().entries().size(), 1);
    EXPECT_EQ(csv(), kBom + "PING;01.03.2025;14:05:00\r\n");

    // A fresh start reads the schedule back.
    createForm();
    ASSERT_EQ(window().entries().size(), 1);
    EXPECT_EQ(window().entries()[0].command, "PING");
}

TEST_F(SendLaterWindow, SentOnceAtItsSecondAndKept) {
    createForm();
    connectPty();
    const QDateTime start(QDate(2026, 3, 1), QTime(14, 5, 0));
    add("SOON", start.addSecs(10));
    add("PAST", start.addSecs(-60));
    for (int second = 0; second <= 12; ++second) {
        now = start.addSecs(second);
        form->TimerSendLaterTimer();
    }
    EXPECT_EQ(pty.read(8, 300), "SOON") << "once, at its second, and never the past one";
    EXPECT_EQ(window().entries().size(), 2);
    EXPECT_EQ(window().entries()[0].time, "14:05:10");
}

TEST_F(SendLaterWindow, EachEntryGoesOnceWhereverTheTicksFall) {
    createForm();
    connectPty();
    const QDateTime start = now;
    add("A", start.addSecs(1));
    add("B", start.addSecs(2));
    add("C", start.addSecs(3));
    // Two ticks in A's second, none in B's: the wall clock's seconds need not follow the timer.
    for (const qint64 ms : {999, 1001, 1999, 3001, 3999}) {
        now = start.addMSecs(ms);
        form->TimerSendLaterTimer();
    }
    EXPECT_EQ(pty.read(8, 300), "ABC");
}

TEST_F(SendLaterWindow, TheTickRunsOnlyWhileAnEntryWaits) {
    createForm();
    connectPty();
    QTimer* tick = form->TimerSendLater;
    EXPECT_FALSE(tick->isActive()) << "nothing waits: no wake-up at all";

    now = now.addMSecs(300);
    const QDateTime due = now.addSecs(1);
    add("PING", due);
    EXPECT_TRUE(tick->isActive());
    EXPECT_TRUE(tick->isSingleShot());
    EXPECT_EQ(tick->timerType(), Qt::PreciseTimer);
    EXPECT_EQ(tick->interval(), 1200) << "aimed at the middle of the entry's second";

    now = due.addMSecs(200);
    form->TimerSendLaterTimer();
    EXPECT_EQ(pty.read(4, 300), "PING");
    EXPECT_FALSE(tick->isActive()) << "the only entry went";

    add("LATER", now.addSecs(60));
    EXPECT_TRUE(tick->isActive());
    select({1});
    window().Delete1Click();
    EXPECT_FALSE(tick->isActive()) << "deleted with its entry";
}

TEST_F(SendLaterWindow, ADueEntryWithoutAPortReportsTheFailedWrite) {
    writeCsv("PING;01.03.2026;14:05:00\r\n");
    createForm();
    form->ComboBox1->setEditText("COM7");
    form->TimerSendLaterTimer();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, "Unable to write to COM7");
}

TEST_F(SendLaterWindow, EntriesThatCannotBeDueShowWhyWhenClicked) {
    writeCsv("ONLY\r\nFOUR;01.03.2026;14:05:00;extra\r\n"
             "OTHER;03/01/2026;02:05:00 PM\r\nHALF;01.03.2026;2 PM\r\n");
    createForm();
    connectPty();
    form->TimerSendLaterTimer(); // the clock shows 01.03.2026 14:05:00
    EXPECT_EQ(pty.read(4, 300), "FOUR") << "the only entry that can be due";
    ASSERT_EQ(window().entries().size(), 4);
    EXPECT_EQ(window().entries()[1].time, "14:05:00") << "a fourth field is dropped";

    struct Case {
        int row;
        QString message;
        QString button;
    };
    const Case cases[] = {
        {0, "'' is not a valid date.", "ADD"},
        {2, "'03/01/2026' is not a valid date.", "ADD"},
        {3, "'2 PM' is not a valid time.", "ADD"},
        {1, QString(), "EDIT"},
    };
    for (const Case& c : cases) {
        messages.shown.clear();
        select({c.row});
        window().ListView1Click();
        EXPECT_EQ(window().Memo1->toPlainText(), window().entries()[c.row].command);
        EXPECT_EQ(window().Button1->text(), c.button);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.shown.isEmpty());
            EXPECT_EQ(window().DateTimePicker1->date(), QDate(2026, 3, 1));
            EXPECT_EQ(window().DateTimePicker2->time(), QTime(14, 5, 0));
        } else {
            ASSERT_EQ(messages.shown.size(), 1);
            EXPECT_EQ(messages.shown[0].text, c.message);
            EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
        }
    }
    // A click on empty space: back to ADD with an empty box.
    select({});
    window().ListView1Click();
    EXPECT_EQ(window().Button1->text(), "ADD");
    EXPECT_TRUE(window().Memo1->toPlainText().isEmpty());
}

TEST_F(SendLaterWindow, EditDeleteAndSelectAll) {
    createForm();
    const QDateTime when(QDate(2026, 3, 2), QTime(8, 0, 0));
    add("one", when);
    add("two", when);
    add("three", when);
    select({1});
    window().ListView1Click();
    EXPECT_EQ(window().Button1->text(), "EDIT");
    // "Send Later..." copies the send box; in EDIT mode the button changes the selected entry.
    form->EditSend->setPlainText("from the box");
    form->SendLater1Click();
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().DateTimePicker1->date(), now.date()) << "showing sets the pickers to now";
    window().Button1->click();
    EXPECT_EQ(window().entries()[1].command, "from the box");
    EXPECT_EQ(window().entries()[1].date, "01.03.2026");

    window().SelectAll1->trigger();
    EXPECT_EQ(window().ListView1->selectionModel()->selectedRows().size(), 3);
    select({0, 2});
    window().Delete1->trigger();
    ASSERT_EQ(window().entries().size(), 1);
    EXPECT_EQ(window().entries()[0].command, "from the box");
    EXPECT_EQ(window().Button1->text(), "ADD");
    select({0});
    window().Delete1->trigger();
    EXPECT_EQ(csv(), kBom) << "an empty schedule is just the byte-order mark";
}

TEST_F(SendLaterWindow, OldAndAwkwardFilesLoadTheSame) {
    writeCsv("caf\xE9;01.03.2026;14:05:00\r\n");
    createForm();
    ASSERT_EQ(window().entries().size(), 1);
    EXPECT_EQ(window().entries()[0].command, QStringLiteral("caf\u00E9"));
    EXPECT_TRUE(messages.shown.isEmpty()) << "an ANSI file is read, not lost";
    EXPECT_FALSE(QFile::exists(asidePath()));

    add("line one\r\nAT+X=1;2", QDateTime(QDate(2026, 3, 1), QTime(9, 0, 0)));
    createForm();
    ASSERT_EQ(window().entries().size(), 2);
    EXPECT_EQ(window().entries()[1].command, "line one\r\nAT+X=1;2");
    EXPECT_EQ(window().entries()[1].time, "09:00:00");
}

TEST_F(SendLaterWindow, ACommandKeepsItsLoneLineBreakCharacters) {
    createForm();
    const QString command = QStringLiteral("AT\nX\rY\r\nZ\u00A0");
    window().setMemoCommand(command);
    EXPECT_EQ(window().memoCommand(), command);
    add(command, QDateTime(QDate(2026, 3, 2), QTime(8, 0, 0)));
    ASSERT_EQ(window().entries().size(), 1);
    EXPECT_EQ(window().entries()[0].command, command);

    window().Memo1->clear();
    select({0});
    window().ListView1Click();
    EXPECT_EQ(window().memoCommand(), command) << "clicked back into the box";

    // "Send Later..." copies the send box as it stands, here a lone LF decoded from HEX.
    form->HEX1->trigger();
    form->EditSend->setPlainText("41 0A 42");
    form->ASCII1->trigger();
    form->SendLater1Click();
    EXPECT_EQ(window().memoCommand(), "A\nB");
}

TEST_F(SendLaterWindow, ClosingTheMainWindowEndsTheProgramWithTheWindowOpen) {
    createForm();
    form->show();
    form->SendLater2Click();
    QTimer::singleShot(50, form.get(), [this] { form->close(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(7); }); // the loop would go on
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(SendLaterWindow, AFailedSaveIsShownAndTheListStays) {
    createForm();
    ASSERT_TRUE(QDir().mkpath(csvPath())); // a folder in the file's place cannot be replaced
    add("PING", QDateTime(QDate(2026, 3, 1), QTime(9, 0, 0)));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.startsWith("Cannot create file \"" + csvPath() + "\". "));
    EXPECT_EQ(window().entries().size(), 1);
}

TEST_F(SendLaterWindow, AQuoteThatNeverClosesCostsOnlyItsLine) {
    writeCsv("\"x\" y;01.03.2026;14:05:00\r\n\"never closed;01.03.2026;14:05:00\r\n"
             "NEXT;01.03.2026;14:05:00\r\n");
    createForm();
    EXPECT_EQ(commandsOf(window().entries()), QStringList({"\"x\" y", "NEXT"}));
    EXPECT_EQ(messages.shown.size(), 1);
    connectPty();
    form->TimerSendLaterTimer();
    EXPECT_EQ(pty.read(16, 300), "\"x\" yNEXT") << "quotes typed in a command are sent";

    // Quotes typed in the window are saved so they load back, and go out, as typed.
    now = now.addSecs(1);
    add("\"a\" b", now);
    form->TimerSendLaterTimer();
    EXPECT_EQ(pty.read(8, 300), "\"a\" b");
    createForm();
    EXPECT_EQ(commandsOf(window().entries()), QStringList({"\"x\" y", "NEXT", "\"a\" b"}));
    EXPECT_EQ(messages.shown.size(), 1) << "the saved file reads whole";
}

TEST_F(SendLaterWindow, APartlyUnreadableFileIsKeptAsideBeforeItIsRewritten) {
    struct Case {
        QByteArray bytes;
        QStringList commands;
        QString what;
    };
    const Case cases[] = {
        {"\"lost;01.03.2026;14:05:00\r\nKEPT;01.03.2026;14:05:00\r\n",
         {"KEPT"},
         "(1 unreadable line)"},
        {kBom + "caf\xE9;01.03.2026;14:05:00\r\n",
         {QStringLiteral("caf\uFFFD")},
         "(characters that could not be decoded)"},
        {QByteArray("\xFF\xFE"
                    "A\0\0\xD8;\0",
                    8),
         {QString("A") + QChar(0xD800)},
         "(characters that could not be decoded)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        QFile::remove(asidePath());
        writeCsv(c.bytes);
        messages.shown.clear();
        createForm();
        EXPECT_EQ(commandsOf(window().entries()), c.commands);
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].caption, startupValues().ProductName);
        EXPECT_TRUE(messages.shown[0].text.contains(c.what))
            << messages.shown[0].text.toStdString();
        EXPECT_TRUE(messages.shown[0].text.contains('"' + asidePath() + '"'));
        EXPECT_EQ(bytesOf(asidePath()), c.bytes);

        // Starting again before any save names the same copy.
        createForm();
        ASSERT_EQ(messages.shown.size(), 2);
        EXPECT_TRUE(messages.shown[1].text.contains('"' + asidePath() + '"'));
        EXPECT_FALSE(QFile::exists(asidePath() + ".2"));

        add("NEW", now);
        EXPECT_EQ(window().entries().size(), c.commands.size() + 1);
        EXPECT_EQ(bytesOf(asidePath()), c.bytes) << "the copy is never written over";
        createForm();
        EXPECT_EQ(messages.shown.size(), 2) << "the rewritten file reads whole";
        EXPECT_EQ(window().entries().size(), c.commands.size() + 1);
    }
    EXPECT_FALSE(QFile::exists(asidePath() + ".2"));
}

TEST_F(SendLaterWindow, AScheduleThatCannotBeReadIsMovedAsideAndStartUpGoesOn) {
    for (const bool fifo : {true, false}) {
        SCOPED_TRACE(fifo ? "a FIFO" : "a folder");
        QDir(asidePath()).removeRecursively();
        QFile::remove(asidePath());
        QFile::remove(csvPath());
        if (fifo)
            ASSERT_EQ(::mkfifo(QFile::encodeName(csvPath()).constData(), 0644), 0);
        else
            ASSERT_TRUE(QDir().mkpath(csvPath()));
        messages.shown.clear();
        {
            FifoWriterAfterTimeout unblock(csvPath());
            createForm();
        }
        EXPECT_TRUE(window().entries().isEmpty());
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_TRUE(messages.shown[0].text.startsWith("Cannot read file \"" + csvPath() + "\". "))
            << messages.shown[0].text.toStdString();
        EXPECT_TRUE(messages.shown[0].text.contains('"' + asidePath() + '"'));
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(asidePath()).constData(), &st), 0);
        EXPECT_TRUE(fifo ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode));

        add("PING", now);
        EXPECT_EQ(csv(), kBom + "PING;01.03.2026;14:05:00\r\n");
        EXPECT_EQ(messages.shown.size(), 1);
    }
}

TEST_F(SendLaterWindow, AFileThatCannotBeSetAsideIsLeftAloneForTheRun) {
    for (int n = 1; n <= 1000; ++n) { // every name a file could be set aside under is taken
        QFile taken(asidePath() + (n > 1 ? "." + QString::number(n) : QString()));
        ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    }
    const QByteArray partly = "\"lost;01.03.2026;14:05:00\r\nKEPT;01.03.2026;14:05:00\r\n";
    for (const bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "a folder" : "a partly unreadable file");
        if (folder) {
            ASSERT_TRUE(QFile::remove(csvPath()));
            ASSERT_TRUE(QDir().mkpath(csvPath()));
        } else {
            writeCsv(partly);
        }
        messages.shown.clear();
        createForm();
        EXPECT_EQ(commandsOf(window().entries()), folder ? QStringList() : QStringList{"KEPT"});
        ASSERT_EQ(messages.shown.size(), 1);
        const QString& text = messages.shown[0].text;
        EXPECT_TRUE(
            text.contains(folder ? "could not be moved aside" : "could not be copied aside"))
            << text.toStdString();
        EXPECT_TRUE(text.contains("only until the program ends")) << text.toStdString();

        add("NEW", now);
        add("NEWER", now);
        EXPECT_EQ(window().entries().size(), folder ? 2 : 3) << "the schedule works in memory";
        EXPECT_EQ(messages.shown.size(), 1) << "said once";
        if (folder)
            EXPECT_TRUE(QFileInfo(csvPath()).isDir());
        else
            EXPECT_EQ(csv(), partly);
    }
}

// The real program under a wall clock shifted by a fraction of a second (libfaketime), while
// its timers run on the unshifted monotonic clock: each scheduled command reaches the line
// once, and not before its second.
TEST(SendLaterExecutable, UnderAShiftedWallClockEachEntryGoesOnce) {
    // Preloaded straight into the program, which so stays the process the test ends.
    QString libfaketime;
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu",
                               "/usr/lib64", "/usr/lib", "/usr/local/lib"}) {
        const QString path = QString::fromLatin1(folder) + "/faketime/libfaketimeMT.so.1";
        if (QFile::exists(path)) {
            libfaketime = path;
            break;
        }
    }
    if (libfaketime.isEmpty())
        GTEST_SKIP() << "libfaketime is not installed (Debian package faketime): the run under "
                        "a shifted wall clock is skipped";
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString program = tmp.filePath("brevane");
    ASSERT_TRUE(QFile::copy(QStringLiteral(BREVANE_EXECUTABLE), program));
    const auto writeFile = [&tmp](const QString& name, const QByteArray& bytes) {
        QFile file(tmp.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    // Auto Start of a file list of one blank row connects at start and sends nothing.
    const QString blank = writeFile("blank.txt", "\r\n");
    const QString settings = writeFile(
        "settings.ini", "[Settings]\r\nPort=" + pty.slavePath().toUtf8() +
                            "\r\nFilePath=" + blank.toUtf8() + "\r\nFileAutoStart=ON\r\n");
    constexpr qint64 kShiftMs = 370;
    const auto shiftedNow = [] { return QDateTime::currentDateTime().addMSecs(kShiftMs); };
    const QDateTime startedAt = shiftedNow();
    QDateTime first = startedAt.addSecs(4);
    first.setTime(QTime(first.time().hour(), first.time().minute(), first.time().second()));
    const LocaleFormats c("C");
    QByteArray schedule = "\xEF\xBB\xBF";
    for (int i = 0; i < 3; ++i)
        schedule += "<" + QByteArray::number(i) + ">," +
                    c.shortDate(first.addSecs(i).date()).toUtf8() + "," +
                    c.longTime(first.addSecs(i).time()).toUtf8() + "\r\n";
    writeFile("sendlater.csv", schedule);

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", tmp.filePath("config"));
    env.insert("HOME", tmp.filePath("home"));
    env.insert("LC_ALL", "C");
    env.insert("LD_PRELOAD", libfaketime);
    env.insert("FAKETIME", "+" + QString::number(kShiftMs / 1000.0));
    env.insert("FAKETIME_DONT_FAKE_MONOTONIC", "1");
    // The preloaded library comes before the sanitizer's runtime, which would refuse to start.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, {});
    ASSERT_TRUE(process.waitForStarted(10000));

    // Read until a second and a half after the last one, to see any command sent twice.
    QByteArray got;
    QList<QDateTime> ends; // when each command's last byte arrived, on the shifted clock
    std::optional<QDateTime> upAt;
    const QDateTime until = first.addSecs(2).addMSecs(1500);
    while (shiftedNow() < until && process.state() == QProcess::Running) {
        for (const char ch : pty.read(1, 50)) {
            got += ch;
            if (ch == '>')
                ends.append(shiftedNow());
        }
        if (!upAt && bytesOf(settings).contains("LogDirectory="))
            upAt = shiftedNow();
    }
    process.kill();
    process.waitForFinished(10000);
    if (!upAt || *upAt > first.addMSecs(-300))
        GTEST_SKIP() << "the program did not start before the first entry's second here";
    EXPECT_EQ(got, "<0><1><2>") << "each once";
    for (int i = 0; i < ends.size() && i < 3; ++i)
        EXPECT_GE(ends[i], first.addSecs(i)) << "not before its second: <" << i << ">";
}

} // namespace
