#include "port/linuxserialdevice.h"
#include "receive/readpane.h"
#include "support/appformfixture.h"
#include "support/pseudoterminal.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace {

class PortSessionWindow : public AppFormFixture {
protected:
    void SetUp() override { ASSERT_TRUE(pty.isValid()); }

    TAppForm& formOn(const QString& port) {
        TAppForm& f = createForm();
        f.ComboBox1->setEditText(port);
        return f;
    }

    // Every row of the connected / disconnected states.
    static void expectConnected(TAppForm& f, bool connected, const QString& port = QString()) {
        EXPECT_EQ(f.PortConnected, connected);
        EXPECT_EQ(f.PortHandle() != nullptr, connected);
        EXPECT_EQ(f.statusPanel(0)->text(), connected ? "Connected: " + port : QString());
        EXPECT_EQ(f.ButtonConnect->text(), connected ? "DISCONNECT" : "CONNECT");
        EXPECT_EQ(f.ButtonWand->isEnabled(), !connected);
        for (QComboBox* box : {f.ComboBox1, f.ComboBox2, f.ComboBox3, f.ComboBox4, f.ComboBox5})
            EXPECT_EQ(box->isEnabled(), !connected) << box->objectName().toStdString();
        EXPECT_EQ(f.EditSend->isEnabled(), connected);
        EXPECT_EQ(f.ButtonSend->isEnabled(), connected);
        // Just connected: the first display tick is due to show the counters.
        EXPECT_EQ(f.TimerDisplay->isActive(), connected);
        EXPECT_EQ(f.ReadPortNotifier != nullptr && f.ReadPortNotifier->isEnabled(), connected);
    }

    // Whether the line is free again: another program could open it now.
    bool lineIsFree(const QString& path) {
        LinuxSerialDevice other(path);
        const bool free = !other.open();
        other.close();
        return free;
    }

    PseudoTerminal pty;
};

TEST_F(PortSessionWindow, ConnectAndDisconnect) {
    TAppForm& f = formOn(pty.slavePath());
    f.BytesReadCount = 7;
    f.BytesSentCount = 9;
    f.statusPanel(3)->setText("Sent: x");
    f.ButtonConnect->click();
    expectConnected(f, true, pty.slavePath());
    EXPECT_EQ(f.BytesReadCount, 0u);
    EXPECT_EQ(f.BytesSentCount, 0u);
    EXPECT_EQ(f.portSession().lastModeString(), "baud=9600 parity=n data=8 stop=1");
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_FALSE(lineIsFree(pty.slavePath())) << "held for exclusive use";

    // Bytes flow both ways, all 256 values, unchanged.
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    pty.write(all);
    QByteArray got;
    char buffer[512];
    for (int i = 0; i < 200 && got.size() < 256; ++i) {
        DeviceError error;
        const qint64 n = f.PortHandle()->read(buffer, sizeof buffer, &error);
        ASSERT_GE(n, 0) << error.detail.toStdString();
        got.append(buffer, n);
        QThread::msleep(5);
    }
    EXPECT_EQ(got, all);
    DeviceError error;
    EXPECT_EQ(f.PortHandle()->write(all.constData(), all.size(), &error), all.size());
    EXPECT_EQ(pty.read(256), all);

    f.ButtonConnect->click();
    expectConnected(f, false);
    EXPECT_TRUE(f.statusPanel(3)->text().isEmpty());
    EXPECT_TRUE(lineIsFree(pty.slavePath()));
    // The counters keep their values on disconnect.
    f.BytesReadCount = 3;
    f.ComKapa();
    EXPECT_EQ(f.BytesReadCount, 3u);
}

TEST_F(PortSessionWindow, ConnectingAppliesTheLineSettings) {
    struct Case {
        const char *baud, *stop;
        QAction* TAppForm::*option;
        std::uint32_t speed;
        tcflag_t cflagSet, iflagSet;
    };
    const Case cases[] = {
        {"9600", "1", &TAppForm::TOOFF, 9600, 0, 0},
        {"14400", "2", &TAppForm::XONON, 14400, CSTOPB, IXON | IXOFF},
        {"256000", "1.5", &TAppForm::OCTSON, 256000, CSTOPB | CRTSCTS, 0},
        {"115200", "1", &TAppForm::RTSHS, 115200, CRTSCTS, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baud);
        TAppForm& f = formOn(pty.slavePath());
        f.ComboBox2->setEditText(c.baud);
        f.ComboBox4->setEditText(std::string(c.stop) == "1.5" ? "5" : "8");
        f.ComboBox5->setEditText(c.stop);
        (f.*c.option)->trigger();
        f.ButtonConnect->click();
        ASSERT_TRUE(f.PortConnected) << messages.shown.value(0).detail.toStdString();
        const termios t = pty.slaveAttributes();
        EXPECT_EQ(pty.slaveSpeed(), c.speed);
        EXPECT_EQ(t.c_cflag & (CSTOPB | CRTSCTS), c.cflagSet);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF), c.iflagSet);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u) << "raw";
        f.ButtonConnect->click();
    }
}

