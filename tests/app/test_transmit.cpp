#include "app/statustext.h"
#include "receive/trafficlog.h"
#include "support/appformfixture.h"
#include "support/pseudoterminal.h"
#include "transmit/tformchangeperiod.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStringListModel>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <sys/stat.h>

namespace {

class TransmitWindow : public AppFormFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.isValid());
        createForm();
        form->ComboBox1->setEditText(pty.slavePath());
        form->ButtonConnect->click();
        ASSERT_TRUE(form->PortConnected);
    }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(tmp.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    PseudoTerminal pty;
};

TEST_F(TransmitWindow, TypedTextGoesOutAsItsBytes) {
    form->ButtonLogClick();
    form->EditLogDir->setText(tmp.filePath("logs"));
    form->EditSend->setPlainText("abc\n"); // a typed line break
    form->ButtonSend->click();
    EXPECT_EQ(pty.read(5), "abc\r\n");
    EXPECT_EQ(form->BytesSentCount, 5u);
    EXPECT_EQ(form->statusPanel(3)->text(), "Sent: abc\r\n");
    QFile log(trafficLogPath(tmp.filePath("logs"), QDate(2026, 3, 1), "outgoing"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), "abc\r\n");
}

TEST_F(TransmitWindow, CtrlEnterSendsAndEnterMakesANewLine) {
    form->EditSend->setFocus();
    QTest::keyClicks(form->EditSend, "ab");
    QTest::keyClick(form->EditSend, Qt::Key_Return);
    QTest::keyClick(form->EditSend, Qt::Key_C);
    EXPECT_EQ(form->BytesSentCount, 0u) << "Enter only makes a new line";
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        const Qt::KeyboardModifiers mods =
            Qt::ControlModifier | (key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QTest::keyClick(form->EditSend, key, mods);
        EXPECT_EQ(pty.read(5), "ab\r\nc");
        EXPECT_EQ(form->EditSend->toPlainText(), "ab\nc") << "nothing was inserted";
    }
    // Not while sending is not possible.
    form->ButtonConnect->click();
    const quint64 sent = form->BytesSentCount;
    QTest::keyClick(form->EditSend, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(form->BytesSentCount, sent);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(TransmitWindow, TheStatusBarKeepsOneLineShowingControlsAndElidingTheRest) {
    QLabel* panel = form->statusPanel(3);
    const int barHeight = form->StatusBar1->sizeHint().height();
    form->ComTextGonder("line\r\n");
    EXPECT_EQ(panel->text(), "Sent: line\r\n");
    EXPECT_EQ(form->StatusBar1->sizeHint().height(), barHeight) << "the bar does not grow";
    auto* shown = qobject_cast<StatusText*>(panel);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->shownText(1000), "Sent: line[CR][LF]");
    const QString cut = shown->shownText(QFontMetrics(panel->font()).horizontalAdvance("Sent: li"));
    EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
    EXPECT_TRUE(QString("Sent: line").startsWith(cut.chopped(1))) << cut.toStdString();
    // Bytes that most fonts draw as nothing are boxes too, holding their value.
    form->ComTextGonder(QString::fromLatin1("a\x85\xAD\x9F"
                                            "b"));
    EXPECT_EQ(shown->shownText(1000), "Sent: a[85][AD][9F]b");
}

// A long device path must not hide the connection's state: the path gives way in its middle.
TEST(StatusTextPanel, ALongPathGivesWayBeforeTheStateThatFollowsIt) {
    StatusText panel(QString(), 200);
    const QString path = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    const QString lead = "Connected: ";
    const QString state = " (device gone, waiting)";
    panel.setTextEliding(lead + path + state, lead.size(), path.size());
    EXPECT_EQ(panel.text(), lead + path + state);
    EXPECT_EQ(panel.toolTip(), panel.text()) << "the whole text is always at hand";
    const QFontMetrics metrics(panel.font());
    const int whole = metrics.horizontalAdvance(panel.text());
    EXPECT_GE(panel.sizeHint().width(), whole) << "it asks for the room it needs";

    for (int width :
         {whole + 10, whole - 40, whole / 2, metrics.horizontalAdvance(lead + state) + 40}) {
        SCOPED_TRACE(width);
        const QString shown = panel.shownText(width);
        EXPECT_TRUE(shown.startsWith(lead + "/")) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(state)) << shown.toStdString();
        EXPECT_EQ(shown.contains(QChar(0x2026)), width < whole) << shown.toStdString();
        EXPECT_LE(metrics.horizontalAdvance(shown), width + 4);
    }
    // Narrower than the state itself: cut at the end as any text, never drawn past the panel.
    EXPECT_TRUE(panel.shownText(metrics.horizontalAdvance(lead)).endsWith(QChar(0x2026)));

    // A plain text afterwards is cut at its end as before.
    panel.setText(lead + path + state + " more");
    EXPECT_TRUE(panel.shownText(whole / 2).endsWith(QChar(0x2026)));
}

