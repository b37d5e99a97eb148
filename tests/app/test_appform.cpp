#include "app/startupvalues.h"
#include "i18n/translate.h"
#include "receive/readpane.h"
#include "support/appformfixture.h"
#include "support/pseudoterminal.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStringListModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

using MainWindow = AppFormFixture;

TEST_F(MainWindow, FirstStartShowsDefaultsAndWritesTheLogFolder) {
    TAppForm& f = createForm();
    EXPECT_EQ(f.windowTitle(), "TARNICK - Brevane");
    EXPECT_EQ(f.ComboBox1->currentText(), "COM1");
    EXPECT_EQ(f.ComboBox2->currentText(), "9600");
    EXPECT_EQ(f.ComboBox3->currentText(), "NO");
    EXPECT_EQ(f.ComboBox4->currentText(), "8");
    EXPECT_EQ(f.ComboBox5->currentText(), "1");
    EXPECT_TRUE(f.RadioButton1->isChecked());
    EXPECT_EQ(f.EditLogDir->text(), desktopFolder);
    EXPECT_TRUE(messages.shown.isEmpty());

    const StartupValues& v = startupValues();
    EXPECT_EQ(v.CompanyName, "TARNICK");
    EXPECT_EQ(v.ProductName, "Brevane");
    EXPECT_EQ(v.MainCaption, "TARNICK - Brevane");
    EXPECT_EQ(v.ShortVersion, "2.0");
    EXPECT_EQ(v.SettingsFolder, programFolder + "/");
    EXPECT_EQ(v.ListSeparator.size(), 1);

    EXPECT_EQ(readSettingsFile(),
              kBom + "[Settings]\r\nLogDirectory=" + desktopFolder.toUtf8() + "\r\n\r\n");
}

TEST_F(MainWindow, SettingsGoToTheUserFolderWhenTheProgramFolderIsNotWritable) {
    QFile probe(programFolder + "/chk.tmp");
    ASSERT_TRUE(probe.open(QIODevice::WriteOnly));
    probe.close();
    createForm();
    const QString userFolder = configHome + "/TARNICK/Brevane/";
    EXPECT_EQ(startupValues().SettingsFolder, userFolder);
    EXPECT_TRUE(QFile::exists(userFolder + "settings.ini"));
    EXPECT_FALSE(QFile::exists(settingsPath()));
}

