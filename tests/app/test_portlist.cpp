#include "app/portbox.h"
#include "port/linuxserialdevice.h"
#include "support/appformfixture.h"
#include "support/files.h"
#include "support/pseudoterminal.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

const SerialPortInfo kFtdi{"/dev/ttyUSB0", "FTDI FT232R USB UART (0403:6001), serial A50285BI",
                           "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"};
const SerialPortInfo kUart{"/dev/ttyS0", "serial8250", ""};

class PortList : public AppFormFixture {
protected:
    PortList() { portList = {"loop://", "COM1", "COM2"}; }

    static QStringList items(const TAppForm& f) {
        QStringList texts;
        for (int i = 0; i < f.ComboBox1->count(); ++i)
            texts << f.ComboBox1->itemText(i);
        return texts;
    }
};

TEST_F(PortList, DevicesAreListedFirstWithWhatIdentifiesThem) {
    portDevices = {kUart, kFtdi};
    TAppForm& f = createForm();
    EXPECT_EQ(items(f), QStringList({"/dev/ttyS0", "/dev/ttyUSB0", "loop://", "COM1", "COM2"}));
    EXPECT_EQ(f.ComboBox1->itemData(1, kPortDescriptionRole).toString(), kFtdi.description);
    EXPECT_EQ(f.ComboBox1->itemData(1, kPortByIdRole).toString(), kFtdi.byIdName);
    EXPECT_EQ(f.ComboBox1->itemData(1, Qt::ToolTipRole).toString(),
              "/dev/ttyUSB0\n" + kFtdi.description + "\n/dev/serial/by-id/" + kFtdi.byIdName);
    EXPECT_EQ(f.ComboBox1->itemData(0, Qt::ToolTipRole).toString(), "/dev/ttyS0\nserial8250");
    EXPECT_TRUE(f.ComboBox1->itemData(2, Qt::ToolTipRole).isNull());

    // The box itself tells what its port is, while its text names a detected device.
    EXPECT_EQ(f.ComboBox1->currentText(), "COM1");
    EXPECT_EQ(f.ComboBox1->toolTip(), "");
    f.ComboBox1->setEditText("/dev/ttyUSB0");
    EXPECT_EQ(f.ComboBox1->toolTip(), f.ComboBox1->itemData(1, Qt::ToolTipRole).toString());

    // The drop-down is wide enough for a name with its description beside it.
    const int nameAndDescription =
        f.ComboBox1->fontMetrics().horizontalAdvance(kFtdi.name + "  " + kFtdi.description);
    EXPECT_GT(f.ComboBox1->view()->minimumWidth(), nameAndDescription);
    f.show();
    f.ComboBox1->showPopup();
    EXPECT_GT(f.ComboBox1->view()->width(), nameAndDescription);
    f.ComboBox1->hidePopup();
}