TEST_F(PortSessionWindow, SettingsTheLineCannotTakeFailSetupAndCloseThePort) {
    struct Case {
        const char *baud, *data, *stop;
    };
    const Case cases[] = {{"96OO", "8", "1"},        {"0", "8", "1"},      {"-9600", "8", "1"},
                          {"99999999999", "8", "1"}, {"9600", "4", "1"},   {"9600", "9", "1"},
                          {"9600", "8", "3"},        {"9600", "6", "1.5"}, {"9600", "5", "2"}};
    TAppForm& f = formOn(pty.slavePath());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.baud) + " " + c.data + " " + c.stop);
        f.ComboBox2->setEditText(c.baud);
        f.ComboBox4->setEditText(c.data);
        f.ComboBox5->setEditText(c.stop);
        messages.shown.clear();
        f.ButtonConnect->click();
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(messages.shown[0].caption, "ERROR");
        EXPECT_EQ(messages.shown[0].text, "Unable to setup " + pty.slavePath());
        EXPECT_FALSE(messages.shown[0].detail.isEmpty());
        expectConnected(f, false);
        EXPECT_TRUE(lineIsFree(pty.slavePath()));
    }
}

TEST_F(PortSessionWindow, PortsThatCannotBeOpened) {
    LinuxSerialDevice holder(pty.slavePath());
    ASSERT_FALSE(holder.open());
    const QString missing = tmp.filePath("no-such-port");
    for (const QString& port : {missing, pty.slavePath()}) {
        SCOPED_TRACE(port.toStdString());
        TAppForm& f = formOn(port);
        messages.shown.clear();
        f.ButtonConnect->click();
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].caption, "ERROR");
        EXPECT_EQ(messages.shown[0].text, "Unable to connect to " + port);
        EXPECT_FALSE(messages.shown[0].detail.isEmpty());
        expectConnected(f, false);
    }
}

TEST_F(PortSessionWindow, LoopbackPortEchoes) {
    TAppForm& f = formOn("loop://");
    f.ButtonConnect->click();
    expectConnected(f, true, "loop://");
    DeviceError error;
    EXPECT_EQ(f.PortHandle()->write("PING", 4, &error), 4);
    char buffer[16] = {};
    EXPECT_EQ(f.PortHandle()->read(buffer, sizeof buffer, &error), 4);
    EXPECT_EQ(QByteArray(buffer, 4), "PING");
}

TEST_F(PortSessionWindow, AdvancedTicksChooseTheTokens) {
    TAppForm& f = formOn("loop://");
    const QByteArray fileBefore = readSettingsFile();
    f.DTRHS->trigger();
    f.DTRON->trigger();
    f.RTSHS->trigger();
    f.RTSTG->trigger();
    f.RTSTG->trigger(); // the ticked item again: the group stays as it is
    for (QAction* item : {f.TOON, f.XONON, f.ODSRON, f.OCTSON, f.IDSRON})
        item->trigger();
    EXPECT_TRUE(f.DTRON->isChecked());
    EXPECT_FALSE(f.DTRHS->isChecked());
    EXPECT_FALSE(f.DTROFF->isChecked());
    EXPECT_TRUE(f.RTSTG->isChecked());
    EXPECT_FALSE(f.RTSHS->isChecked());
    f.ButtonConnect->click();
    EXPECT_EQ(f.portSession().lastModeString(),
              "baud=9600 parity=n data=8 stop=1 to=on xon=on odsr=on octs=on dtr=on rts=tg "
              "idsr=on");
    EXPECT_EQ(readSettingsFile(), fileBefore) << "the options are never stored";

    // A change while connected waits for the next connect.
    f.XONOFF->trigger();
    EXPECT_TRUE(f.portSession().lastModeString().contains(" xon=on"));
    f.ButtonConnect->click();
    f.ButtonConnect->click();
    EXPECT_FALSE(f.portSession().lastModeString().contains(" xon=on"));
}