TEST_F(MainWindow, StoredValuesAreShownAsStored) {
    struct Case {
        QByteArray file;
        QStringList boxes; // Port, BaudRate, Parity, DataBits, StopBits
        QString checkedRadio;
    };
    const Case cases[] = {
        {"[settings]\r\nport=COM3\r\n", {"COM3", "9600", "NO", "8", "1"}, "RadioButton1"},
        {"[Settings]\nPort=COM120\nBaudRate=abc\nParity=odd\nDataBits=9\nStopBits=1.5\n",
         {"COM120", "abc", "odd", "9", "1.5"},
         "RadioButton1"},
        {"[Settings]\r\nPort=\r\nReadType=hex\r\n", {"", "9600", "NO", "8", "1"}, "RadioButton1"},
        {"[Settings]\r\nReadType=HEX\r\n", {"COM1", "9600", "NO", "8", "1"}, "RadioButton2"},
        {"[Settings]\r\nReadType=DEC\r\n", {"COM1", "9600", "NO", "8", "1"}, "RadioButton3"},
        {"[Settings]\r\nReadType=OCT\r\n", {"COM1", "9600", "NO", "8", "1"}, "RadioButton4"},
        {"[Settings]\r\nReadType=BIN\r\n", {"COM1", "9600", "NO", "8", "1"}, "RadioButton5"},
        {"[Settings]\r\nReadType= BIN \r\n[Settings]\r\nPort=COM9\r\n",
         {"COM1", "9600", "NO", "8", "1"},
         "RadioButton5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        writeSettingsFile(c.file);
        TAppForm& f = createForm();
        const QComboBox* boxes[] = {f.ComboBox1, f.ComboBox2, f.ComboBox3, f.ComboBox4,
                                    f.ComboBox5};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(boxes[i]->currentText(), c.boxes[i]) << i;
        EXPECT_TRUE(f.findChild<QRadioButton*>(c.checkedRadio)->isChecked());
        // Putting the stored texts in is no change of the user's: the file keeps them.
        EXPECT_EQ(f.settings().ReadString("Settings", "Port", "COM1"), c.boxes[0]);
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MainWindow, StartUpAppliesSettingsInItsFixedOrder) {
    writeSettingsFile("[Settings]\r\nFileAutoStart=ON\r\nFileAutoClose=ON\r\n"
                      "FileAutoRepeat=ON\r\nReadType=OCT\r\nPort=COM7\r\n");
    TAppForm& f = createForm(false);
    QStringList order;
    auto watch = [&](auto* sender, auto signal, const char* name) {
        QObject::connect(sender, signal, [&order, name] { order << name; });
    };
    for (QComboBox* box : {f.ComboBox1, f.ComboBox2, f.ComboBox3, f.ComboBox4, f.ComboBox5})
        watch(box, &QComboBox::editTextChanged, "box changed");
    watch(f.RadioButton4, &QRadioButton::clicked, "RadioButton4");
    watch(f.EditLogDir, &QLineEdit::textChanged, "EditLogDir");
    watch(f.CheckBoxRepeat, &QCheckBox::toggled, "CheckBoxRepeat");
    watch(f.CheckBoxClose, &QCheckBox::toggled, "CheckBoxClose");
    watch(f.CheckBoxStart, &QCheckBox::toggled, "CheckBoxStart");
    f.FormCreate();

    // Repeat is ticked, then Close is ticked and its handler unticks Repeat (seen here before
    // Close's own change, since the window's handler runs first), then Start.
    EXPECT_EQ(order, QStringList({"RadioButton4", "EditLogDir", "CheckBoxRepeat", "CheckBoxRepeat",
                                  "CheckBoxClose", "CheckBoxStart"}));
    EXPECT_EQ(f.ComboBox1->currentText(), "COM7");
    EXPECT_TRUE(f.CheckBoxClose->isChecked());
    EXPECT_FALSE(f.CheckBoxRepeat->isChecked());
    EXPECT_FALSE(f.CheckBoxRepeat->isEnabled());
    EXPECT_TRUE(f.CheckBoxClose->isEnabled());
    EXPECT_TRUE(f.CheckBoxStart->isChecked());
    // Each handler wrote its key back at once, in place.
    EXPECT_EQ(readSettingsFile(),
              kBom +
                  "[Settings]\r\nFileAutoStart=ON\r\nFileAutoClose=ON\r\nFileAutoRepeat=OFF\r\n"
                  "ReadType=OCT\r\nPort=COM7\r\nLogDirectory=" +
                  desktopFolder.toUtf8() + "\r\n\r\n");
}

TEST_F(MainWindow, BadSettingsFilesStillStart) {
    QByteArray junk(64 * 1024, Qt::Uninitialized);
    QRandomGenerator gen(7);
    for (char& c : junk)
        c = char(gen.bounded(256));
    QByteArray big = "[Settings]\r\nPort=COM4\r\n";
    while (big.size() < 10 * 1024 * 1024)
        big += "Key" + QByteArray::number(big.size()) + "=some value here\r\nno equals sign\r\n";
    // Files that are not text get one message and are kept aside; the others start quietly.
    const std::pair<QByteArray, bool> files[] = {
        {junk, true},
        {kBom, false},
        {"\xff\xfe[Settings]\r\nPort=\xc3\x28\r\n", true}, // a UTF-16 mark on an odd length
        {"Port=COM5\r\n[Settings]\r\nno equals\r\nPORT\r\n", false},
        {big, false},
    };
    for (const auto& [file, told] : files) {
        QFile::remove(settingsPath() + ".unreadable");
        messages.shown.clear();
        writeSettingsFile(file);
        TAppForm& f = createForm();
        EXPECT_TRUE(f.ComboBox1->currentText() == "COM1" || f.ComboBox1->currentText() == "COM4");
        EXPECT_EQ(f.EditLogDir->text(), desktopFolder);
        EXPECT_EQ(messages.shown.size(), told ? 1 : 0);
        EXPECT_EQ(QFile::exists(settingsPath() + ".unreadable"), told);
    }
}

TEST_F(MainWindow, EveryChangeOfABoxWritesItsKey) {
    TAppForm& f = createForm();
    const std::pair<QComboBox*, const char*> boxes[] = {{f.ComboBox1, "Port"},
                                                        {f.ComboBox2, "BaudRate"},
                                                        {f.ComboBox3, "Parity"},
                                                        {f.ComboBox4, "DataBits"},
                                                        {f.ComboBox5, "StopBits"}};
    for (const auto& [box, key] : boxes) {
        SCOPED_TRACE(key);
        box->setCurrentIndex(1); // picked from the list
        EXPECT_TRUE(
            readSettingsFile().contains(key + ("=" + box->currentText().toUtf8()) + "\r\n"));
        box->lineEdit()->clear();
        for (QChar c : QStringLiteral("x7")) // typed, each keystroke is a change
            box->lineEdit()->insert(c);
        EXPECT_TRUE(readSettingsFile().contains(QByteArray(key) + "=x7\r\n"));
    }
    f.RadioButton3->click();
    EXPECT_TRUE(readSettingsFile().contains("ReadType=DEC\r\n"));
    f.EditLogDir->setText("/logs");
    EXPECT_TRUE(readSettingsFile().contains("LogDirectory=/logs\r\n"));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MainWindow, FileProblemsAreShownAndTheStoreStaysUsable) {
    // A folder in place of settings.ini cannot be read: it is set aside, said once, and the
    // window starts from the defaults and saves as usual.
    ASSERT_TRUE(QDir().mkpath(settingsPath() + "/inside"));
    TAppForm& f = createForm();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages.shown[0].caption, "ERROR");
    EXPECT_EQ(messages.shown[0].text, "Cannot read file \"" + settingsPath() +
                                          "\". Is a directory. It is kept as \"" + settingsPath() +
                                          ".unreadable\", and the settings start from their "
                                          "defaults.");
    EXPECT_TRUE(QFileInfo(settingsPath() + ".unreadable/inside").isDir());
    EXPECT_TRUE(readSettingsFile().contains("LogDirectory="));

    // A write that fails is shown, and the store keeps the value for the next write.
    QFile::remove(settingsPath());
    ASSERT_TRUE(QDir().mkpath(settingsPath() + "/inside"));
    f.ComboBox2->setEditText("19200");
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1].text,
              "Cannot create file \"" + settingsPath() + "\". Is a directory");
    EXPECT_EQ(f.settings().ReadString("Settings", "BaudRate", ""), "19200");
}

