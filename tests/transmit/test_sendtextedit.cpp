#include "support/qtprinters.h"
#include "transmit/sendtextedit.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <functional>

namespace {

// The codes of a text, for traces: the texts here are mostly control characters.
std::string codes(const QString& text) {
    return text.toUtf8().toPercentEncoding().toStdString();
}

QString allCodes(bool reversed) {
    QString text;
    for (int i = 0; i < 256; ++i)
        text += QChar(reversed ? 255 - i : i);
    return text;
}

TEST(SendTextEdit, GivesBackEveryCharacterItWasGiven) {
    struct Case {
        QString text;
        int blocks;
    };
    const Case cases[] = {
        {"", 1},
        {"A\nB\rC", 1},
        {"A\r\nB", 2},
        {"\r\r\n\n\r", 2},
        {"\n\r", 1}, // LF then CR is no line break
        {"\r\n", 2},
        {QStringLiteral("x\u00A0y\u00ADz"), 1},
        {QStringLiteral("\u2028\u2029\uFDD0\uFDD1\uFFFC"), 1},
        {QStringLiteral("caf\u00E9 \u20AC\t!"), 1},
        {allCodes(false), 1},
        {allCodes(true), 1},
    };
    SendTextEdit box;
    for (const Case& c : cases) {
        SCOPED_TRACE(codes(c.text));
        box.setExactText(c.text);
        EXPECT_EQ(box.exactText(), c.text);
        EXPECT_EQ(box.document()->blockCount(), c.blocks) << "only CR LF is a line break";
        EXPECT_EQ(box.textCursor().position(), 0);
    }
}

TEST(SendTextEdit, EveryStandInTakesRoomOnItsLine) {
    SendTextEdit box;
    const qreal letter = QFontMetricsF(box.font()).horizontalAdvance(QLatin1Char('a'));
    const char16_t codes[] = {0x00, 0x01, 0x0A, 0x0D,   0x1B,   0x1F,   0x7F,   0x80,
                              0x9F, 0xA0, 0xAD, 0x2028, 0x2029, 0xFDD0, 0xFDD1, 0xFFFC};
    for (char16_t code : codes) {
        SCOPED_TRACE(int(code));
        box.setExactText(QStringLiteral("a") + QChar(code) + QStringLiteral("b"));
        const QTextBlock block = box.document()->firstBlock();
        box.document()->documentLayout()->blockBoundingRect(block); // lays the block out
        ASSERT_EQ(block.layout()->lineCount(), 1);
        const QTextLine line = block.layout()->lineAt(0);
        EXPECT_GT(line.cursorToX(2) - line.cursorToX(1), letter);
    }
}

TEST(SendTextEdit, TypedTextIsPlainTextBesideAStandIn) {
    const auto type = [](const QString& keys) {
        return [keys](QWidget* box) { QTest::keyClicks(box, keys); };
    };
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [key, modifiers](QWidget* box) { QTest::keyClick(box, key, modifiers); };
    };
    struct Case {
        QString before;
        int at;
        std::function<void(QWidget*)> keys;
        QString after;
    };
    const Case cases[] = {
        {"a\nb", 2, type("xy"), "a\nxyb"},
        {"a\nb", 1, type("x"), "ax\nb"},
        {"\na", 0, type("x"), "x\na"}, // at a line's start the next character lends its format
        {"a\rb", 2, press(Qt::Key_Return), "a\r\r\nb"},
        {"a\rb", 2, press(Qt::Key_Return, Qt::ShiftModifier), "a\r\r\nb"},
        {"a\nb", 2,
         [](QWidget* box) {
             QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QStringLiteral("\u240A"),
                                 Qt::NoModifier);
         },
         QStringLiteral("a\n\u240Ab")}, // a picture of LF typed is that character
        {"a\nb", 2, press(Qt::Key_Backspace), "ab"},
    };
    SendTextEdit box;
    for (const Case& c : cases) {
        SCOPED_TRACE(codes(c.after));
        box.setExactText(c.before);
        QTextCursor cursor = box.textCursor();
        cursor.setPosition(c.at);
        box.setTextCursor(cursor);
        c.keys(&box);
        EXPECT_EQ(box.exactText(), c.after);
    }
}

class SendTextEditClipboard : public ::testing::Test {
protected:
    void select(SendTextEdit& box, int from, int to) {
        QTextCursor cursor = box.textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        box.setTextCursor(cursor);
    }
    void caretAt(SendTextEdit& box, int at) { select(box, at, at); }

    QClipboard* clipboard = QApplication::clipboard();
    SendTextEdit from, to;
};

TEST_F(SendTextEditClipboard, CopiedBetweenBoxesEveryCharacterIsKept) {
    const QString text = QStringLiteral("x\ny\rz\r\n\x1B\u00A0end");
    from.setExactText(text);
    from.selectAll();
    from.copy();
    EXPECT_EQ(clipboard->text(), QStringLiteral("x\ny\rz\n\x1B\u00A0end"))
        << "other programs get the characters, line breaks as LF";
    to.setExactText("[]");
    caretAt(to, 1);
    to.paste();
    EXPECT_EQ(to.exactText(), "[" + text + "]");

    // Part of a line and the break after it; "y" sits at 2, the break at 5.
    select(from, 2, 6);
    from.cut();
    EXPECT_EQ(from.exactText(), QStringLiteral("x\n\x1B\u00A0end"));
    to.selectAll();
    to.paste(); // over a selection
    EXPECT_EQ(to.exactText(), "y\rz\r\n");
    to.undo();
    EXPECT_EQ(to.exactText(), "[" + text + "]") << "a paste is one step to undo";
}

TEST_F(SendTextEditClipboard, TextFromOtherProgramsHasTypedLineBreaks) {
    clipboard->setText(QStringLiteral("a\rb\nc\r\nd\u2028e\u2029f\x1B\u00A0g"));
    to.setExactText("\n");
    caretAt(to, 1);
    to.paste();
    EXPECT_EQ(to.exactText(), QStringLiteral("\na\r\nb\r\nc\r\nd\r\ne\r\nf\x1B\u00A0g"));
}

} // namespace