TEST_F(PortSessionWindow, AutoDetectPicksTheFirstPortThatOpens) {
    PseudoTerminal held, second;
    LinuxSerialDevice holder(held.slavePath());
    ASSERT_FALSE(holder.open());
    portList = {tmp.filePath("missing"), held.slavePath(), pty.slavePath(), second.slavePath()};
    TAppForm& f = formOn("COM1");
    f.ButtonWand->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(f.ComboBox1->currentText(), pty.slavePath());
    EXPECT_EQ(f.settings().ReadString("Settings", "Port", ""), pty.slavePath());
    EXPECT_TRUE(readSettingsFile().contains("Port=" + pty.slavePath().toUtf8() + "\r\n"));
    expectConnected(f, false);
    EXPECT_TRUE(lineIsFree(pty.slavePath()));
}

TEST_F(PortSessionWindow, AutoDetectWarnsWhenNoPortOpens) {
    LinuxSerialDevice holder(pty.slavePath());
    ASSERT_FALSE(holder.open());
    PseudoTerminal free;
    struct Case {
        QStringList ports;
        QString baud;
    };
    const Case cases[] = {
        {{tmp.filePath("missing"), pty.slavePath()}, "9600"}, // missing, held
        {{free.slavePath()}, "fast"},                         // opens, but setup fails
    };
    for (const Case& c : cases) {
        portList = c.ports;
        TAppForm& f = formOn("typed-name");
        f.ComboBox2->setEditText(c.baud);
        messages.shown.clear();
        f.ButtonWand->click();
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
        EXPECT_EQ(messages.shown[0].caption, "WARNING");
        EXPECT_EQ(messages.shown[0].text, "No port detected!");
        EXPECT_EQ(f.ComboBox1->currentText(), "typed-name");
        expectConnected(f, false);
    }
}

TEST_F(PortSessionWindow, AVanishedDeviceLeavesTheWindowConnected) {
    TAppForm& f = formOn(pty.slavePath());
    f.ButtonConnect->click();
    pty.closeMaster();
    char buffer[64];
    DeviceError error;
    for (int i = 0; i < 100; ++i)
        EXPECT_LE(f.PortHandle()->read(buffer, sizeof buffer, &error), 0);
    EXPECT_LT(f.PortHandle()->write("x", 1, &error), 1);
    expectConnected(f, true, pty.slavePath());
    f.close(); // closing the window closes the port
    expectConnected(f, false);
}

// Waits (briefly, tolerantly) for the event loop to deliver what `done` looks for.
bool processEventsUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST_F(PortSessionWindow, ReadsWhenTheLineHasDataAndTheDisplayTickSleepsWhenIdle) {
    TAppForm& f = formOn(pty.slavePath());
    f.ButtonConnect->click();
    f.TimerDisplayTimer(); // shows the counters of the new connection
    EXPECT_EQ(f.statusPanel(1)->text(), "Bytes Read: 0");
    f.TimerDisplayTimer(); // nothing new: the tick stops until something happens
    EXPECT_FALSE(f.TimerDisplay->isActive());

    pty.write("ping");
    ASSERT_TRUE(processEventsUntil([&] { return f.BytesReadCount == 4; }));
    EXPECT_TRUE(f.TimerDisplay->isActive());
    ASSERT_TRUE(processEventsUntil([&] { return f.Memo1->toPlainText() == "ping"; }));
    EXPECT_EQ(f.statusPanel(1)->text(), "Bytes Read: 4");
    ASSERT_TRUE(processEventsUntil([&] { return !f.TimerDisplay->isActive(); }));

    f.EditSend->setPlainText("ab");
    f.ButtonSend->click();
    EXPECT_TRUE(f.TimerDisplay->isActive()) << "a send wakes the display tick";
    ASSERT_TRUE(processEventsUntil([&] { return f.statusPanel(2)->text() == "Bytes Sent: 2"; }));
}