TEST_F(MainWindow, Layout) {
    TAppForm& f = createForm();
    struct Control {
        const char* name;
        QString text;
        bool enabled;
        bool visible;
        QString hint = QString();
    };
    const Control controls[] = {
        {"Label1", "Port", true, true},
        {"Label2", "Baud rate", true, true},
        {"Label3", "Parity", true, true},
        {"Label4", "Data bits", true, true},
        {"Label5", "Stop bits", true, true},
        {"ButtonConnect", "CONNECT", true, true},
        {"ButtonWand", "", true, true, "Auto Detect"},
        {"ButtonText", "Text", false, true},
        {"ButtonFile", "File", true, true},
        {"PanelFile", "", true, false},
        {"CheckBoxStart", "Auto Start", true, false},
        {"CheckBoxRepeat", "Auto Repeat", true, false},
        {"CheckBoxClose", "Auto Close", true, false},
        {"ButtonSend", "SEND", false, true},
        {"RadioButton1", "ASCII", true, true},
        {"RadioButton2", "HEX", true, true, "Hexadecimal"},
        {"RadioButton3", "DEC", true, true, "Decimal"},
        {"RadioButton4", "OCT", true, true, "Octal"},
        {"RadioButton5", "BIN", true, true, "Binary"},
        {"ButtonLog", "Start Logging", true, true},
        {"Label6", "Directory:", false, true},
        {"EditLogDir", "", false, true},
        {"Button7", "Browse...", false, true},
        {"StatusBar1Panel1", "Bytes Read: 0", true, true},
        {"StatusBar1Panel2", "Bytes Sent: 0", true, true},
    };
    f.show();
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        auto* w = f.findChild<QWidget*>(c.name);
        ASSERT_NE(w, nullptr);
        if (!c.text.isEmpty()) {
            EXPECT_EQ(w->property("text").toString(), c.text);
        }
        EXPECT_EQ(w->isEnabled(), c.enabled);
        EXPECT_EQ(w->isVisible(), c.visible);
        EXPECT_EQ(w->toolTip(), c.hint);
    }
    EXPECT_EQ(f.ComboBox1->count(), 99);
    EXPECT_EQ(f.ComboBox1->itemText(98), "COM99");
    EXPECT_EQ(f.ComboBox2->count(), 15);
    EXPECT_EQ(f.ComboBox2->itemText(14), "256000");
    EXPECT_TRUE(f.EditSend->isEnabled());
    EXPECT_TRUE(f.Memo1->isEmpty());
    EXPECT_EQ(f.ButtonSend->menu(), f.PopupMenu1);
    EXPECT_EQ(f.focusWidget(), f.ButtonConnect);
    EXPECT_FALSE(f.ButtonConnect->icon().pixmap(32).isNull()) << "icons load";
    EXPECT_FALSE(f.ButtonWand->icon().pixmap(24, QIcon::Disabled).isNull());

    struct Timer {
        const char* name;
        int interval;
        bool running;
    };
    // Reading follows the port's descriptor, so there is no read timer; the reconnect timer
    // runs only while a connected device is gone, the Send Later tick only while an entry waits.
    const Timer timers[] = {{"TimerStart", 10, true},        {"TimerDisplay", 100, false},
                            {"TimerReconnect", 1000, false}, {"TimerSendPeriodically", 100, false},
                            {"TimerSendLater", 1000, false}, {"TimerChecker", 1000, true}};
    for (const Timer& t : timers) {
        auto* timer = f.findChild<QTimer*>(t.name);
        ASSERT_NE(timer, nullptr) << t.name;
        EXPECT_EQ(timer->interval(), t.interval) << t.name;
        EXPECT_EQ(timer->isActive(), t.running) << t.name;
    }
}