TEST_F(TransmitWindow, ChunksOfThirtyTwoBytesWithAPauseBetween) {
    for (int size : {32, 33}) {
        SCOPED_TRACE(size);
        const QString text(size, QChar('x'));
        QElapsedTimer clock;
        clock.start();
        form->ComTextGonder(text);
        const qint64 took = clock.elapsed();
        EXPECT_EQ(pty.read(size), text.toLatin1());
        if (size == 32)
            EXPECT_LT(took, 50) << "one write, no pause";
        else
            EXPECT_GE(took, 50) << "two writes with a pause between";
    }
    EXPECT_EQ(form->BytesSentCount, 65u);
    EXPECT_EQ(form->statusPanel(3)->text(), "Sent: x") << "the last chunk";
}

TEST_F(TransmitWindow, SendFormatsAndTheirConversions) {
    struct Case {
        QAction* TAppForm::*format;
        QString box;
        QByteArray sent;
    };
    const Case cases[] = {
        {&TAppForm::HEX1, "48 65 6C 6C 6F", "Hello"},
        {&TAppForm::HEX1, "80 FF", QByteArray("\x80\xFF")},
        {&TAppForm::BIN1, "01001000 01101001", "Hi"},
        {&TAppForm::ASCII1, QStringLiteral("\u00E9"), QByteArray("\xE9")},
    };
    for (const Case& c : cases) {
        ((*form).*c.format)->trigger();
        form->EditSend->setPlainText(c.box);
        form->ButtonSend->click();
        EXPECT_EQ(pty.read(c.sent.size()), c.sent);
    }

    form->ASCII1->trigger();
    form->EditSend->setPlainText("Hi");
    const std::pair<QAction*, QString> steps[] = {{form->HEX1, "48 69"},
                                                  {form->BIN1, "01001000 01101001"},
                                                  {form->BIN1, "01001000 01101001"},
                                                  {form->ASCII1, "Hi"},
                                                  {form->HEX1, "48 69"},
                                                  {form->ASCII1, "Hi"}};
    for (const auto& [item, text] : steps) {
        item->trigger();
        EXPECT_EQ(form->EditSend->toPlainText(), text);
        EXPECT_EQ(form->EditSend->textCursor().position(), text.size()) << "caret at the end";
        EXPECT_FALSE(form->EditSend->textCursor().hasSelection());
        for (QAction* other : {form->ASCII1, form->HEX1, form->BIN1})
            EXPECT_EQ(other->isChecked(), other == item);
    }
}

// The format in force shows beside the box and can be changed there; in HEX and BIN the box
// takes only that format's digits, so typing a word can no longer send zeros.
TEST_F(TransmitWindow, TheSendFormatIsShownBesideTheBoxAndTheBoxTakesOnlyItsDigits) {
    form->show();
    QComboBox* shown = form->ComboBoxSendFormat;
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->currentText(), "ASCII");
    form->HEX1->trigger();
    EXPECT_EQ(shown->currentText(), "HEX") << "the menu's choice shows beside the box";

    // Alt+M reaches the box; a choice there is the menu's, conversion included.
    form->ASCII1->trigger();
    form->EditSend->setPlainText("Hi");
    EXPECT_EQ(QKeySequence::mnemonic(form->LabelSendFormat->text()),
              QKeySequence(Qt::ALT | Qt::Key_M));
    EXPECT_EQ(form->LabelSendFormat->buddy(), shown);
    shown->activated(1); // what picking "HEX" in its list does
    EXPECT_TRUE(form->HEX1->isChecked());
    EXPECT_EQ(form->EditSend->toPlainText(), "48 69");

    struct Case {
        QAction* TAppForm::*format;
        QString typed;
        QString kept;
        QByteArray sent;
    };
    const Case cases[] = {
        {&TAppForm::HEX1, "hello", "e", ""}, // only the hex digit of the word stays
        {&TAppForm::HEX1, "zz41 4g2", "41 42", "AB"},
        {&TAppForm::BIN1, "0100x0000 1000z0000", "01000000 10000000", QByteArray("\x40\x80", 2)},
        {&TAppForm::ASCII1, "any text", "any text", "any text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        ((*form).*c.format)->trigger();
        form->EditSend->clear();
        beeps = 0;
        form->EditSend->setFocus();
        QTest::keyClicks(form->EditSend, c.typed);
        EXPECT_EQ(form->EditSend->toPlainText(), c.kept);
        EXPECT_EQ(beeps, c.typed.size() - c.kept.size()) << "each refused key beeps";
        if (!c.sent.isEmpty()) {
            form->ButtonSend->click();
            EXPECT_EQ(pty.read(c.sent.size()), c.sent);
        }
    }
    EXPECT_TRUE(messages.shown.isEmpty()) << "typing is refused without a message";

    // Back in ASCII no NUL boxes appear: the HEX text held only digits.
    form->HEX1->trigger();
    form->EditSend->clear();
    QTest::keyClicks(form->EditSend, "hello");
    form->ASCII1->trigger();
    EXPECT_EQ(form->EditSend->exactText(), "");
}

