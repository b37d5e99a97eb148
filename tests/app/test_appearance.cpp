#include "app/fontcolordialog.h"
#include "base/desktopfont.h"
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
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <climits>
#include <functional>

namespace {

using Appearance = AppFormFixture;

// A desktop's dark theme: light text on a dark base.
QPalette darkPalette() {
    QPalette p(QColor(0x35, 0x35, 0x35), QColor(0x2b, 0x2b, 0x2b));
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    p.setColor(QPalette::Text, QColor(0xdc, 0xdc, 0xdc));
    p.setColor(QPalette::WindowText, QColor(0xdc, 0xdc, 0xdc));
    p.setColor(QPalette::ButtonText, QColor(0xdc, 0xdc, 0xdc));
    return p;
}

// The application's palette for one test; the one before comes back at the end.
class PaletteScope {
public:
    explicit PaletteScope(const QPalette& palette) { QApplication::setPalette(palette); }
    ~PaletteScope() { QApplication::setPalette(m_before); }
    const QPalette& before() const { return m_before; }

private:
    QPalette m_before = QApplication::palette();
};

// Runs `act` on the font dialog ChangeFont1 opens, while it is open.
void onFontDialog(TAppForm& f, const std::function<void(FontColorDialog&)>& act) {
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<FontColorDialog*>(modal);
        if (!dialog) {
            ADD_FAILURE() << "no font dialog open";
            if (modal)
                modal->close();
            return;
        }
        act(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            dialog->reject();
        }
    });
    f.ChangeFont1->trigger();
}

// The controls of the embedded font chooser a key can be typed into.
QList<QWidget*> fontControls(FontColorDialog& dialog) {
    QList<QWidget*> controls;
    for (QWidget* w : dialog.fontChooser()->findChildren<QWidget*>())
        if (w->window() == &dialog && w->focusPolicy() != Qt::NoFocus && w->isVisibleTo(&dialog))
            controls << w;
    return controls;
}