// Sizes in device-independent pixels: a 1366 x 768 screen at scale 1.5, a 1920 x 1080 one at 2,
// and a 1280 x 800 one at 2, each less a title bar and a panel.
TEST_F(MainWindow, FitsSmallAndScaledScreensWithNothingClipped) {
    TAppForm& f = createForm();
    f.show();
    const QSize minimum = f.minimumSizeHint();
    for (const QSize screen : {QSize(910, 512), QSize(960, 540), QSize(640, 400)}) {
        SCOPED_TRACE(QString("%1x%2").arg(screen.width()).arg(screen.height()).toStdString());
        EXPECT_LE(minimum.width(), screen.width());
        if (screen.height() >= 512) {
            EXPECT_LE(minimum.height(), screen.height() - 60);
        }
        f.resize(screen.width(), std::max(minimum.height(), screen.height() - 60));
        QApplication::processEvents();
        // Every control lies wholly inside the window and inside the panel that holds it.
        for (QWidget* w : f.findChildren<QWidget*>()) {
            if (!w->isVisible() || w->isWindow() || !w->parentWidget() || qobject_cast<QMenu*>(w) ||
                w->objectName().startsWith("qt_"))
                continue;
            const QRect inWindow(w->mapTo(&f, QPoint(0, 0)), w->size());
            EXPECT_TRUE(f.rect().contains(inWindow)) << w->objectName().toStdString();
            if (w->parentWidget() != &f && !w->parentWidget()->inherits("QAbstractScrollArea") &&
                !w->inherits("QScrollBar")) {
                EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
                    << w->objectName().toStdString() << " in "
                    << w->parentWidget()->objectName().toStdString();
            }
        }
    }
    // The settings take one row when there is room, two when the window is narrow.
    f.resize(900, 480);
    QApplication::processEvents();
    EXPECT_EQ(f.Label5->mapTo(&f, QPoint()).y(), f.Label1->mapTo(&f, QPoint()).y());
    f.resize(640, 480);
    QApplication::processEvents();
    EXPECT_GT(f.Label5->mapTo(&f, QPoint()).y(), f.Label1->mapTo(&f, QPoint()).y());
    EXPECT_GT(f.EditSend->mapTo(&f, QPoint()).y(), f.Label5->mapTo(&f, QPoint()).y());
}

// Every item of the menu bar and the pop-up menus in order: name, caption, state.
QStringList describe(const QMenu* menu, const QString& path) {
    QStringList rows;
    for (const QAction* a : menu->actions()) {
        QString row = path + a->objectName() + " " + (a->isSeparator() ? "-" : a->text());
        if (a->isChecked())
            row += " [x]";
        if (a->isVisible() && !a->isEnabled()) // Qt reports every hidden item as disabled
            row += " disabled";
        if (!a->isVisible())
            row += " hidden";
        if (!a->shortcut().isEmpty())
            row += " " + a->shortcut().toString();
        if (!a->icon().isNull())
            row += " icon";
        rows << row;
        if (a->menu())
            rows += describe(a->menu(), path + "  ");
    }
    return rows;
}