TEST_F(TransmitWindow, APasteThatDoesNotFitTheFormatIsRefusedWithItsFirstBadCharacter) {
    form->HEX1->trigger();
    form->EditSend->setPlainText("41");
    form->EditSend->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(" 42 4x 43");
    form->EditSend->paste();
    EXPECT_EQ(form->EditSend->toPlainText(), "41") << "nothing of it is inserted";
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(messages.shown[0].caption, "WARNING");
    EXPECT_TRUE(messages.shown[0].text.contains("\"x\"")) << messages.shown[0].text.toStdString();
    EXPECT_TRUE(messages.shown[0].text.contains("HEX")) << messages.shown[0].text.toStdString();

    // Digits, spaces and line breaks are taken.
    QApplication::clipboard()->setText(" 42\n43");
    form->EditSend->paste();
    EXPECT_EQ(form->EditSend->toPlainText(), "41 42\n43");
    EXPECT_EQ(messages.shown.size(), 1);

    form->BIN1->trigger();
    form->EditSend->clear();
    QApplication::clipboard()->setText("0101\t1");
    form->EditSend->paste();
    EXPECT_EQ(form->EditSend->toPlainText(), "");
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_TRUE(messages.shown[1].text.contains("BIN")) << messages.shown[1].text.toStdString();
    EXPECT_FALSE(messages.shown[1].text.contains('\t')) << "an invisible character is named";
}

// Data typed in HEX keeps its bytes in ASCII, where the box holds them as characters: a lone
// CR or LF, controls and the no-break space included.
TEST_F(TransmitWindow, EveryByteSurvivesTheTripThroughAscii) {
    QStringList boxes;
    for (int value = 0; value < 256; ++value)
        boxes << QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
    boxes << "41 0A 42 0D 43"
          << "0D 0A"
          << "0A 0D"
          << "0D 0D 0A 0A"
          << "0D 0A 0D 0A";
    for (const QString& hex : boxes) {
        SCOPED_TRACE(hex.toStdString());
        const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
        form->HEX1->trigger();
        form->EditSend->setPlainText(hex);
        form->ASCII1->trigger();
        const quint64 before = form->BytesSentCount;
        form->ButtonSend->click();
        EXPECT_EQ(form->BytesSentCount - before, quint64(bytes.size()));
        EXPECT_EQ(pty.read(bytes.size()), bytes);
        form->HEX1->trigger();
        EXPECT_EQ(form->EditSend->toPlainText(), hex);
    }
}

TEST_F(TransmitWindow, ATypedLineBreakIsCrLfInEveryFormat) {
    QTest::keyClicks(form->EditSend, "ab");
    QTest::keyClick(form->EditSend, Qt::Key_Return);
    QTest::keyClicks(form->EditSend, "c");
    form->ButtonSend->click();
    EXPECT_EQ(pty.read(5), "ab\r\nc");
    form->HEX1->trigger();
    EXPECT_EQ(form->EditSend->toPlainText(), "61 62 0D 0A 63");
    form->ASCII1->trigger();
    EXPECT_EQ(form->EditSend->document()->blockCount(), 2) << "a line break again";
    form->ButtonSend->click();
    EXPECT_EQ(pty.read(5), "ab\r\nc");
}