TEST_F(PortSessionWindow, UnpluggedDeviceIsOpenedAgainWithTheSameSettingsWhenItComesBack) {
    // A link stands for the device: the same name leads to another line after the "replug".
    const QString link = tmp.filePath("ttyLINK");
    ASSERT_TRUE(QFile::link(pty.slavePath(), link));
    TAppForm& f = formOn(link);
    f.ComboBox2->setEditText("19200");
    f.ButtonConnect->click();
    ASSERT_TRUE(f.PortConnected);

    pty.closeMaster();
    ASSERT_TRUE(processEventsUntil([&] { return f.DeviceGone; }));
    EXPECT_TRUE(f.PortConnected);
    EXPECT_EQ(f.ButtonConnect->text(), "DISCONNECT");
    EXPECT_EQ(f.PortHandle(), nullptr);
    EXPECT_EQ(f.ReadPortNotifier, nullptr) << "a hung-up descriptor would wake the window for ever";
    EXPECT_EQ(f.statusPanel(0)->text(), "Connected: " + link + " (device gone, waiting)");
    EXPECT_EQ(f.statusPanel(0)->toolTip(), f.statusPanel(0)->text());
    EXPECT_TRUE(f.TimerReconnect->isActive());

    f.EditSend->setPlainText("x");
    f.ButtonSend->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, "Unable to write to " + link);
    EXPECT_EQ(messages.shown[0].detail,
              link + ": the device is gone (unplugged or closed at its other end); it is opened "
                     "again once it is back");

    f.TimerReconnectTimer(); // still gone: the link leads nowhere that opens
    EXPECT_TRUE(f.DeviceGone);

    PseudoTerminal replugged;
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(replugged.slavePath(), link));
    f.TimerReconnectTimer();
    EXPECT_FALSE(f.DeviceGone);
    EXPECT_FALSE(f.TimerReconnect->isActive());
    EXPECT_EQ(f.statusPanel(0)->text(), "Connected: " + link + " (device back at 14:05:00)");
    EXPECT_EQ(PseudoTerminal::kernelOutSpeed(f.PortHandle()->readDescriptor()), 19200u);

    replugged.write("back");
    ASSERT_TRUE(processEventsUntil([&] { return f.BytesReadCount == 4; }));
    f.EditSend->setPlainText("on");
    f.ButtonSend->click();
    EXPECT_EQ(replugged.read(2), "on");
    EXPECT_EQ(messages.shown.size(), 1);

    f.ButtonConnect->click(); // a disconnect ends the waiting too
    expectConnected(f, false);
    EXPECT_FALSE(f.TimerReconnect->isActive());
}

// A pseudo-terminal's own number goes to the next terminal opened, perhaps a user's shell:
// one that was opened by that name and closed is never opened again behind the user's back.
TEST_F(PortSessionWindow, APseudoTerminalNamedByItsNumberIsNotTakenBackWhenTheNumberIsReused) {
    TAppForm& f = formOn(pty.slavePath());
    f.ButtonConnect->click();
    ASSERT_TRUE(f.PortConnected);
    EXPECT_FALSE(f.portSession().canReopen());

    const QString path = pty.slavePath();
    pty.closeMaster();
    ASSERT_TRUE(processEventsUntil([&] { return f.DeviceGone; }));
    EXPECT_EQ(f.statusPanel(0)->text(), "Connected: " + path + " (device gone)");
    EXPECT_FALSE(f.TimerReconnect->isActive());

    PseudoTerminal next; // the kernel hands out the lowest free number, very likely the same
    f.TimerReconnectTimer();
    f.refreshPortList();
    EXPECT_TRUE(f.DeviceGone);
    EXPECT_EQ(f.PortHandle(), nullptr);
    f.ButtonConnect->click(); // disconnecting still works
    expectConnected(f, false);
}

TEST_F(PortSessionWindow, DeviceIsKnownAgainByItsStableNameUnderAnotherPath) {
    QDir().mkpath(tmp.filePath("by-id"));
    const QString stable = tmp.filePath("by-id/usb-Maker_Adapter_A1B2-if00-port0");
    ASSERT_TRUE(QFile::link(pty.slavePath(), stable));
    TAppForm& f = formOn(pty.slavePath());
    f.ButtonConnect->click();
    ASSERT_TRUE(f.PortConnected);
    EXPECT_EQ(f.portSession().identityPath(), stable);

    pty.closeMaster();
    ASSERT_TRUE(processEventsUntil([&] { return f.DeviceGone; }));
    PseudoTerminal replugged; // comes back under another /dev name
    ASSERT_NE(replugged.slavePath(), pty.slavePath());
    ASSERT_TRUE(QFile::remove(stable));
    ASSERT_TRUE(QFile::link(replugged.slavePath(), stable));
    f.TimerReconnectTimer();
    ASSERT_FALSE(f.DeviceGone);
    replugged.write("same device");
    ASSERT_TRUE(processEventsUntil([&] { return f.BytesReadCount == 11; }));
}

} // namespace