TEST_F(MainWindow, Menus) {
    TAppForm& f = createForm();
    QStringList bar;
    for (const QAction* a : f.menuBar()->actions())
        bar += describe(a->menu(), a->menu()->objectName() + " > ");
    const QStringList expected = {
        "File1 > Clear1 Clear icon",
        "File1 > Save1 Save to File... icon",
        "File1 > N2 -",
        "File1 > Exit1 Exit icon",
        "Edit1 > Copy1 Copy to Clipboard icon",
        "Edit1 > Find1 Find... Ctrl+F",
        "Options1 > ChangeBackgroundColor1 Change Background Color... icon",
        "Options1 > ChangeFont1 Change Font... icon",
        "Options1 > Timestamps1 Timestamps",
        "Options1 > N4 -",
        "Options1 > Advanced1Item Advanced",
        "Options1 >   O1Item TO (Time-out Processing)",
        "Options1 >     TOON ON",
        "Options1 >     TOOFF OFF [x]",
        "Options1 >   XON1Item XON Protocol",
        "Options1 >     XONON ON",
        "Options1 >     XONOFF OFF [x]",
        "Options1 >   ODSR1Item ODSR (Data Set Ready)",
        "Options1 >     ODSRON ON",
        "Options1 >     ODSROFF OFF [x]",
        "Options1 >   OCTS1Item OCTS (Clear To Send)",
        "Options1 >     OCTSON ON",
        "Options1 >     OCTSOFF OFF [x]",
        "Options1 >   DTR1Item DTR (Data Terminal Ready)",
        "Options1 >     DTRON ON",
        "Options1 >     DTROFF OFF [x]",
        "Options1 >     DTRHS Handshake",
        "Options1 >   RTS1Item RTS (Request To Send)",
        "Options1 >     RTSON ON",
        "Options1 >     RTSOFF OFF [x]",
        "Options1 >     RTSHS Handshake",
        "Options1 >     RTSTG Toggle",
        "Options1 >   IDSR1Item IDSR (DSR Circuit Sensitivity)",
        "Options1 >     IDSRON ON",
        "Options1 >     IDSROFF OFF [x]",
        "Options1 > ChangeSendPeriod1 Change Send Period...",
        "Options1 > SendFormat1Item Send Format",
        "Options1 >   ASCII1 ASCII [x]",
        "Options1 >   HEX1 HEX",
        "Options1 >   BIN1 BIN",
        "Options1 > N1 -",
        "Options1 > ResettoDefaults1 Reset to Defaults...",
        "ools1 > SendLater2 Send Later...",
        "Help1 > Help2 Online Help F1 icon",
        "Help1 > N3 -",
        "Help1 > UpdateNotifications1 Update Notifications [x] disabled",
        "Help1 > UpdateNotificationsBar -",
        "Help1 > Language1 Language... icon",
        "Help1 > SendFeedback1 Send &Feedback... icon",
        "Help1 > About1 &About... icon",
    };
    EXPECT_EQ(bar, expected);
    EXPECT_TRUE(f.Language1->isEnabled());
    QStringList menuTitles;
    for (const QAction* a : f.menuBar()->actions())
        menuTitles << a->text();
    // The same words, each with its first letter as the access key (Alt+F, Alt+E, ...).
    EXPECT_EQ(menuTitles, QStringList({"&File", "&Edit", "&Options", "&Tools", "&Help"}));
    for (const QString& title : menuTitles)
        EXPECT_EQ(QKeySequence::mnemonic(title),
                  QKeySequence(Qt::ALT | Qt::Key(title.at(1).toUpper().unicode())));
    EXPECT_EQ(describe(f.PopupMenu1, ""), QStringList({"SendPeriodically1 Send Periodically icon",
                                                       "SendLater1 Send Later..."}));
    EXPECT_EQ(describe(f.PopupMenu2, ""),
              QStringList({"Delete1 Delete Selected", "DeleteAll1 Delete All"}));

    // Exactly one tick per group, whatever is picked.
    f.RTSTG->trigger();
    EXPECT_TRUE(f.RTSTG->isChecked());
    EXPECT_FALSE(f.RTSOFF->isChecked());
}