TEST_F(TransmitWindow, NothingToSend) {
    form->ButtonSend->click();
    form->SendPeriodically1->trigger();
    ASSERT_EQ(messages.shown.size(), 2);
    for (const MessageRequest& m : messages.shown) {
        EXPECT_EQ(m.icon, MessageIcon::Warning);
        EXPECT_EQ(m.caption, "WARNING");
        EXPECT_EQ(m.text, "Nothing to send!");
    }
    EXPECT_EQ(form->ButtonSend->text(), "SEND");
    // A HEX text without one complete pair sends nothing and says nothing.
    form->HEX1->trigger();
    form->EditSend->setPlainText("4");
    form->ButtonSend->click();
    EXPECT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(form->BytesSentCount, 0u);
}

TEST_F(TransmitWindow, AWriteThatFailsStopsTheRestOnce) {
    // The other end goes away right after the second chunk, during the pause.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (form->BytesSentCount == 64)
            pty.closeMaster();
    });
    watch.start(1);
    form->ComTextGonder(QString(100, QChar('y')));
    EXPECT_EQ(form->BytesSentCount, 64u);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages.shown[0].caption, "ERROR");
    EXPECT_EQ(messages.shown[0].text, "Unable to write to " + pty.slavePath());
    // The reason: the system's words for the failed write, or the device found gone meanwhile.
    EXPECT_TRUE(messages.shown[0].detail.startsWith(pty.slavePath()) ||
                messages.shown[0].detail.startsWith("Cannot write to " + pty.slavePath() + ": "))
        << messages.shown[0].detail.toStdString();
    EXPECT_GT(messages.shown[0].detail.size(), pty.slavePath().size() + 20);
}

TEST_F(TransmitWindow, ASendWithoutAnOpenPortFails) {
    form->ButtonConnect->click(); // disconnect
    form->ComTextGonder("x");
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, "Unable to write to " + pty.slavePath());
    EXPECT_EQ(messages.shown[0].detail, "The port is not connected.");
}

TEST_F(TransmitWindow, ASendInsideThePauseFinishesInsideIt) {
    QTimer::singleShot(0, [&] { form->ComTextGonder("ZZ"); });
    form->ComTextGonder(QString(40, QChar('a')));
    EXPECT_EQ(pty.read(42), QByteArray(32, 'a') + "ZZ" + QByteArray(8, 'a'));
}

TEST_F(TransmitWindow, PeriodicSendingUntilStopOrDisconnect) {
    form->EditSend->setPlainText("P");
    form->SendPeriodically1->trigger();
    EXPECT_EQ(form->ButtonSend->text(), "STOP");
    EXPECT_EQ(form->ButtonSend->menu(), nullptr) << "a plain push button while sending";
    EXPECT_EQ(form->TimerSendPeriodically->interval(), 100);
    EXPECT_TRUE(form->TimerSendPeriodically->isActive());
    EXPECT_EQ(form->BytesSentCount, 0u) << "nothing at once";
    form->TimerSendPeriodicallyTimer();
    form->TimerSendPeriodicallyTimer();
    EXPECT_EQ(pty.read(2), "PP");
    EXPECT_TRUE(form->TimerSendPeriodically->isActive()) << "armed again after the send";

    form->ButtonConnect->click(); // disconnect
    EXPECT_EQ(form->ButtonSend->text(), "STOP");
    form->TimerSendPeriodicallyTimer();
    EXPECT_EQ(form->ButtonSend->text(), "SEND");
    EXPECT_FALSE(form->TimerSendPeriodically->isActive());
    EXPECT_EQ(form->ButtonSend->menu(), form->PopupMenu1) << "a split button again";

    form->ButtonConnect->click();
    form->SendPeriodically1->trigger();
    form->ButtonSend->click(); // STOP
    EXPECT_EQ(form->ButtonSend->text(), "SEND");
    EXPECT_FALSE(form->TimerSendPeriodically->isActive());
}

// Notes when each tick of a timer begins, before the timer's own handlers run.
class TickMoments : public QObject {
public:
    explicit TickMoments(QTimer* timer) {
        timer->installEventFilter(this);
        clock.start();
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Timer)
            ticksNs.append(clock.nsecsElapsed());
        return false;
    }
    QElapsedTimer clock;
    QList<qint64> ticksNs;
};