TEST_F(PortList, ARefreshKeepsTheBoxTextAndWritesNothing) {
    const struct {
        const char* stored; // the Port key at start
        const char* typed;  // then typed by the user; null: none
    } cases[] = {
        {"COM2", nullptr},
        {"/dev/ttyUSB0", nullptr}, // its device goes away below
        {"/dev/serial/by-id/usb-x", nullptr},
        {"COM1", "ttyAC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        portDevices = {kFtdi};
        writeSettingsFile("[Settings]\r\nPort=" + QByteArray(c.stored) + "\r\n");
        TAppForm& f = createForm();
        QLineEdit* edit = f.ComboBox1->lineEdit();
        if (c.typed) {
            QTest::keyClicks(edit, c.typed); // after "COM1"
            edit->setSelection(4, 3);        // "tty", the cursor after it
        }
        const QString text = f.ComboBox1->currentText();
        const int cursor = edit->cursorPosition();
        const QString selected = edit->selectedText();
        const QByteArray file = readSettingsFile();
        QSignalSpy changes(f.ComboBox1, &QComboBox::editTextChanged);

        portDevices = {kUart, {"/dev/ttyACM0", "Arduino Uno (2341:0043)", ""}};
        f.refreshPortList();
        EXPECT_EQ(items(f), QStringList({"/dev/ttyS0", "/dev/ttyACM0", "loop://", "COM1", "COM2"}));
        EXPECT_EQ(f.ComboBox1->currentText(), text);
        EXPECT_EQ(edit->cursorPosition(), cursor);
        EXPECT_EQ(edit->selectedText(), selected);
        EXPECT_EQ(changes.count(), 0);
        EXPECT_EQ(readSettingsFile(), file);
        EXPECT_EQ(f.settings().ReadString("Settings", "Port", ""),
                  c.typed ? "COM1" + QString(c.typed) : QString(c.stored));

        // Picking from the new list is the user's change, and is stored as ever.
        f.ComboBox1->setCurrentIndex(1);
        EXPECT_EQ(f.ComboBox1->currentText(), "/dev/ttyACM0");
        EXPECT_TRUE(readSettingsFile().contains("Port=/dev/ttyACM0\r\n"));
    }
}

TEST_F(PortList, APluggedInDeviceAppearsWhileTheProgramRuns) {
    const QString devFolder = tmp.filePath("dev");
    ASSERT_TRUE(QDir().mkpath(devFolder));
    portWatchFolders = {devFolder};
    TAppForm& f = createForm();
    f.ComboBox1->setEditText("COM2");
    const QByteArray file = readSettingsFile();
    ASSERT_EQ(items(f).first(), "loop://");

    portDevices = {kFtdi};
    writeBytes(devFolder + "/ttyUSB0", QByteArray());
    EXPECT_TRUE(QTest::qWaitFor([&] { return items(f).first() == "/dev/ttyUSB0"; }, 5000));
    EXPECT_EQ(f.ComboBox1->currentText(), "COM2");

    portDevices.clear();
    ASSERT_TRUE(QFile::remove(devFolder + "/ttyUSB0"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return items(f).first() == "loop://"; }, 5000));
    EXPECT_EQ(f.ComboBox1->currentText(), "COM2");
    EXPECT_EQ(readSettingsFile(), file);
}

TEST_F(PortList, AutoDetectLeavesTheLoopbackPortOut) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    portList = {"loop://"};
    TAppForm& f = createForm();
    f.ComboBox1->setEditText("COM9");
    f.ButtonWand->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, "No port detected!");
    EXPECT_EQ(f.ComboBox1->currentText(), "COM9");

    messages.shown.clear();
    portList = {"loop://", pty.slavePath()};
    f.refreshPortList();
    f.ButtonWand->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(f.ComboBox1->currentText(), pty.slavePath());
    EXPECT_EQ(f.settings().ReadString("Settings", "Port", ""), pty.slavePath());
    EXPECT_FALSE(f.PortConnected);
}

TEST_F(PortList, TheBoxShowsAWholeDevicePath) {
    TAppForm& f = createForm();
    f.show();
    QLineEdit* edit = f.ComboBox1->lineEdit();
    for (const char* path : {"/dev/ttyUSB10", "/dev/ttyACM10", "/dev/pts/12"}) {
        SCOPED_TRACE(path);
        f.ComboBox1->setEditText(path); // the cursor at its end
        edit->grab();                   // the edit scrolls its text when painting it
        // Where the text begins: left of the edit's margin only when it was scrolled.
        const QRect cursor = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        EXPECT_GE(cursor.center().x() - edit->fontMetrics().horizontalAdvance(path), 0);
    }
    // The window opens wide enough for the wider box, and centred at that width (give or take
    // the frame's few pixels).
    EXPECT_EQ(f.size(), f.size().expandedTo(f.minimumSizeHint()));
    EXPECT_LE(std::abs(f.geometry().center().x() - f.screen()->availableGeometry().center().x()),
              4);
}

} // namespace