TEST_F(MainWindow, ResetToDefaults) {
    struct Case {
        MessageButton answer;
        bool settingsFileExists;
        bool restarts;
    };
    const Case cases[] = {
        {MessageButton::Yes, true, true},
        {MessageButton::Yes, false, true},
        {MessageButton::No, true, false},
        {MessageButton::None, true, false}, // the close box
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.answer));
        startedPrograms.clear();
        terminations = 0;
        writeSettingsFile("[Settings]\r\nPort=COM3\r\n");
        TAppForm& f = createForm();
        if (!c.settingsFileExists)
            QFile::remove(settingsPath());
        messages.shown.clear();
        messages.answers = {c.answer};
        f.ResettoDefaults1->trigger();

        ASSERT_EQ(messages.shown.size(), 1);
        expectRestartQuestion(messages.shown[0]);
        EXPECT_EQ(QFile::exists(settingsPath()), c.settingsFileExists && !c.restarts);
        EXPECT_EQ(startedPrograms.size(), c.restarts ? 1 : 0);
        EXPECT_EQ(terminations, c.restarts ? 1 : 0);
        if (c.restarts) {
            // The old copy writes nothing more on its way out.
            f.ComboBox1->setEditText("COM8");
            EXPECT_FALSE(QFile::exists(settingsPath()));
        }
    }
}

// A settings file kept as a link (dotfiles) stays a link through Reset: its target is emptied,
// so the new copy starts from the defaults and later writes still go through the link.
TEST_F(MainWindow, ResetToDefaultsKeepsALinkedSettingsFile) {
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("dotfiles")));
    const QString target = tmp.filePath("dotfiles/brevane.ini");
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\r\nPort=COM3\r\n");
    file.close();
    ASSERT_TRUE(QFile::link(target, settingsPath()));
    TAppForm& f = createForm();
    messages.answers = {MessageButton::Yes};
    f.ResettoDefaults1->trigger();
    EXPECT_TRUE(QFileInfo(settingsPath()).isSymLink());
    EXPECT_EQ(QFileInfo(target).size(), 0);
    EXPECT_EQ(startedPrograms.size(), 1);

    TAppForm& next = createForm();
    EXPECT_EQ(next.ComboBox1->currentText(), "COM1");
    EXPECT_TRUE(QFileInfo(settingsPath()).isSymLink());
}