TEST_F(TransmitWindow, PeriodicSendingIsNeverEarly) {
    EXPECT_EQ(form->TimerSendPeriodically->timerType(), Qt::PreciseTimer);
    form->writeSetting("SendPeriod", "200");
    form->EditSend->setPlainText("P");
    TickMoments moments(form->TimerSendPeriodically);
    form->SendPeriodically1->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return moments.ticksNs.size() >= 6; }, 20000));
    form->ButtonSend->click(); // STOP
    EXPECT_EQ(pty.read(6), "PPPPPP");
    // From the start to the first send, and from each send to the next: never under a period.
    constexpr qint64 kPeriodNs = 200'000'000;
    qint64 previous = 0;
    for (const qint64 tick : moments.ticksNs) {
        EXPECT_GE(tick - previous, kPeriodNs) << "a gap cut short, at " << tick / 1000000 << " ms";
        previous = tick;
    }
}

TEST_F(TransmitWindow, ThePeriodWindow) {
    writeSettingsFile("[Settings]\r\nSendPeriod=0\r\n");
    createForm();
    form->ComboBox1->setEditText(pty.slavePath());
    form->ButtonConnect->click();
    form->EditSend->setPlainText("P");
    form->SendPeriodically1->trigger();
    EXPECT_EQ(form->TimerSendPeriodically->interval(), 1) << "a stored 0 is brought to 1";

    struct Case {
        QString typed;
        int stored;
    };
    const Case cases[] = {
        {"5000", 5000}, {"0", 1},        {"2147483647", 999999999}, {"99999999999", 1},
        {"-", 1},       {"250\r\n", 250}}; // a pasted line break is not part of the period
    for (const Case& c : cases) {
        form->ChangeSendPeriod1->trigger();
        auto* window = form->findChild<TFormChangePeriod*>();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), "Change Send Period");
        EXPECT_EQ(window->size(), QSize(263, 81));
        EXPECT_FALSE(window->isModal());
        window->SpinEdit1->lineEdit()->setText(c.typed);
        window->Button1->click();
        EXPECT_EQ(form->settings().ReadInteger("Settings", "SendPeriod", -1), c.stored);
        EXPECT_EQ(form->TimerSendPeriodically->interval(), c.stored);
        EXPECT_TRUE(form->TimerSendPeriodically->isActive());
        delete window; // closed windows delete themselves later
    }

    // Cancel, Escape and the close box write nothing.
    const QByteArray before = readSettingsFile();
    for (int way = 0; way < 3; ++way) {
        form->ChangeSendPeriod1->trigger();
        auto* window = form->findChild<TFormChangePeriod*>();
        window->show();
        window->SpinEdit1->lineEdit()->setText("777");
        if (way == 0)
            window->Button2->click();
        else if (way == 1)
            QTest::keyClick(window, Qt::Key_Escape);
        else
            window->close();
        EXPECT_FALSE(window->isVisible());
        delete window;
    }
    EXPECT_EQ(readSettingsFile(), before);
}

TEST_F(TransmitWindow, FileRowsOnePerPeriodThenStop) {
    form->DosyaSec(writeFile("abc.txt", "A\r\nB\r\nC\r\n"));
    EXPECT_TRUE(form->EditSend->isHidden());
    EXPECT_FALSE(form->PanelFile->isHidden());
    EXPECT_FALSE(form->ButtonFile->isEnabled());
    EXPECT_TRUE(form->ButtonText->isEnabled());
    EXPECT_EQ(form->ButtonSend->menu(), nullptr);
    EXPECT_EQ(form->ListView1Model->stringList(), QStringList({"A", "B", "C"}));
    EXPECT_TRUE(readSettingsFile().contains("FilePath=" + tmp.filePath("abc.txt").toUtf8()));

    form->ButtonSend->click();
    EXPECT_EQ(form->ButtonSend->text(), "STOP");
    EXPECT_FALSE(form->ButtonText->isEnabled());
    for (int tick = 0; tick < 3; ++tick)
        form->TimerSendPeriodicallyTimer();
    EXPECT_EQ(pty.read(3), "ABC");
    EXPECT_EQ(form->ButtonSend->text(), "STOP");
    form->TimerSendPeriodicallyTimer(); // the end of the list
    EXPECT_EQ(form->ButtonSend->text(), "SEND");
    EXPECT_TRUE(form->ButtonText->isEnabled());
    EXPECT_FALSE(form->TimerSendPeriodically->isActive());
    EXPECT_EQ(terminations, 0);
}

