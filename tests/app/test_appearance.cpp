#include "receive/bytecodecs.h"
#include "receive/readpane.h"
#include "support/appformfixture.h"
#include "support/pseudoterminal.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QToolButton>

namespace {

using Appearance = AppFormFixture;

TEST_F(Appearance, DefaultsWithoutStoredKeys) {
    TAppForm& f = createForm();
    EXPECT_EQ(f.Memo1->backgroundColor(), QColor(Qt::white));
    EXPECT_EQ(f.Memo1->textColor(), QColor(Qt::black));
    EXPECT_EQ(f.Memo1->font().family(), QFont("Tahoma").family());
    EXPECT_EQ(f.Memo1->font().pointSize(), 8);
    EXPECT_FALSE(f.Memo1->font().bold() || f.Memo1->font().italic() || f.Memo1->font().underline());
}

TEST_F(Appearance, StoredStyleNumbersAndColours) {
    struct Case {
        int n;
        bool bold, underline, italic;
    };
    const Case cases[] = {{0, false, false, false}, {1, true, false, false},
                          {2, false, true, false},  {3, true, true, false},
                          {4, false, false, true},  {5, true, false, true},
                          {6, false, true, true},   {7, true, true, true},
                          {8, false, false, true},  {9, true, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        writeSettingsFile("[Settings]\r\nBackgroundColor=clcream\r\nTextcolor=#F80\r\n"
                          "Fontname=DejaVu Sans Mono\r\nFontsize=12\r\nFontstyle=" +
                          QByteArray::number(c.n) + "\r\n");
        TAppForm& f = createForm();
        EXPECT_TRUE(messages.shown.isEmpty());
        const QFont font = f.Memo1->font();
        EXPECT_EQ(font.bold(), c.bold);
        EXPECT_EQ(font.underline(), c.underline);
        EXPECT_EQ(font.italic(), c.italic);
        EXPECT_EQ(font.pointSize(), 12);
        EXPECT_EQ(font.family(), "DejaVu Sans Mono");
        EXPECT_EQ(f.Memo1->backgroundColor(), QColor(0xFF, 0xFB, 0xF0));
        EXPECT_EQ(f.Memo1->textColor(), QColor(0xFF, 0x88, 0x00));
    }
}

TEST_F(Appearance, AValueThatDoesNotConvertStopsTheStartUp) {
    const QString rows = tmp.filePath("rows.txt");
    QFile file(rows);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("A\r\n");
    file.close();
    struct Case {
        QByteArray key;
        QString message;
        bool backgroundApplied;
    };
    const Case cases[] = {
        {"Fontsize=abc", "'abc' is not a valid integer value", true},
        {"Fontstyle=bold", "'bold' is not a valid integer value", true},
        {"Textcolor=pink", "'pink' is not a valid color value", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        messages.shown.clear();
        writeSettingsFile("[Settings]\r\nBackgroundColor=clYellow\r\n" + c.key + "\r\nFilePath=" +
                          rows.toUtf8() + "\r\nFileAutoStart=ON\r\nFileAutoRepeat=ON\r\n");
        TAppForm& f = createForm();
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(f.Memo1->backgroundColor() == QColor(Qt::yellow), c.backgroundApplied);
        EXPECT_TRUE(f.EditLogDir->text().isEmpty()) << "the log folder is not applied";
        EXPECT_EQ(f.ListView1Model->rowCount(), 0) << "no file list is loaded";
        EXPECT_FALSE(f.EditSend->isHidden());
        EXPECT_FALSE(f.CheckBoxStart->isChecked());
        EXPECT_FALSE(f.CheckBoxRepeat->isChecked());
        EXPECT_FALSE(readSettingsFile().contains("LogDirectory")) << "nothing was written";
    }
}

TEST_F(Appearance, ChosenColoursAndFontsAreStored) {
    TAppForm& f = createForm();
    const std::pair<QColor, QByteArray> backgrounds[] = {
        {QColor(255, 255, 255), "BackgroundColor=clWhite\r\n"},
        {QColor(255, 128, 0), "BackgroundColor=$000080FF\r\n"},
    };
    for (const auto& [color, line] : backgrounds) {
        QColor offered;
        f.dialogs.chooseColor = [&](const QColor& initial) {
            offered = initial;
            return std::optional<QColor>(color);
        };
        f.ChangeBackgroundColor1->trigger();
        EXPECT_TRUE(readSettingsFile().contains(line));
        EXPECT_EQ(f.Memo1->backgroundColor(), color);
    }
    f.dialogs.chooseColor = [](const QColor&) { return std::optional<QColor>(); }; // cancel
    const QByteArray before = readSettingsFile();
    f.ChangeBackgroundColor1->trigger();
    EXPECT_EQ(readSettingsFile(), before);

    struct Case {
        bool bold, italic, underline;
        QByteArray style;
    };
    const Case styles[] = {
        {true, true, false, "5"}, {false, false, true, "2"}, {true, true, true, "7"}};
    for (const Case& c : styles) {
        f.dialogs.chooseFont = [&](const QFont& current, const QColor&) {
            QFont font = current;
            font.setFamily("DejaVu Serif");
            font.setPointSize(14);
            font.setBold(c.bold);
            font.setItalic(c.italic);
            font.setUnderline(c.underline);
            font.setStrikeOut(true);
            return std::optional(std::pair{font, QColor(0, 0, 128)});
        };
        f.Button4->click(); // the icon button does what Change Font does
        const QByteArray file = readSettingsFile();
        EXPECT_TRUE(file.contains("Textcolor=clNavy\r\nFontname=DejaVu Serif\r\nFontsize=14\r\n"
                                  "Fontstyle=" +
                                  c.style + "\r\n"));
        EXPECT_TRUE(f.Memo1->font().strikeOut()) << "applied for this run, never stored";
        EXPECT_EQ(f.Memo1->textColor(), QColor(0, 0, 128));
    }
}

TEST_F(Appearance, ClearWhileConnected) {
    PseudoTerminal pty;
    const QString rows = tmp.filePath("rows.txt");
    QFile file(rows);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("A\r\nB\r\n");
    file.close();
    TAppForm& f = createForm();
    f.ComboBox1->setEditText(pty.slavePath());
    f.ButtonConnect->click();
    f.DosyaSec(rows);
    f.Memo1->appendText(u"received");
    f.EditSend->setPlainText("typed");
    f.BytesReadCount = 5;
    f.BytesSentCount = 6;
    f.statusPanel(3)->setText("Sent: x");
    f.PendingReceived = "pending";
    f.Button1->click(); // Clear
    EXPECT_TRUE(f.Memo1->isEmpty());
    EXPECT_TRUE(f.EditSend->toPlainText().isEmpty());
    EXPECT_EQ(f.ListView1Model->rowCount(), 0);
    EXPECT_TRUE(f.EditSend->isHidden()) << "still in file mode";
    EXPECT_TRUE(readSettingsFile().contains("FilePath=" + rows.toUtf8()));
    EXPECT_EQ(f.BytesReadCount, 0u);
    EXPECT_EQ(f.BytesSentCount, 0u);
    EXPECT_TRUE(f.statusPanel(3)->text().isEmpty());
    EXPECT_EQ(f.PendingReceived, "pending");
    f.TimerDisplayTimer();
    EXPECT_EQ(f.statusPanel(1)->text(), "Bytes Read: 0");
}

TEST_F(Appearance, SaveWritesThePaneTextExactly) {
    TAppForm& f = createForm();
    f.Memo1->appendText(QStringLiteral("line\r\nnext\u00E9\u20AC"));
    f.Memo1->appendText(QString(QChar(0)) + "end");
    const QString path = tmp.filePath("saved.txt");
    f.dialogs.chooseSaveFile = [&] { return path; };
    f.Button2->click();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("line\r\nnext\xE9?\0end", 16));
    file.close();

    // A capture shown as HEX, longer than what is written at a time: the digits, exactly.
    f.Memo1->clear();
    QString bytes;
    for (int i = 0; i < 500000; ++i)
        bytes += QChar((i * 7) & 0xFF);
    f.Memo1->appendBytes(bytes, ReadView::Hex);
    f.Memo1->appendText(u"\r\n");
    f.Save1->trigger();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == (HexLine(bytes) + "\r\n").toLatin1());

    const QString blocked = tmp.filePath("no/such/folder/saved.txt");
    f.dialogs.chooseSaveFile = [&] { return blocked; };
    f.Save1->trigger();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.startsWith("Cannot create file \"" + blocked + "\". "));
}

TEST_F(Appearance, CopyTakesTheWholeText) {
    TAppForm& f = createForm();
    QApplication::clipboard()->setText("old");
    f.Copy1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "") << "an empty pane copies an empty text";
    f.Memo1->appendText(u"first\r\nsecond");
    f.Memo1->setSelection(0, 3);
    f.Button3->click();
    EXPECT_EQ(QApplication::clipboard()->text(), "first\r\nsecond");
}

} // namespace
