#include "port/linuxserialdevice.h"
#include "receive/readpane.h"
#include "receive/trafficlog.h"
#include "support/appformfixture.h"
#include "support/pseudoterminal.h"

#include <QAction>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>

#include <sys/ioctl.h>

namespace {

class ReceiveWindow : public AppFormFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.isValid());
        TAppForm& f = createForm();
        f.ComboBox1->setEditText(pty.slavePath());
        f.ButtonConnect->click();
        ASSERT_TRUE(f.PortConnected);
    }

    // Sends `bytes` from the other end, as fast as the pair takes them, and runs read ticks
    // until they have all arrived.
    void receive(const QByteArray& bytes) {
        const qsizetype want = form->PendingReceived.size() + bytes.size();
        qsizetype sent = 0;
        const QDeadlineTimer deadline(5000);
        while (form->PendingReceived.size() < want && !deadline.hasExpired()) {
            sent += pty.writeSome(QByteArrayView(bytes).sliced(sent));
            QThread::msleep(1);
            form->TimerReadPortTimer();
        }
        ASSERT_EQ(form->PendingReceived.size(), want);
    }

    void startLogging() {
        form->ButtonLogClick();
        form->EditLogDir->setText(logDir);
    }

    QByteArray incomingLog() const {
        QFile file(trafficLogPath(logDir, QDate(2026, 3, 1), "incoming"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    PseudoTerminal pty;
    QString logDir = tmp.filePath("logs");
};

TEST_F(ReceiveWindow, EditFindOpensTheFindBarOverThePane) {
    EXPECT_FALSE(form->Memo1->isFindBarVisible());
    EXPECT_EQ(form->Find1->shortcut(), QKeySequence(QKeySequence::Find));
    form->Find1->trigger();
    EXPECT_TRUE(form->Memo1->isFindBarVisible());
}

TEST_F(ReceiveWindow, HexViewShowsAndLogsEachByte) {
    startLogging();
    form->RadioButton2->click();
    receive("\x41\x0D\x0A");
    form->TimerDisplayTimer();
    EXPECT_EQ(form->Memo1->toPlainText(), "41 0D 0A ");
    EXPECT_EQ(incomingLog(), "41 0D 0A ");
    EXPECT_TRUE(form->PendingReceived.isEmpty());
    EXPECT_EQ(form->statusPanel(1)->text(), "Bytes Read: 3");

    receive("\x80");
    form->TimerDisplayTimer();
    EXPECT_EQ(form->Memo1->toPlainText(), "41 0D 0A 80 ");
    EXPECT_EQ(form->BytesReadCount, 4u);
    EXPECT_EQ(form->Memo1->cursorPosition(), form->Memo1->length());
    EXPECT_TRUE(form->Memo1->isScrolledToBottom());
}

TEST_F(ReceiveWindow, EveryReadTypeRendersTheSameBytes) {
    struct Case {
        QRadioButton* TAppForm::*radio;
        QString shown;
    };
    const Case cases[] = {
        {&TAppForm::RadioButton1, QStringLiteral("A\u00E9\r\n")},
        {&TAppForm::RadioButton2, "41 E9 0D 0A "},
        {&TAppForm::RadioButton3, "65 233 13 10 "},
        {&TAppForm::RadioButton4, "101 351 15 12 "},
        {&TAppForm::RadioButton5, "01000001 11101001 00001101 00001010 "},
    };
    for (const Case& c : cases) {
        form->Memo1->clear();
        ((*form).*c.radio)->click();
        receive("A\xE9\r\n");
        form->TimerDisplayTimer();
        EXPECT_EQ(form->Memo1->toPlainText(), c.shown);
    }
}

TEST_F(ReceiveWindow, SwitchingTheReadTypeContinuesAfterTheOldText) {
    startLogging();
    receive("AB");
    form->TimerDisplayTimer();
    form->RadioButton2->click();
    receive("AB");
    form->TimerDisplayTimer();
    EXPECT_EQ(form->Memo1->toPlainText(), "AB41 42 ");
    EXPECT_EQ(incomingLog(), "AB41 42 ");
    EXPECT_TRUE(readSettingsFile().contains("ReadType=HEX\r\n"));
}

TEST_F(ReceiveWindow, ACharacterZeroIsShownAndHidesNothing) {
    receive(QByteArray("A\0B", 3));
    form->TimerDisplayTimer();
    receive("C");
    form->TimerDisplayTimer();
    EXPECT_EQ(form->Memo1->toPlainText(), QString::fromLatin1("A\0BC", 4));
    EXPECT_EQ(form->Memo1->displayText(0), QStringLiteral("A\u2400BC"));
}

TEST_F(ReceiveWindow, CountersRefreshOnEveryTickWithoutTouchingThePane) {
    form->BytesSentCount = 1234567890123ull;
    form->TimerDisplayTimer();
    EXPECT_EQ(form->statusPanel(1)->text(), "Bytes Read: 0");
    EXPECT_EQ(form->statusPanel(2)->text(), "Bytes Sent: 1234567890123");
    EXPECT_TRUE(form->Memo1->isEmpty());
}

TEST_F(ReceiveWindow, OneTickTakesEverythingThatHasArrived) {
    QByteArray burst(200 * 1024, 'x');
    pty.write(burst.left(4096));
    // Wait until all of it waits in the line, then take one tick.
    const int fd = static_cast<LinuxSerialDevice*>(form->PortHandle())->fd();
    int waiting = 0;
    for (const QDeadlineTimer deadline(3000); waiting < 4096 && !deadline.hasExpired();) {
        ::ioctl(fd, FIONREAD, &waiting);
        QThread::msleep(1);
    }
    form->TimerReadPortTimer();
    EXPECT_EQ(form->PendingReceived.size(), 4096) << "not 8 bytes a tick";
    receive(burst.mid(4096)); // far more than a pty buffer: nothing is lost
    form->TimerDisplayTimer();
    EXPECT_EQ(form->Memo1->length(), burst.size());
    EXPECT_EQ(form->BytesReadCount, quint64(burst.size()));
}

TEST_F(ReceiveWindow, PendingTextOutlivesADisconnect) {
    receive("late");
    form->ButtonConnect->click(); // disconnect before the display tick
    EXPECT_FALSE(form->PortConnected);
    EXPECT_EQ(form->PendingReceived, "late");
    form->ButtonConnect->click();
    EXPECT_EQ(form->BytesReadCount, 0u) << "counters restart with the connection";
    form->TimerDisplayTimer();
    EXPECT_EQ(form->Memo1->toPlainText(), "late");
    EXPECT_EQ(form->statusPanel(1)->text(), "Bytes Read: 0");
}

TEST_F(ReceiveWindow, AVanishedDeviceReadsNothingQuietly) {
    pty.closeMaster();
    for (int i = 0; i < 200; ++i)
        form->TimerReadPortTimer();
    form->TimerDisplayTimer();
    EXPECT_TRUE(form->Memo1->isEmpty());
    EXPECT_TRUE(form->PortConnected);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ReceiveWindow, LoggingButtonAndFolderChooser) {
    TAppForm& f = *form;
    QStringList asked;
    QString answer = tmp.filePath("picked");
    folderChooser = [&](const QString& title, const QString& accept, const QString& start) {
        asked << title << accept << start;
        return answer;
    };
    EXPECT_FALSE(f.EditLogDir->isEnabled());
    f.ButtonLog->click();
    EXPECT_EQ(f.ButtonLog->text(), "Stop Logging");
    for (QWidget* w : {static_cast<QWidget*>(f.Label6), static_cast<QWidget*>(f.EditLogDir),
                       static_cast<QWidget*>(f.Button7)})
        EXPECT_TRUE(w->isEnabled());

    f.EditLogDir->setText("/typed/by/hand");
    f.Button7->click();
    EXPECT_EQ(asked, QStringList({"Select folder:", "Select", ""})) << "never the box's text";
    EXPECT_EQ(f.EditLogDir->text(), answer);
    EXPECT_EQ(f.LastBrowseFolder, answer);
    EXPECT_TRUE(readSettingsFile().contains("LogDirectory=" + answer.toUtf8() + "\r\n"));

    asked.clear();
    answer.clear(); // cancelled
    f.Button7->click();
    EXPECT_EQ(asked.value(2), tmp.filePath("picked"));
    EXPECT_EQ(f.EditLogDir->text(), tmp.filePath("picked"));

    f.ButtonLog->click();
    EXPECT_EQ(f.ButtonLog->text(), "Start Logging");
    EXPECT_FALSE(f.EditLogDir->isEnabled());
    EXPECT_FALSE(f.Button7->isEnabled());
}

TEST_F(ReceiveWindow, NothingIsLoggedWhileLoggingIsOff) {
    form->EditLogDir->setText(logDir);
    receive("AB");
    form->TimerDisplayTimer();
    EXPECT_FALSE(QDir(logDir).exists());
}

// Options > Timestamps: each line is stamped with the time its first bytes were read (the
// fixture's clock at the read tick), not the time it is shown; the log gets the same text.
TEST_F(ReceiveWindow, TimestampsShowTheReadTimeInThePaneAndTheLog) {
    startLogging();
    form->Timestamps1->trigger();
    receive("ab\r"); // at 14:05:00.000
    now = now.addMSecs(50);
    receive("\nc\r\n");
    now = now.addMSecs(900); // the display tick's time appears nowhere
    form->TimerDisplayTimer();
    const QString ascii = "[14:05:00.000] ab\r\n[14:05:00.050] c\r\n";
    EXPECT_EQ(form->Memo1->toPlainText(), ascii);

    form->RadioButton2->click();
    receive("A"); // 14:05:00.950
    now = now.addMSecs(20);
    receive("B");
    now = now.addMSecs(21);
    receive("C");
    form->TimerDisplayTimer();
    const QString hex = "[14:05:00.950] 41 42 \r\n[14:05:00.991] 43 ";
    EXPECT_EQ(form->Memo1->toPlainText(), ascii + hex);
    EXPECT_EQ(incomingLog(), (ascii + hex).toUtf8());

    // Clear empties the pane: the next burst starts it, stamped, with no break before it.
    form->Clear1->trigger();
    now = now.addMSecs(5);
    receive("Z");
    form->TimerDisplayTimer();
    EXPECT_EQ(form->Memo1->toPlainText(), "[14:05:00.996] 5A ");
}

// Turned on mid-line, the stamped text starts a line of its own; turned off, text is shown as
// it comes again.
TEST_F(ReceiveWindow, TimestampsTurnedOnAndOffMidStream) {
    receive("ab");
    form->TimerDisplayTimer();
    receive("c"); // read while off, shown while on: the time it was turned on
    now = now.addMSecs(7);
    form->Timestamps1->trigger();
    now = now.addMSecs(100);
    receive("d\n");
    form->TimerDisplayTimer();
    EXPECT_EQ(form->Memo1->toPlainText(), "ab\r\n[14:05:00.007] cd\n");

    receive("e");
    form->Timestamps1->trigger(); // off before the display tick: shown without a stamp
    form->TimerDisplayTimer();
    receive("f\n");
    form->TimerDisplayTimer();
    EXPECT_EQ(form->Memo1->toPlainText(), "ab\r\n[14:05:00.007] cd\nef\n");
}

class ReceiveOptions : public AppFormFixture {};

TEST_F(ReceiveOptions, TimestampsAreRememberedUntilReset) {
    TAppForm& f = createForm();
    EXPECT_TRUE(f.Timestamps1->isCheckable());
    EXPECT_FALSE(f.Timestamps1->isChecked()) << "off by default";
    EXPECT_FALSE(readSettingsFile().contains("Timestamps"));

    f.Timestamps1->trigger();
    EXPECT_TRUE(readSettingsFile().contains("\r\nTimestamps=ON\r\n"));
    EXPECT_TRUE(createForm().Timestamps1->isChecked());

    form->Timestamps1->trigger();
    EXPECT_TRUE(readSettingsFile().contains("\r\nTimestamps=OFF\r\n"));
    EXPECT_FALSE(createForm().Timestamps1->isChecked());

    form->Timestamps1->trigger();
    messages.answers = {MessageButton::Yes};
    form->ResettoDefaults1Click();
    EXPECT_FALSE(createForm().Timestamps1->isChecked());
    EXPECT_EQ(messages.shown.size(), 1) << "only the reset question";
}

} // namespace