// A remembered file that is a FIFO or a device must neither hang start-up nor eat memory: it
// is a file that cannot be read, said once, and the program starts in text mode.
TEST_F(TransmitWindow, ARememberedSpecialFileIsRefusedAtStartUp) {
    const QString fifo = tmp.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(path.toStdString());
        messages.shown.clear();
        writeSettingsFile("[Settings]\r\nFilePath=" + path.toUtf8() + "\r\n");
        createForm();
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].text, "Cannot open file \"" + path + "\". Not a regular file.");
        EXPECT_FALSE(form->EditSend->isHidden());
        EXPECT_EQ(form->ListView1Model->rowCount(), 0);
        EXPECT_TRUE(readSettingsFile().contains("FilePath=" + path.toUtf8()))
            << "the remembered path stays";
    }
}

TEST_F(TransmitWindow, AutoRepeatAndAutoClose) {
    form->DosyaSec(writeFile("abc.txt", "A\nB\nC"));
    form->CheckBoxRepeat->click();
    form->ButtonSend->click();
    for (int tick = 0; tick < 9; ++tick) // A B C, end of list, A B C, end of list, A
        form->TimerSendPeriodicallyTimer();
    EXPECT_EQ(pty.read(7, 200), "ABCABCA") << "one silent tick between rounds";
    EXPECT_EQ(form->ButtonSend->text(), "STOP");

    form->ButtonSend->click(); // STOP
    EXPECT_FALSE(form->CheckBoxClose->isEnabled()) << "greyed out while Auto Repeat is on";
    form->CheckBoxRepeat->click();
    form->CheckBoxClose->click();
    EXPECT_FALSE(form->CheckBoxRepeat->isChecked());
    EXPECT_FALSE(form->CheckBoxRepeat->isEnabled());
    EXPECT_TRUE(readSettingsFile().contains("FileAutoRepeat=OFF\r\nFileAutoClose=ON\r\n"));
    form->ButtonSend->click();
    for (int tick = 0; tick < 3; ++tick)
        form->TimerSendPeriodicallyTimer();
    EXPECT_EQ(terminations, 0);
    form->TimerSendPeriodicallyTimer();
    EXPECT_EQ(terminations, 1) << "ends like File > Exit after the last row";
    form->CheckBoxClose->click();
    EXPECT_TRUE(form->CheckBoxRepeat->isEnabled());
    EXPECT_FALSE(form->CheckBoxRepeat->isChecked());
}

TEST_F(TransmitWindow, FileModeAndTheListCommands) {
    const QString first = writeFile("one.txt", "1\n2\n3\n");
    form->DosyaSec(first);
    form->DosyaSec(writeFile("two.txt", QByteArray("\xFF\xFE"
                                                   "x\0\n\0y\0",
                                                   8)));
    EXPECT_EQ(form->ListView1Model->stringList(), QStringList({"x", "y"}));

    // A file that exists but cannot be read: a message, and nothing changes.
    form->DosyaSec(tmp.path());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(form->ListView1Model->stringList(), QStringList({"x", "y"}));
    EXPECT_TRUE(readSettingsFile().contains("two.txt"));
    form->DosyaSec(tmp.filePath("missing.txt")); // silently nothing
    EXPECT_EQ(messages.shown.size(), 1);

    form->ListView1->setCurrentIndex(form->ListView1Model->index(0, 0));
    form->Delete1->trigger();
    EXPECT_EQ(form->ListView1Model->stringList(), QStringList({"y"}));
    form->DeleteAll1->trigger();
    EXPECT_TRUE(form->ListView1Model->stringList().isEmpty());

    form->ButtonTextClick();
    EXPECT_FALSE(form->EditSend->isHidden());
    EXPECT_TRUE(form->PanelFile->isHidden());
    EXPECT_TRUE(form->ButtonFile->isEnabled());
    EXPECT_FALSE(form->ButtonText->isEnabled());
    EXPECT_EQ(form->ButtonSend->menu(), form->PopupMenu1);
    EXPECT_TRUE(readSettingsFile().contains("FilePath=\r\n"));

    chosenFile = first;
    form->ButtonFile->click();
    EXPECT_EQ(form->ListView1Model->stringList(), QStringList({"1", "2", "3"}));
}

TEST_F(TransmitWindow, AnEmptyListEndsAtTheFirstTick) {
    form->DosyaSec(writeFile("empty.txt", ""));
    form->ButtonSend->click();
    form->TimerSendPeriodicallyTimer();
    EXPECT_EQ(form->ButtonSend->text(), "SEND");
    EXPECT_EQ(form->BytesSentCount, 0u);
}

} // namespace