// Temporaries of writes a killed copy left half done are removed at start; other files that
// merely look alike are not.
TEST_F(MainWindow, StartUpRemovesTheTemporariesOfKilledWrites) {
    const QStringList stale = {"settings.ini.brevane-Ab12Cd.tmp",
                               "sendlater.csv.brevane-Zz99Yy.tmp", "start.sh.brevane-Qq77Rr.tmp"};
    const QStringList foreign = {"settings.ini.Ab12Cd", "notes.brevane-Ab12Cd.tmp"};
    for (const QString& name : stale + foreign) {
        QFile file(programFolder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    createForm();
    for (const QString& name : stale)
        EXPECT_FALSE(QFile::exists(programFolder + "/" + name)) << name.toStdString();
    for (const QString& name : foreign)
        EXPECT_TRUE(QFile::exists(programFolder + "/" + name)) << name.toStdString();
}

// The boxes whose text is stored never hold a line break: a paste keeps its first line, and
// what the box shows is what is stored and what the next start shows.
TEST_F(MainWindow, StoredBoxesHoldOneLine) {
    TAppForm& f = createForm();
    f.ButtonLogClick();
    f.EditLogDir->setText("path\n[Other]\nz");
    EXPECT_EQ(f.EditLogDir->text(), "path");
    f.EditLogDir->setText("/logs/\n");
    EXPECT_EQ(f.EditLogDir->text(), "/logs/");
    f.EditLogDir->setCursorPosition(1);
    f.EditLogDir->insert("my\r\npasted"); // a paste goes through insert()
    EXPECT_EQ(f.EditLogDir->text(), "/mylogs/");
    EXPECT_FALSE(readSettingsFile().contains("[Other]"));
    EXPECT_TRUE(readSettingsFile().contains("LogDirectory=/mylogs/\r\n"));

    for (QComboBox* box : {f.ComboBox1, f.ComboBox2, f.ComboBox3, f.ComboBox4, f.ComboBox5}) {
        box->setEditText("x\r\ny");
        EXPECT_EQ(box->currentText(), "x") << box->objectName().toStdString();
    }
    EXPECT_TRUE(readSettingsFile().contains("\r\nPort=x\r\n"));
    EXPECT_TRUE(messages.shown.isEmpty());

    TAppForm& next = createForm();
    EXPECT_EQ(next.EditLogDir->text(), "/mylogs/");
    EXPECT_EQ(next.ComboBox1->currentText(), "x");
}

// The language of a run: the stored choice of the language window, else the table's file for
// the messages locale; Reset to Defaults forgets the choice.
TEST_F(MainWindow, StartUpLoadsTheChosenLanguageElseTheLocales) {
    const QString languages = programFolder + "/Languages";
    ASSERT_TRUE(QDir().mkpath(languages));
    const std::pair<const char*, QByteArray> files[] = {
        {"German.lang.txt", "\xEF\xBB\xBF{WARNING}WARNUNG\r\n"},
        {"French.lang.txt", "\xEF\xBB\xBF{WARNING}AVERTISSEMENT\r\n"},
        {"LanguageCodes.csv", "1031,German.lang.txt\r\n7,German.lang.txt\r\n"},
    };
    for (const auto& [name, bytes] : files) {
        QFile file(languages + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const auto warningCaption = [this] {
        messages.shown.clear();
        form->ButtonSendClick(); // "Nothing to send!" under the translated caption
        return messages.shown.value(0).caption;
    };
    const struct {
        QByteArray locale;
        QByteArray stored;
        QString caption;
    } cases[] = {
        {"de_DE.UTF-8", "", "WARNUNG"},
        {"de", "", "WARNUNG"},
        {"C", "", "WARNING"},
        {"de_DE.UTF-8", "LanguageFile=French.lang.txt\r\n", "AVERTISSEMENT"},
        {"de_DE.UTF-8", "LanguageFile=English\r\n", "WARNING"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.constData() + (" " + c.stored).toStdString());
        messagesLocaleName = c.locale;
        writeSettingsFile("[Settings]\r\n" + c.stored);
        createForm();
        EXPECT_EQ(warningCaption(), c.caption);
    }

    messages.answers = {MessageButton::Yes};
    form->ResettoDefaults1Click();
    createForm();
    EXPECT_EQ(warningCaption(), "WARNUNG");
    setActiveLanguage({});
}

TEST_F(MainWindow, ResetQuestionIsTranslated) {
    TAppForm& f = createForm(); // loads no language: there is no language folder
    setActiveLanguage({"/l/Deutsch.lang.txt",
                       {"{Restart Application?}Anwendung neu starten?", "{Confirmation}Bestätigung",
                        "{Yes}Ja", "{No}Nein"}});
    f.ResettoDefaults1Click();
    setActiveLanguage({});
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, "Anwendung neu starten?");
    EXPECT_EQ(messages.shown[0].caption, QStringLiteral("Bestätigung"));
    EXPECT_EQ(messages.shown[0].buttonCaptions, QStringList({"Ja", "Nein"}));
    EXPECT_EQ(terminations, 0);
}

TEST_F(MainWindow, StartTimerRunsOnceAndAutoStartsOnlyAFileList) {
    PseudoTerminal pty;
    const QString missing = tmp.filePath("missing-port");
    writeSettingsFile("[Settings]\r\nFileAutoStart=ON\r\nPort=" + missing.toUtf8() + "\r\n");
    TAppForm& f = createForm();
    QSignalSpy connectClicks(f.ButtonConnect, &QPushButton::clicked);
    QSignalSpy sendClicks(f.ButtonSend, &QToolButton::clicked);
    f.TimerStartTimer();
    EXPECT_FALSE(f.TimerStart->isActive());
    EXPECT_EQ(connectClicks.size(), 0) << "no file list, nothing to start";

    f.ListView1Model->setStringList({"PING"});
    f.TimerStartTimer();
    EXPECT_EQ(connectClicks.size(), 1);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, "Unable to connect to " + missing);
    EXPECT_EQ(sendClicks.size(), 0) << "nothing is sent when the port does not open";

    f.ComboBox1->setEditText(pty.slavePath());
    f.TimerStartTimer();
    EXPECT_TRUE(f.PortConnected);
    EXPECT_EQ(sendClicks.size(), 1);
}

TEST_F(MainWindow, ExitEndsWithoutClosingTheWindow) {
    TAppForm& f = createForm();
    f.show();
    f.Exit1->trigger();
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(f.isVisible()) << "no close, so the disconnected state is never shown";
}

} // namespace