TEST_F(Appearance, DefaultsWithoutStoredKeys) {
    TAppForm& f = createForm();
    EXPECT_EQ(f.Memo1->backgroundColor(), QColor(Qt::white));
    EXPECT_EQ(f.Memo1->textColor(), QColor(Qt::black));
    // Tahoma where installed, else the desktop's sans-serif face: always one that is drawn.
    EXPECT_EQ(f.Memo1->font().family(), desktopFontFamily());
    EXPECT_EQ(familyInUse(f.Memo1->font()), f.Memo1->font().family());
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

TEST_F(Appearance, ThePaneTakesThePalettesColoursUntilAColourIsStored) {
    const QPalette dark = darkPalette();
    PaletteScope scope(dark);
    const QPalette light = scope.before();
    ASSERT_NE(light.color(QPalette::Base), dark.color(QPalette::Base));
    const auto base = [](const QPalette& p) { return p.color(QPalette::Base); };
    const auto text = [](const QPalette& p) { return p.color(QPalette::Text); };
    const auto fixed = [](QColor c) { return [c](const QPalette&) { return c; }; };
    struct Case {
        QByteArray keys;
        std::function<QColor(const QPalette&)> background, textColor;
    };
    const Case cases[] = {
        {"", base, text},
        {"BackgroundColor=clWhite\r\nTextcolor=clBlack\r\n", fixed(Qt::white), fixed(Qt::black)},
        {"BackgroundColor=$00003300\r\n", fixed(QColor(0, 0x33, 0)), text},
        {"BackgroundColor=clWindow\r\nTextcolor=clDefault\r\n", base, text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys.toStdString());
        QApplication::setPalette(dark);
        writeSettingsFile("[Settings]\r\n" + c.keys);
        TAppForm& f = createForm();
        EXPECT_EQ(f.Memo1->backgroundColor(), c.background(dark));
        EXPECT_EQ(f.Memo1->textColor(), c.textColor(dark));
        QApplication::setPalette(light); // the desktop's theme changes while Brevane runs
        EXPECT_EQ(f.Memo1->backgroundColor(), c.background(light));
        EXPECT_EQ(f.Memo1->textColor(), c.textColor(light));
    }

    // A new font alone stores the text colour as the palette's, so it keeps following it.
    writeSettingsFile("");
    TAppForm& f = createForm();
    f.dialogs.chooseFont = [](const QFont& current, const QColor& color) {
        QFont font = current;
        font.setPointSize(14);
        return std::optional(std::pair{font, color});
    };
    f.ChangeFont1->trigger();
    EXPECT_TRUE(readSettingsFile().contains("Textcolor=clWindowText\r\n"));
    QApplication::setPalette(dark);
    EXPECT_EQ(f.Memo1->textColor(), text(dark));
    // A background picked is kept as picked.
    f.dialogs.chooseColor = [](const QColor&) { return std::optional(QColor(255, 255, 204)); };
    f.ChangeBackgroundColor1->trigger();
    QApplication::setPalette(light);
    EXPECT_EQ(f.Memo1->backgroundColor(), QColor(255, 255, 204));
    EXPECT_EQ(f.Memo1->textColor(), text(light));
}

// The dialog opens on the face the pane is drawn with and, left as it opened, hands back the
// very font it was given: a stored face that is not installed keeps its name.
TEST(FontColorDialogTest, OpensOnTheFontInUseAndKeepsWhatWasNotChanged) {
    QFont missing("No Such Face", 13);
    missing.setBold(true);
    missing.setItalic(true);
    missing.setUnderline(true);
    QFont bold = desktopFont(11);
    bold.setBold(true);
    for (const QFont& font : {desktopFont(8), bold, missing}) {
        SCOPED_TRACE(font.toString().toStdString());
        FontColorDialog dialog(font, Qt::darkRed);
        const QFont shown = dialog.fontChooser()->currentFont();
        EXPECT_EQ(shown.family(), familyInUse(font));
        EXPECT_EQ(shown.pointSize(), font.pointSize());
        EXPECT_EQ(shown.bold(), font.bold());
        EXPECT_EQ(shown.italic(), font.italic());
        EXPECT_EQ(shown.underline(), font.underline());
        EXPECT_EQ(dialog.selectedFont(), font);
        EXPECT_EQ(dialog.selectedFont().family(), font.family());
        EXPECT_EQ(dialog.selectedColor(), QColor(Qt::darkRed));
    }

    FontColorDialog dialog(missing, Qt::black);
    QFont larger = dialog.fontChooser()->currentFont();
    larger.setPointSize(20);
    dialog.fontChooser()->setCurrentFont(larger);
    EXPECT_EQ(dialog.selectedFont().family(), "No Such Face") << "only the size was changed";
    EXPECT_EQ(dialog.selectedFont().pointSize(), 20);
    EXPECT_TRUE(dialog.selectedFont().bold());

    const QString other = QFontDatabase::families().constLast();
    QFont face = larger;
    face.setFamily(other);
    dialog.fontChooser()->setCurrentFont(face);
    EXPECT_EQ(dialog.selectedFont().family(), other);
}

// Escape in any control of the font part cancels the whole dialog, Enter accepts it; neither
// closes the font part alone.
TEST(FontColorDialogTest, EscapeAndEnterAnywhereEndTheWholeDialog) {
    const std::pair<Qt::Key, QDialog::DialogCode> keys[] = {{Qt::Key_Escape, QDialog::Rejected},
                                                            {Qt::Key_Return, QDialog::Accepted},
                                                            {Qt::Key_Enter, QDialog::Accepted}};
    int count = 0;
    {
        FontColorDialog probe(desktopFont(8), Qt::black);
        count = int(fontControls(probe).size());
    }
    ASSERT_GE(count, 6) << "the three lists and their three edits at least";
    for (const auto& [key, code] : keys) {
        for (int i = 0; i < count; ++i) {
            FontColorDialog dialog(desktopFont(8), Qt::black);
            dialog.open();
            QWidget* control = fontControls(dialog).at(i);
            SCOPED_TRACE(QString("%1 in %2")
                             .arg(QKeySequence(key).toString(), control->metaObject()->className())
                             .toStdString());
            control->setFocus();
            QTest::keyClick(control, key);
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_EQ(dialog.result(), code);
            EXPECT_FALSE(dialog.fontChooser()->isHidden()) << "the font part closed on its own";
        }
    }
}

TEST(FontColorDialogTest, TheColourRowLinesUpWithTheFontPart) {
    FontColorDialog dialog(desktopFont(8), Qt::black);
    dialog.show();
    QLabel* colorLabel = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->text() == "Color:")
            colorLabel = label;
    ASSERT_NE(colorLabel, nullptr);
    int fontLeft = INT_MAX;
    for (QWidget* w : fontControls(dialog))
        fontLeft = std::min(fontLeft, w->mapTo(&dialog, QPoint(0, 0)).x());
    EXPECT_EQ(colorLabel->mapTo(&dialog, QPoint(0, 0)).x(), fontLeft);
}

TEST_F(Appearance, TheFontDialogLeftAsItOpenedChangesNothing) {
    writeSettingsFile("[Settings]\r\nFontname=No Such Face\r\nFontsize=13\r\nFontstyle=1\r\n");
    TAppForm& f = createForm();
    const QByteArray stored = readSettingsFile();
    const QFont before = f.Memo1->font();
    ASSERT_EQ(before.family(), "No Such Face");

    onFontDialog(f, [](FontColorDialog& d) { QTest::keyClick(&d, Qt::Key_Return); });
    EXPECT_EQ(readSettingsFile(), stored) << "OK without a change";
    EXPECT_EQ(f.Memo1->font(), before);

    onFontDialog(f, [](FontColorDialog& d) {
        QListView* faces = d.fontChooser()->findChildren<QListView*>().constFirst();
        faces->setFocus();
        QTest::keyClick(faces, Qt::Key_Escape);
    });
    EXPECT_EQ(readSettingsFile(), stored) << "Escape";

    onFontDialog(f, [](FontColorDialog& d) {
        QFont font = d.fontChooser()->currentFont();
        font.setPointSize(16);
        d.fontChooser()->setCurrentFont(font);
        QTest::keyClick(&d, Qt::Key_Enter);
    });
    const QByteArray file = readSettingsFile();
    for (const char* line : {"Fontname=No Such Face\r\n", "Fontsize=16\r\n", "Fontstyle=1\r\n",
                             "Textcolor=clWindowText\r\n"})
        EXPECT_TRUE(file.contains(line)) << line;
    EXPECT_EQ(f.Memo1->font().family(), "No Such Face");
    EXPECT_TRUE(f.Memo1->font().bold());
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
