#include "receive/bytecodecs.h"
#include "receive/readpane.h"
#include "support/qtprinters.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <utility>
#include <vector>

namespace {

using Lines = std::vector<std::pair<qsizetype, qsizetype>>;

const QChar kNul(0);
const QChar kNulSymbol(0x2400);

bool isControlDrawnAsBox(QChar c) {
    const char16_t u = c.unicode();
    return (u < 0x20 && c != '\t' && c != '\r' && c != '\n') || u == 0x7F ||
           (u >= 0x80 && u <= 0x9F) || u == 0xAD;
}

// The advances the pane's rules ask for, measured here independently of the pane, except the
// width of the controls' boxes, which is the pane's own choice.
class Measure {
public:
    explicit Measure(const ReadPane& pane)
        : m_pane(pane), m_metrics(pane.font()), m_tabStop(8 * m_metrics.horizontalAdvance(' ')) {}

    qreal of(QChar c, qreal x) const {
        if (c == '\t')
            return (std::floor(x / m_tabStop) + 1) * m_tabStop - x;
        if (isControlDrawnAsBox(c))
            return m_pane.symbolWidth(c);
        return m_metrics.horizontalAdvance(c);
    }

    qreal width(QStringView text) const {
        qreal x = 0;
        for (QChar c : text)
            x += of(c, x);
        return x;
    }

private:
    const ReadPane& m_pane;
    QFontMetricsF m_metrics;
    qreal m_tabStop;
};

// Layout from scratch, the way the rules read: split into logical lines at CR LF, LF or CR,
// then fill each visual line with as much as fits and move back to just after the last space.
Lines referenceLayout(const QString& text, qreal width, const Measure& measure) {
    Lines lines;
    qsizetype from = 0;
    for (;;) {
        qsizetype to = from;
        while (to < text.size() && text[to] != '\r' && text[to] != '\n')
            ++to;
        qsizetype pos = from;
        do {
            qsizetype end = pos;
            qreal x = 0;
            while (end < to && x + measure.of(text[end], x) <= width)
                x += measure.of(text[end++], x);
            if (end < to) {
                const qsizetype space = end > pos ? text.lastIndexOf(' ', end - 1) : -1;
                if (space >= pos)
                    end = space + 1;
                else if (end == pos)
                    end = pos + 1;
            }
            lines.push_back({pos, end});
            pos = end;
        } while (pos < to);
        if (to == text.size())
            return lines;
        from = to + (text[to] == '\r' && to + 1 < text.size() && text[to + 1] == '\n' ? 2 : 1);
    }
}

Lines layoutOf(const ReadPane& pane) {
    Lines lines;
    for (int i = 0; i < pane.visualLineCount(); ++i)
        lines.push_back(pane.visualLine(i));
    return lines;
}

void appendInChunks(ReadPane& pane, const QString& text, std::mt19937& rng, int maxChunk) {
    std::uniform_int_distribution<int> size(1, maxChunk);
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype n = std::min<qsizetype>(size(rng), text.size() - at);
        pane.appendText(QStringView(text).mid(at, n));
        at += n;
    }
}

// Text of one of the kinds a pane meets.
enum class Kind { Hex, Words, NoSpaces, Breaks };

QString sample(Kind kind, qsizetype length, std::mt19937& rng) {
    const auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const QString extras[] = {"\r\n",
                              "\n",
                              "\r",
                              "\t",
                              QString(kNul),
                              QString(QChar(0x1B)),
                              QString(QChar(0xE9)),
                              QString(QChar(0x20AC)),
                              QString(QChar(0x4E2D)),
                              "  ",
                              QString(QChar(0x85)),
                              QString(QChar(0xAD))};
    const int extraCount = int(std::size(extras));
    QString text;
    while (text.size() < length) {
        switch (kind) {
        case Kind::Hex:
            text += QString::asprintf("%02X ", pick(256));
            break;
        case Kind::Words:
            text += QString(1 + pick(12), QChar('a' + pick(26)));
            text += pick(6) == 0 ? extras[pick(extraCount)] : QString(" ");
            break;
        case Kind::NoSpaces:
            text += QString(1 + pick(300), QChar('A' + pick(26)));
            text += pick(3) == 0 ? QString(" ") : extras[pick(extraCount)];
            break;
        case Kind::Breaks:
            text += QString("\r\n\r\r\n\n\n\r").mid(pick(8), 1 + pick(3));
            if (pick(4) == 0)
                text += "x";
            break;
        }
    }
    return text;
}

class ReadPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        pane.resize(320, 200);
        pane.show();
    }

    Measure measure() const { return Measure(pane); }

    // A pane of the same size that gets the whole text in one append.
    Lines freshLayout(const QString& text) {
        ReadPane fresh;
        fresh.setFont(pane.font());
        fresh.resize(pane.size());
        fresh.show();
        fresh.appendText(text);
        EXPECT_EQ(fresh.wrapWidth(), pane.wrapWidth());
        return layoutOf(fresh);
    }

    void expectLayoutFollowsRules(const QString& text) {
        const Lines lines = layoutOf(pane);
        EXPECT_EQ(lines, referenceLayout(text, pane.wrapWidth(), measure()));
        const Measure m = measure();
        for (const auto& [start, end] : lines) {
            if (end - start > 1) {
                ASSERT_LE(m.width(QStringView(text).mid(start, end - start)), pane.wrapWidth())
                    << "line at " << start;
            }
        }
    }

    ReadPane pane;
    std::mt19937 rng{20240611};
};

TEST_F(ReadPaneTest, TextIsTheExactConcatenationOfAllAppends) {
    // Characters above 255 arriving in the middle of long text, and pieces longer than the
    // store's blocks, must come back unchanged.
    const QString alphabet = QString("AZ az09 \r\n\t") + kNul + QChar(0x7F) + QChar(0xE9) +
                             QChar(0xFF) + QChar(0x100) + QChar(0x20AC) + QChar(0xFFFF);
    std::uniform_int_distribution<int> letter(0, int(alphabet.size()) - 1);
    std::uniform_int_distribution<int> chunk(0, 90);
    QString expected;
    for (int round = 0; round < 400; ++round) {
        const int n = round % 50 == 7 ? 70000 : chunk(rng);
        QString piece;
        for (int i = 0; i < n; ++i)
            piece += round < 100 ? alphabet[letter(rng) % 8] : alphabet[letter(rng)];
        pane.appendText(piece);
        expected += piece;
    }
    ASSERT_EQ(pane.length(), expected.size());
    EXPECT_TRUE(pane.toPlainText() == expected);

    std::uniform_int_distribution<qsizetype> pos(0, expected.size());
    for (int i = 0; i < 50; ++i) {
        const qsizetype a = pos(rng), b = pos(rng);
        pane.setSelection(a, b);
        ASSERT_TRUE(pane.selectedText() == expected.mid(std::min(a, b), std::abs(a - b)))
            << a << ".." << b;
    }

    pane.clear();
    EXPECT_EQ(pane.length(), 0);
    EXPECT_EQ(pane.toPlainText(), "");
    EXPECT_EQ(pane.visualLineCount(), 1);
    pane.appendText(u"\nok");
    EXPECT_EQ(pane.toPlainText(), "\nok");
    EXPECT_EQ(pane.visualLineCount(), 2);
}

TEST_F(ReadPaneTest, IncrementalLayoutMatchesTheRulesAndAFreshLayout) {
    const struct {
        const char* name;
        Kind kind;
        int maxChunk;
    } cases[] = {
        {"hex in display ticks", Kind::Hex, 400}, {"hex in single characters", Kind::Hex, 1},
        {"words and breaks", Kind::Words, 7},     {"runs without spaces", Kind::NoSpaces, 50},
        {"breaks only", Kind::Breaks, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pane.clear();
        const QString text = sample(c.kind, 12000, rng);
        appendInChunks(pane, text, rng, c.maxChunk);
        ASSERT_TRUE(pane.toPlainText() == text);
        expectLayoutFollowsRules(text);
        EXPECT_EQ(layoutOf(pane), freshLayout(text));
    }
}

TEST_F(ReadPaneTest, LineBreaksSplitAcrossAppends) {
    // Each row: the pieces appended one after another, and the visual lines they make.
    const struct {
        std::vector<QString> pieces;
        Lines lines;
    } cases[] = {
        {{"ab\r", "\ncd"}, {{0, 2}, {4, 6}}},
        {{"ab\r", "\r\n", "cd"}, {{0, 2}, {3, 3}, {5, 7}}},
        {{"ab\r", "cd"}, {{0, 2}, {3, 5}}},
        {{"\r", "\n", "\r", "\n"}, {{0, 0}, {2, 2}, {4, 4}}},
        {{"ab\n", "\rcd"}, {{0, 2}, {3, 3}, {4, 6}}},
        {{"ab\r"}, {{0, 2}, {3, 3}}},
        {{""}, {{0, 0}}},
    };
    for (const auto& c : cases) {
        pane.clear();
        QString text;
        for (const QString& piece : c.pieces) {
            pane.appendText(piece);
            text += piece;
        }
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(layoutOf(pane), c.lines);
        EXPECT_EQ(layoutOf(pane), freshLayout(text));
    }
}

TEST_F(ReadPaneTest, WrapsAfterTheLastSpaceThatFitsElseAtTheEdge) {
    const Measure m = measure();
    // Enough "41 " groups to overflow one line: every wrapped line ends with its space.
    QString hex;
    while (m.width(hex) < 3 * pane.wrapWidth())
        hex += "41 ";
    pane.appendText(hex);
    ASSERT_GE(pane.visualLineCount(), 3);
    for (int i = 0; i + 1 < pane.visualLineCount(); ++i) {
        const QString line = pane.displayText(i);
        EXPECT_TRUE(line.endsWith(' ')) << i;
        EXPECT_GT(m.width(line + "41"), pane.wrapWidth()) << "line " << i << " could hold more";
    }

    // Without a space the line is cut where the next character does not fit.
    pane.clear();
    const QString word(400, 'W');
    pane.appendText(word);
    const auto [start, end] = pane.visualLine(0);
    EXPECT_LE(m.width(QStringView(word).mid(start, end - start)), pane.wrapWidth());
    EXPECT_GT(m.width(QStringView(word).mid(start, end - start + 1)), pane.wrapWidth());
    EXPECT_EQ(pane.visualLine(1).first, end);
}

TEST_F(ReadPaneTest, ResizeAndFontChangeRewrapEverything) {
    const QString text = sample(Kind::Words, 6000, rng) + sample(Kind::Hex, 6000, rng);
    appendInChunks(pane, text, rng, 300);
    const int lineCount = pane.visualLineCount();

    pane.resize(200, 200);
    expectLayoutFollowsRules(text);
    EXPECT_GT(pane.visualLineCount(), lineCount);
    EXPECT_TRUE(pane.isScrolledToBottom());

    pane.resize(600, 150);
    expectLayoutFollowsRules(text);
    EXPECT_LT(pane.visualLineCount(), lineCount);
    EXPECT_EQ(layoutOf(pane), freshLayout(text));
    EXPECT_TRUE(pane.isScrolledToBottom());

    QFont bigger = pane.font();
    bigger.setPointSizeF(bigger.pointSizeF() * 2);
    pane.setFont(bigger);
    expectLayoutFollowsRules(text);
    EXPECT_EQ(layoutOf(pane), freshLayout(text));

    // Text appended after a re-wrap continues the new layout.
    const QString more = sample(Kind::Hex, 3000, rng);
    appendInChunks(pane, more, rng, 100);
    expectLayoutFollowsRules(text + more);
}

TEST_F(ReadPaneTest, ResizeKeepsTheTextAtTheTopInView) {
    pane.appendText(sample(Kind::Words, 20000, rng));
    pane.verticalScrollBar()->setValue(pane.visualLineCount() / 2);
    const qsizetype top = pane.visualLine(pane.firstVisibleLine()).first;

    // Through several resizes in a row, as when a window edge is dragged.
    for (int width : {180, 500, 320, 250, 700, 330}) {
        pane.resize(width, 200);
        const int first = pane.firstVisibleLine();
        const qsizetype nextStart =
            first + 1 < pane.visualLineCount() ? pane.visualLine(first + 1).first : pane.length();
        EXPECT_LE(pane.visualLine(first).first, top) << width;
        EXPECT_GT(nextStart, top) << width;
        EXPECT_FALSE(pane.isScrolledToBottom());
    }
}

TEST_F(ReadPaneTest, AppendFollowsAtTheEndAndHoldsTheViewOrSelectionOtherwise) {
    EXPECT_TRUE(pane.isScrolledToBottom());
    EXPECT_TRUE(pane.isFollowing());
    for (int i = 0; i < 300; ++i)
        pane.appendText(QString("line %1\r\n").arg(i));
    ASSERT_TRUE(pane.isScrolledToBottom());
    ASSERT_GT(pane.firstVisibleLine(), 250);

    std::vector<bool> markChanges;
    QObject::connect(&pane, &ReadPane::newDataMarkChanged,
                     [&markChanges](bool shown) { markChanges.push_back(shown); });
    const struct {
        const char* name;
        int scrollTo; // -1: the bottom
        std::pair<qsizetype, qsizetype> selection;
        bool follows;
    } cases[] = {
        {"at the end", -1, {0, 0}, true},
        {"scrolled up", 40, {0, 0}, false},
        {"scrolled to the top", 0, {0, 0}, false},
        {"selection held in view at the end", -1, {pane.length() - 20, pane.length() - 5}, false},
        {"selection held while scrolled up", 100, {700, 3}, false},
        {"caret placed without a selection", -1, {50, 50}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pane.followEnd();
        ASSERT_FALSE(pane.isNewDataMarkShown());
        pane.verticalScrollBar()->setValue(c.scrollTo < 0 ? pane.verticalScrollBar()->maximum()
                                                          : c.scrollTo);
        pane.setSelection(c.selection.first, c.selection.second);
        EXPECT_EQ(pane.isFollowing(), c.follows);
        const int first = pane.firstVisibleLine();
        const int lastInView = first + pane.verticalScrollBar()->pageStep() - 1;
        const qsizetype lastText = pane.visualLine(lastInView).first;
        const QString selected = pane.selectedText();
        markChanges.clear();

        for (int i = 0; i < 40; ++i)
            pane.appendText(u"41 42 43 44 45 46 47\r\n");
        if (c.follows) {
            EXPECT_TRUE(pane.isScrolledToBottom());
            EXPECT_EQ(pane.cursorPosition(), pane.length());
            EXPECT_FALSE(pane.hasSelection());
            EXPECT_FALSE(pane.isNewDataMarkShown());
            EXPECT_TRUE(markChanges.empty());
        } else {
            // The view moves down only by the rows the mark takes under the text, so the line
            // that was last in view stays the last.
            const int shown = pane.firstVisibleLine();
            EXPECT_GE(shown, first);
            EXPECT_LE(shown, first + 3);
            EXPECT_EQ(shown + pane.verticalScrollBar()->pageStep() - 1, lastInView);
            EXPECT_EQ(pane.visualLine(lastInView).first, lastText);
            EXPECT_EQ(pane.cursorPosition(), c.selection.second);
            EXPECT_EQ(pane.selectedText(), selected);
            EXPECT_TRUE(pane.isNewDataMarkShown());
            EXPECT_EQ(markChanges, std::vector<bool>{true});
        }
    }

    // Ctrl+End and End both follow again; so does scrolling down to the bottom.
    const struct {
        const char* name;
        std::function<void()> back;
    } returns[] = {
        {"Ctrl+End", [this] { QTest::keyClick(&pane, Qt::Key_End, Qt::ControlModifier); }},
        {"End", [this] { QTest::keyClick(&pane, Qt::Key_End); }},
        {"scroll bar to the bottom",
         [this] {
             pane.setSelection(0, 0);
             pane.verticalScrollBar()->setValue(pane.verticalScrollBar()->maximum());
         }},
    };
    for (const auto& r : returns) {
        SCOPED_TRACE(r.name);
        pane.verticalScrollBar()->setValue(10);
        pane.setSelection(5, 9);
        pane.appendText(u"more\r\n");
        ASSERT_TRUE(pane.isNewDataMarkShown());
        r.back();
        EXPECT_FALSE(pane.isNewDataMarkShown());
        EXPECT_TRUE(pane.isFollowing());
        pane.appendText(u"next\r\n");
        EXPECT_TRUE(pane.isScrolledToBottom());
        EXPECT_EQ(pane.cursorPosition(), pane.length());
    }

    // Clear follows again and hides the mark.
    pane.verticalScrollBar()->setValue(0);
    pane.appendText(u"x\r\n");
    ASSERT_TRUE(pane.isNewDataMarkShown());
    pane.clear();
    EXPECT_FALSE(pane.isNewDataMarkShown());
    EXPECT_TRUE(pane.isFollowing());
}

// The mark must not hide what is being read: every line in view before it showed looks the same
// after, apart from the rows at the top that make way for it; and it is drawn in the
// highlight colours, where a click follows again.
TEST_F(ReadPaneTest, TheMarkLeavesEveryLineReadableAndAClickOnItFollowsAgain) {
    // Rows inked across the whole width, so that anything laid over a row shows.
    for (int i = 0; i < 100; ++i)
        pane.appendText(QString("%1:").arg(i) + QString(80, QChar('A' + i % 26)) + "\r\n");
    QScrollBar* bar = pane.verticalScrollBar();
    const QPalette palette = pane.palette();
    const QColor highlight = palette.color(QPalette::Highlight);
    const int lineHeight = pane.fontMetrics().lineSpacing();
    for (int scrollTo : {0, 37, bar->maximum() - 2}) {
        SCOPED_TRACE(scrollTo);
        pane.followEnd();
        bar->setValue(scrollTo);
        const int first = pane.firstVisibleLine();
        const int rows = bar->pageStep();
        const QRect view = pane.viewport()->geometry();
        const QImage before = pane.grab().toImage();
        // Visual line `line` as it shows in `image` with the view starting at line `top`.
        const auto rowOf = [&](const QImage& image, int line, int top) {
            return image.copy(view.x(), view.y() + 2 + (line - top) * lineHeight, view.width(),
                              lineHeight);
        };
        pane.appendText(u"new\r\n");
        ASSERT_TRUE(pane.isNewDataMarkShown());
        const QImage after = pane.grab().toImage();
        const int shown = pane.firstVisibleLine();
        ASSERT_EQ(shown + bar->pageStep(), first + rows) << "the last line stays in view";
        for (int line = shown; line < first + rows; ++line) {
            EXPECT_EQ(rowOf(before, line, first), rowOf(after, line, shown)) << "line " << line;
        }

        int highlighted = 0;
        QPoint sum;
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < view.right(); ++x) {
                if (after.pixelColor(x, y) == highlight) {
                    ++highlighted;
                    sum += QPoint(x, y);
                }
            }
        }
        ASSERT_GT(highlighted, 200);
        const QPoint mark = sum / highlighted;
        QWidget* target = pane.childAt(mark);
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&pane, mark));
        EXPECT_FALSE(pane.isNewDataMarkShown());
        EXPECT_TRUE(pane.isScrolledToBottom());
        EXPECT_TRUE(pane.isFollowing());
        pane.appendText(u"next\r\n");
        EXPECT_TRUE(pane.isScrolledToBottom());
    }
}

TEST_F(ReadPaneTest, CopyPutsTheExactSelectionOnTheClipboard) {
    QString hex;
    for (int i = 0; i < 200; ++i)
        hex += QString::asprintf("%02X ", i);
    const QString pieces[] = {"first\r", "\nsecond", QString::fromLatin1("\0third\r\r\n", 9), hex,
                              "\tlast"};
    QString text;
    for (const QString& piece : pieces) {
        pane.appendText(piece);
        text += piece;
    }
    ASSERT_GT(pane.visualLineCount(), 6);
    const qsizetype hexAt = text.indexOf("00 01");
    const struct {
        const char* name;
        qsizetype anchor, position;
    } cases[] = {
        {"within a line", 1, 4},
        {"across CR LF appended in two pieces", 2, 9},
        {"starting on character 0", 13, 20},
        {"across CR and CR LF", 15, 23},
        {"across wrapped lines", hexAt + 10, hexAt + 400},
        {"backwards", hexAt + 400, 3},
        {"everything", 0, text.size()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pane.setSelection(c.anchor, c.position);
        pane.copy();
        const qsizetype from = std::min(c.anchor, c.position);
        EXPECT_TRUE(QApplication::clipboard()->text() ==
                    text.mid(from, std::abs(c.position - c.anchor)));
    }
}

TEST_F(ReadPaneTest, NothingToCopyFromAnEmptyPane) {
    QApplication::clipboard()->setText("before");
    pane.selectAll();
    EXPECT_FALSE(pane.hasSelection());
    EXPECT_EQ(pane.selectedText(), "");
    pane.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
}

TEST_F(ReadPaneTest, CharacterZeroIsShownAndDoesNotHideWhatFollows) {
    pane.appendText(u"A");
    pane.appendText(QString(kNul));
    pane.appendText(u"B");
    pane.appendText(QString(kNul));
    pane.appendText(u"C\r\nD");
    EXPECT_EQ(pane.displayText(0), QString("A") + kNulSymbol + "B" + kNulSymbol + "C");
    EXPECT_EQ(pane.displayText(1), "D");
    EXPECT_EQ(pane.toPlainText(), QString::fromLatin1("A\0B\0C\r\nD", 8));
    EXPECT_EQ(pane.length(), 8);
}

TEST_F(ReadPaneTest, ControlsAreBoxesThatKeepTheirCharacters) {
    QString controls;
    for (int c = 0; c < 0x20; ++c)
        controls += QChar(c);
    controls += QChar(0x7F);
    const struct {
        QChar c;
        bool box;
    } cases[] = {{QChar(0), true},     {QChar(1), true},     {QChar(7), true},
                 {QChar(8), true},     {QChar(0x1B), true},  {QChar(0x1F), true},
                 {QChar(0x7F), true},  {'\t', false},        {'\r', false},
                 {'\n', false},        {'A', false},         {' ', false},
                 {QChar(0x80), true},  {QChar(0x9F), true},  {QChar(0xAD), true},
                 {QChar(0xA0), false}, {QChar(0xE9), false}, {QChar(0x2400), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.c.unicode()));
        EXPECT_EQ(pane.symbolWidth(c.c) > 0, c.box);
    }
    // A box is wide enough to tell from a letter, and scales with the font.
    const qreal nul = pane.symbolWidth(kNul);
    EXPECT_GT(nul, 2 * pane.fontMetrics().horizontalAdvance('M'));
    QFont bigger = pane.font();
    bigger.setPointSizeF(bigger.pointSizeF() * 2);
    pane.setFont(bigger);
    EXPECT_GT(pane.symbolWidth(kNul), 1.5 * nul);

    pane.appendText(controls);
    EXPECT_TRUE(pane.toPlainText() == controls);
    pane.selectAll();
    EXPECT_TRUE(pane.selectedText() == controls);
    QString shown;
    for (int i = 0; i < pane.visualLineCount(); ++i)
        shown += pane.displayText(i);
    QString pictures;
    for (QChar c : controls)
        if (c != '\t' && c != '\r' && c != '\n')
            pictures += c.unicode() == 0x7F ? QChar(0x2421) : QChar(0x2400 + c.unicode());
    pictures.insert(9, '\t');
    EXPECT_TRUE(shown == pictures) << shown.toStdString();
}

TEST_F(ReadPaneTest, EachBoxIsDrawnInItsOwnCellAndHitTestsAsOneCharacter) {
    const QColor background(255, 255, 255);
    pane.setBackgroundColor(background);
    pane.appendText(QString::fromLatin1("\0\x1b\x7f\x01", 4));
    const QImage image = pane.viewport()->grab().toImage();
    const int lineHeight = pane.fontMetrics().lineSpacing();
    // Columns [from, to) of the first line that hold anything but the background.
    const auto inked = [&](qreal from, qreal to) {
        int count = 0;
        for (int x = int(std::ceil(from)); x < int(to); ++x)
            for (int y = 2; y < 2 + lineHeight; ++y)
                count += image.pixelColor(x, y) != background;
        return count;
    };
    qreal x = 4;
    for (QChar c : {QChar(0), QChar(0x1B), QChar(0x7F), QChar(1)}) {
        SCOPED_TRACE(int(c.unicode()));
        const qreal w = pane.symbolWidth(c);
        EXPECT_GT(inked(x + 1, x + w - 1), 10) << "the box and its name are drawn";
        x += w;
    }
    EXPECT_EQ(inked(x + 1, image.width() - 40), 0) << "nothing is drawn past the last box";

    // A click on the right half of the second box lands after it; on its left half, before it.
    const qreal second = 4 + pane.symbolWidth(kNul);
    const int y = 2 + lineHeight / 2;
    const qreal w = pane.symbolWidth(QChar(0x1B));
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, QPoint(int(second + w * 0.8), y));
    EXPECT_EQ(pane.cursorPosition(), 2);
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, QPoint(int(second + w * 0.2), y));
    EXPECT_EQ(pane.cursorPosition(), 1);
}

// Line noise from a wrong baud rate is mostly bytes 0x80 to 0x9F, which fonts draw as nothing:
// each shows as a box holding its hex value, so 32 of them between "C1:" and ":END" take room
// for 32 wherever the text is laid out, painted, selected or clicked.
TEST_F(ReadPaneTest, C1BytesAndSoftHyphenAreBoxesHoldingTheirHexValue) {
    const struct {
        char16_t c;
        const char* label;
    } labels[] = {{0x80, "80"},  {0x85, "85"},  {0x9F, "9F"}, {0xAD, "AD"}, {0x00, "NUL"},
                  {0x1B, "ESC"}, {0x7F, "DEL"}, {0xA0, ""},   {0xE9, ""},   {0x20AC, ""}};
    for (const auto& l : labels)
        EXPECT_EQ(pane.symbolLabel(QChar(l.c)), QString(l.label)) << int(l.c);

    QString noise;
    for (char16_t c = 0x80; c <= 0x9F; ++c)
        noise += QChar(c);
    const QString text = "C1:" + noise + ":END";
    const qsizetype noiseAt = 3, endAt = noiseAt + noise.size();
    pane.resize(1200, 200);
    pane.setBackgroundColor(Qt::white);
    pane.appendBytes(text, ReadView::Ascii);
    ASSERT_EQ(pane.visualLineCount(), 1);
    EXPECT_EQ(pane.toPlainText(), text);
    pane.setSelection(noiseAt, endAt);
    pane.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), noise) << "copying keeps the bytes";

    // Each box fills its own cell, in the selection's colours while selected; ":END" follows
    // the last box, unselected.
    const Measure m = measure();
    const QImage image = pane.viewport()->grab().toImage();
    const QColor highlight = pane.palette().color(QPalette::Highlight);
    const int top = 2, lineHeight = pane.fontMetrics().lineSpacing();
    qreal x = 4 + m.width(u"C1:");
    for (QChar c : noise) {
        SCOPED_TRACE(int(c.unicode()));
        const qreal w = pane.symbolWidth(c);
        ASSERT_GT(w, m.width(u"M"));
        EXPECT_EQ(image.pixelColor(int(x + w / 2), top), highlight);
        int label = 0;
        for (int px = int(x) + 3; px < int(x + w) - 3; ++px)
            for (int y = top + 3; y < top + lineHeight - 3; ++y)
                label += image.pixelColor(px, y) != highlight;
        EXPECT_GT(label, 4) << "the box holds its label";
        x += w;
    }
    EXPECT_NE(image.pixelColor(int(x + m.width(u":E") / 2), top), highlight);
    int endInk = 0;
    for (int px = int(x); px < int(x + m.width(u":END")); ++px)
        for (int y = top; y < top + lineHeight; ++y)
            endInk += image.pixelColor(px, y) != QColor(Qt::white);
    EXPECT_GT(endInk, 10) << "\":END\" is drawn after the boxes";

    // A click just after the middle of the last box lands after it.
    const qreal last = pane.symbolWidth(noise.back());
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, {},
                      QPoint(int(x - last * 0.3), top + lineHeight / 2));
    EXPECT_EQ(pane.cursorPosition(), endAt);

    // At a narrow width the boxes wrap like any other character.
    pane.resize(200, 200);
    EXPECT_GT(pane.visualLineCount(), 1);
    expectLayoutFollowsRules(text);
}

TEST_F(ReadPaneTest, PaintsTheChosenColoursAndTheSelection) {
    const QColor background(10, 20, 30), text(250, 240, 0);
    pane.setBackgroundColor(background);
    pane.setTextColor(text);
    EXPECT_EQ(pane.backgroundColor(), background);
    EXPECT_EQ(pane.textColor(), text);
    pane.appendText(u"MMMM WWWW\nHHHH");

    const auto countPixels = [this](QColor colour) {
        const QImage image = pane.viewport()->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == colour;
        return std::pair{count, image.width() * image.height()};
    };
    const auto [textPixels, all] = countPixels(text);
    EXPECT_GT(textPixels, 10);
    EXPECT_GT(countPixels(background).first, all / 2);

    pane.selectAll();
    const QPalette palette = pane.palette();
    EXPECT_GT(countPixels(palette.color(QPalette::Highlight)).first, 10);
    EXPECT_EQ(countPixels(text).first, 0);
}

TEST(ReadPaneDefaults, BlackOnWhiteReadOnlyAndFocusable) {
    ReadPane pane;
    EXPECT_EQ(pane.textColor(), QColor(Qt::black));
    EXPECT_EQ(pane.backgroundColor(), QColor(Qt::white));
    EXPECT_EQ(pane.focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(pane.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(pane.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

class ReadPaneInputTest : public ReadPaneTest {
protected:
    // The middle of a viewport point on visual line `line` (which must be in view), `x` pixels
    // from the viewport's left edge.
    QPoint pointOn(int line, int x) const {
        const int lineHeight = pane.fontMetrics().lineSpacing();
        const int top = (line - pane.firstVisibleLine()) * lineHeight;
        return {x, top + lineHeight / 2 + 2};
    }
};

TEST_F(ReadPaneInputTest, DragSelectsFromThePressToTheMouse) {
    pane.appendText(u"hello wide world\r\nsecond line\r\nthird");
    QWidget* view = pane.viewport();
    QTest::mousePress(view, Qt::LeftButton, {}, pointOn(0, 1));
    QTest::mouseMove(view, pointOn(0, view->width() / 4));
    QTest::mouseRelease(view, Qt::LeftButton, {}, pointOn(0, view->width() / 4));
    const QString selected = pane.selectedText();
    EXPECT_FALSE(selected.isEmpty());
    EXPECT_LT(selected.size(), 16);
    EXPECT_TRUE(QString("hello wide world").startsWith(selected)) << selected.toStdString();

    // Dragging down into the third line takes the line breaks with it.
    QTest::mousePress(view, Qt::LeftButton, {}, pointOn(0, 1));
    QTest::mouseMove(view, pointOn(2, view->width() - 30));
    QTest::mouseRelease(view, Qt::LeftButton, {}, pointOn(2, view->width() - 30));
    EXPECT_EQ(pane.selectedText(), "hello wide world\r\nsecond line\r\nthird");

    // Shift+click moves only the selection's end.
    QTest::mouseClick(view, Qt::LeftButton, {}, pointOn(1, view->width() - 30));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, pointOn(0, 1));
    EXPECT_EQ(pane.selectedText(), "hello wide world\r\nsecond line");
}

TEST_F(ReadPaneInputTest, DoubleClickSelectsAWord) {
    pane.appendText(u"41 42 43");
    const Measure m = measure();
    const int x = 4 + int(m.width(u"41 4"));
    QTest::mouseDClick(pane.viewport(), Qt::LeftButton, {}, pointOn(0, x));
    EXPECT_EQ(pane.selectedText(), "42");
}

TEST_F(ReadPaneInputTest, KeysSelectCopyAndScrollButNeverEdit) {
    const QString text = QString::fromLatin1("x\0y\r\n", 5).repeated(200) + "end";
    pane.appendText(text);
    QTest::keyClick(&pane, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&pane, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->text() == text);

    for (auto key : {Qt::Key_X, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return})
        QTest::keyClick(&pane, key);
    QTest::keyClick(&pane, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&pane, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(pane.toPlainText() == text);

    const int bottom = pane.verticalScrollBar()->maximum();
    const int page = pane.verticalScrollBar()->pageStep();
    ASSERT_GT(page, 3);
    ASSERT_GT(bottom, 2 * page);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int from, to;
    } cases[] = {
        {Qt::Key_Home, Qt::ControlModifier, bottom, 0},
        {Qt::Key_End, Qt::ControlModifier, 0, bottom},
        {Qt::Key_PageDown, {}, 0, page},
        {Qt::Key_PageUp, {}, bottom, bottom - page},
        {Qt::Key_Down, {}, 5, 6},
        {Qt::Key_Up, {}, 5, 4},
        {Qt::Key_Down, {}, bottom, bottom},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
        pane.verticalScrollBar()->setValue(c.from);
        QTest::keyClick(&pane, c.key, c.modifiers);
        EXPECT_EQ(pane.firstVisibleLine(), c.to);
    }
}

TEST(ReadPaneShortcuts, CopyKeyCopiesTheSelectionEvenWhenTheWindowHasACopyAction) {
    QWidget window;
    auto* pane = new ReadPane(&window);
    (new QVBoxLayout(&window))->addWidget(pane);
    int windowCopies = 0;
    auto* action = new QAction(&window);
    action->setShortcut(QKeySequence::Copy);
    QObject::connect(action, &QAction::triggered, [&windowCopies] { ++windowCopies; });
    window.addAction(action);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    pane->setFocus();

    pane->appendText(u"one two");
    pane->setSelection(4, 7);
    QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "two");
    EXPECT_EQ(windowCopies, 0);
}

} // namespace

namespace {

// What find() must answer, from QString's own search.
qsizetype referenceFind(const QString& text, const QString& needle, qsizetype from, bool forward,
                        Qt::CaseSensitivity cs) {
    if (forward) {
        const qsizetype p = text.indexOf(needle, from, cs);
        return p >= 0 ? p : text.indexOf(needle, 0, cs);
    }
    const qsizetype p = from > 0 ? text.lastIndexOf(needle, from - 1, cs) : -1;
    return p >= 0 ? p : text.lastIndexOf(needle, -1, cs);
}

qsizetype referenceCount(const QString& text, const QString& needle, Qt::CaseSensitivity cs) {
    qsizetype count = 0;
    for (qsizetype p = text.indexOf(needle, 0, cs); p >= 0;
         p = text.indexOf(needle, p + needle.size(), cs))
        ++count;
    return count;
}

} // namespace

TEST_F(ReadPaneTest, FindAgreesWithAPlainSearchAcrossChunksWrapsAndCase) {
    // Three store chunks (64 Ki characters each) of a small alphabet, so that matches cross
    // the chunk edges and line breaks; one chunk holds characters above 255.
    const QString alphabet = QString("aAbB\r\n ") + QChar(0xE9) + QChar(0xC9) + QChar(0xFF);
    std::uniform_int_distribution<int> letter(0, int(alphabet.size()) - 1);
    QString text;
    for (int i = 0; i < 3 * 65536 + 500; ++i) {
        text += alphabet[letter(rng)];
        if (i == 70000)
            text += QChar(0x178); // folds to U+00FF
    }
    // A match laid across the first chunk edge and a line break.
    text.replace(65536 - 3, 8, "zq\r\nzq\r\n");
    appendInChunks(pane, text, rng, 5000);
    ASSERT_TRUE(pane.toPlainText() == text);

    std::uniform_int_distribution<qsizetype> pos(0, text.size());
    std::uniform_int_distribution<int> length(1, 5);
    for (int round = 0; round < 300; ++round) {
        QString needle;
        if (round % 10 == 0)
            needle = "zq\r\nz";
        else if (round % 10 == 1)
            needle = "missing";
        else
            for (int n = length(rng); n > 0; --n)
                needle += alphabet[letter(rng)];
        const qsizetype from = round % 7 == 0 ? 65536 - 2 : pos(rng);
        const auto cs = round % 2 ? Qt::CaseSensitive : Qt::CaseInsensitive;
        for (bool forward : {true, false})
            ASSERT_EQ(pane.find(needle, from, forward, cs),
                      referenceFind(text, needle, from, forward, cs))
                << round << " forward " << forward << " from " << from;
        if (round % 15 == 0) {
            ASSERT_EQ(pane.countMatches(needle, cs), referenceCount(text, needle, cs)) << round;
        }
    }
    EXPECT_EQ(pane.find("zq\r\nzq", 0, true, Qt::CaseSensitive), 65536 - 3);
    EXPECT_EQ(pane.find("", 0, true, Qt::CaseSensitive), -1);
    EXPECT_EQ(pane.countMatches("", Qt::CaseSensitive), 0);
}

TEST_F(ReadPaneTest, FindCaseTableAndWrapRound) {
    const struct {
        QString text, needle;
        qsizetype sensitive, insensitive; // matches counted each way
    } cases[] = {
        {"abc ABC aBc", "abc", 1, 3},
        {QString("caf") + QChar(0xE9) + " CAF" + QChar(0xC9), QString("caf") + QChar(0xC9), 0, 2},
        {QString(QChar(0xFF)) + QChar(0x178), QString(QChar(0x178)), 1, 2},
        {"Stra" + QString(QChar(0xDF)) + "e STRASSE", "strasse", 0, 1},
        {QString::fromLatin1("\0\0\0\0", 4), QString::fromLatin1("\0\0", 2), 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        pane.clear();
        pane.appendText(c.text);
        EXPECT_EQ(pane.countMatches(c.needle, Qt::CaseSensitive), c.sensitive);
        EXPECT_EQ(pane.countMatches(c.needle, Qt::CaseInsensitive), c.insensitive);
    }

    pane.clear();
    pane.appendText(u"x ab y ab z");
    const struct {
        qsizetype from;
        bool forward;
        qsizetype found;
    } steps[] = {{0, true, 2},  {3, true, 7},  {8, true, 2},  {11, true, 2},
                 {7, false, 2}, {2, false, 7}, {0, false, 7}, {11, false, 7}};
    for (const auto& s : steps)
        EXPECT_EQ(pane.find("ab", s.from, s.forward, Qt::CaseSensitive), s.found)
            << s.from << " " << s.forward;
    EXPECT_EQ(pane.find("abc", 0, true, Qt::CaseSensitive), -1);
}

class ReadPaneFindBarTest : public ReadPaneTest {
protected:
    QLineEdit* findText() const { return pane.findChild<QLineEdit*>("findText"); }
    QString countText() const { return pane.findChild<QLabel*>("findCount")->text(); }
};

TEST_F(ReadPaneFindBarTest, StepsThroughMatchesAndHoldsTheView) {
    QString text;
    for (int i = 0; i < 400; ++i)
        text +=
            i % 100 == 50 ? QString("line %1 Marker\r\n").arg(i) : QString("line %1\r\n").arg(i);
    pane.appendText(text);
    ASSERT_TRUE(pane.isFollowing());
    EXPECT_FALSE(pane.isFindBarVisible());
    QTest::keyClick(&pane, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(pane.isFindBarVisible());
    ASSERT_NE(findText(), nullptr);

    pane.setSelection(0, 0);
    QTest::keyClicks(findText(), "marker");
    EXPECT_EQ(countText(), "1 of 4");
    const qsizetype first = text.indexOf("Marker");
    EXPECT_EQ(pane.selectedText(), "Marker");
    EXPECT_EQ(pane.cursorPosition(), first + 6);
    const int line = pane.firstVisibleLine();
    EXPECT_LE(pane.visualLine(line).first, first);
    EXPECT_FALSE(pane.isFollowing());

    // Appends neither move the view off the match nor drop it; the count follows the text.
    const int bottom = line + pane.verticalScrollBar()->pageStep();
    pane.appendText(u"late Marker\r\n");
    EXPECT_EQ(pane.firstVisibleLine() + pane.verticalScrollBar()->pageStep(), bottom);
    EXPECT_EQ(pane.selectedText(), "Marker");
    EXPECT_EQ(countText(), "1 of 5");

    const struct {
        Qt::KeyboardModifiers modifiers;
        const char* count;
    } steps[] = {{{}, "2 of 5"},
                 {{}, "3 of 5"},
                 {Qt::ShiftModifier, "2 of 5"},
                 {Qt::ShiftModifier, "1 of 5"},
                 {Qt::ShiftModifier, "5 of 5"},
                 {{}, "1 of 5"}};
    for (const auto& s : steps) {
        QTest::keyClick(findText(), Qt::Key_Return, s.modifiers);
        EXPECT_EQ(countText(), s.count);
        EXPECT_EQ(pane.selectedText(), "Marker");
        const int shown = pane.firstVisibleLine();
        EXPECT_GE(pane.cursorPosition(), pane.visualLine(shown).first) << s.count;
    }

    // Case sensitivity and no matches.
    pane.findChild<QCheckBox*>("findMatchCase")->setChecked(true);
    EXPECT_EQ(countText(), "No matches");
    pane.findChild<QCheckBox*>("findMatchCase")->setChecked(false);
    EXPECT_EQ(countText(), "1 of 5");

    // Esc closes the bar and gives the focus back to the pane; the match stays selected.
    pane.activateWindow();
    findText()->setFocus();
    QTest::keyClick(findText(), Qt::Key_Escape);
    EXPECT_FALSE(pane.isFindBarVisible());
    EXPECT_TRUE(pane.hasFocus() || QApplication::focusWidget() == nullptr);
    EXPECT_EQ(pane.selectedText(), "Marker");

    // Reopening searches again with the same text.
    pane.showFindBar();
    EXPECT_TRUE(pane.isFindBarVisible());
    EXPECT_EQ(countText(), "1 of 5");
}

// A match found at the end is held only by its selection; closing the bar there lets the pane
// follow again, while a match the user went up to stays selected and in view.
TEST_F(ReadPaneFindBarTest, ClosingTheBarAtTheEndFollowsAgain) {
    const struct {
        const char* name;
        int markerLine;         // the one line holding the match
        int linesBeforeClosing; // arriving while the bar is open
        bool scrollUp;          // the user pages up before closing
        bool follows;
    } cases[] = {
        {"found at the end, closed at once", 298, 0, false, true},
        {"found at the end, data arrived meanwhile", 298, 30, false, true},
        {"found far above", 50, 0, false, false},
        {"found at the end, then the user scrolled up", 298, 30, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pane.clear();
        for (int i = 0; i < 300; ++i)
            pane.appendText(i == c.markerLine ? QString("line %1 Marker\r\n").arg(i)
                                              : QString("line %1\r\n").arg(i));
        pane.showFindBar();
        findText()->clear();
        QTest::keyClicks(findText(), "marker");
        ASSERT_EQ(pane.selectedText(), "Marker");
        for (int i = 0; i < c.linesBeforeClosing; ++i)
            pane.appendText(u"meanwhile\r\n");
        if (c.scrollUp)
            QTest::keyClick(&pane, Qt::Key_PageUp);
        const int first = pane.firstVisibleLine();
        QTest::keyClick(findText(), Qt::Key_Escape);
        ASSERT_FALSE(pane.isFindBarVisible());

        for (int i = 0; i < 40; ++i)
            pane.appendText(QString("after %1\r\n").arg(i));
        if (c.follows) {
            // The last line that arrived is in view.
            EXPECT_TRUE(pane.isScrolledToBottom());
            EXPECT_FALSE(pane.isNewDataMarkShown());
            EXPECT_FALSE(pane.hasSelection());
            const int last = pane.visualLineCount() - 2; // before the empty line after CR LF
            EXPECT_GE(last, pane.firstVisibleLine());
            EXPECT_EQ(pane.textBetween(pane.visualLine(last).first, pane.visualLine(last).second),
                      "after 39");
        } else {
            EXPECT_EQ(pane.selectedText(), "Marker");
            EXPECT_LE(pane.firstVisibleLine(), first + 3);
            EXPECT_TRUE(pane.isNewDataMarkShown());
        }
    }
}

// Runs of one byte make matches that overlap ("00 00" in "00 00 00 ..."): stepping either way
// visits only the matches the count counts, so the label never reads "2 of 1".
TEST_F(ReadPaneFindBarTest, OverlappingMatchesAreSteppedAsCounted) {
    const struct {
        int zeros;
        QList<qsizetype> counted; // starts of the counted matches
    } cases[] = {{3, {0}}, {10, {0, 6, 12, 18, 24}}};
    for (const auto& c : cases) {
        pane.clear();
        pane.appendText(QString("00 ").repeated(c.zeros));
        pane.setSelection(0, 0);
        pane.showFindBar();
        findText()->clear();
        QTest::keyClicks(findText(), "00 00");
        const qsizetype n = c.counted.size();
        ASSERT_EQ(countText(), QString("1 of %1").arg(n)) << c.zeros;
        // Backwards round twice from the first, then forwards round twice.
        for (int i = 1; i <= 2 * n; ++i) {
            QTest::keyClick(findText(), Qt::Key_Return, Qt::ShiftModifier);
            const qsizetype k = ((-i % n) + n) % n;
            EXPECT_EQ(countText(), QString("%1 of %2").arg(k + 1).arg(n))
                << c.zeros << " back " << i;
            EXPECT_EQ(pane.cursorPosition(), c.counted[k] + 5) << c.zeros << " back " << i;
        }
        for (int i = 1; i <= 2 * n; ++i) {
            QTest::keyClick(findText(), Qt::Key_Return);
            const qsizetype k = i % n;
            EXPECT_EQ(countText(), QString("%1 of %2").arg(k + 1).arg(n)) << c.zeros << " on " << i;
            EXPECT_EQ(pane.cursorPosition(), c.counted[k] + 5) << c.zeros << " on " << i;
        }
        // From a caret inside a counted match, the next one is the next counted match.
        pane.setSelection(2, 2);
        QTest::keyClick(findText(), Qt::Key_Return);
        EXPECT_EQ(countText(), QString("%1 of %2").arg(n > 1 ? 2 : 1).arg(n)) << c.zeros;
    }
}

TEST_F(ReadPaneFindBarTest, MatchesAreMarkedInViewWithoutChangingTheText) {
    const QString text = "41 42 43\r\n42 42 41\r\nend";
    pane.appendText(text);
    const QColor amber(255, 214, 90);
    const auto amberPixels = [this, &amber] {
        const QImage image = pane.viewport()->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == amber;
        return count;
    };
    EXPECT_EQ(amberPixels(), 0);
    pane.showFindBar();
    findText()->setText("42");
    EXPECT_EQ(countText(), "1 of 3");
    const int marked = amberPixels();
    EXPECT_GT(marked, 20) << "the other two matches are marked";
    // The current match is the selection, painted in the selection's colour.
    const QImage image = pane.viewport()->grab().toImage();
    int selected = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            selected += image.pixelColor(x, y) == pane.palette().color(QPalette::Highlight);
    EXPECT_GT(selected, 10);
    EXPECT_TRUE(pane.toPlainText() == text);

    QTest::keyClick(findText(), Qt::Key_Escape);
    EXPECT_EQ(amberPixels(), 0) << "closing the bar removes the marks";
    EXPECT_TRUE(pane.toPlainText() == text);
}

TEST_F(ReadPaneTest, LongTextIsLaidOutInBlocksThatJoinSeamlessly) {
    // Several of the pane's blocks of lines: at the width it arrived at, the layout is the
    // rules' layout of the whole text.
    for (const Kind kind : {Kind::Hex, Kind::Words}) {
        SCOPED_TRACE(int(kind));
        pane.clear();
        const QString text = sample(kind, 300000, rng);
        appendInChunks(pane, text, rng, 4000);
        ASSERT_TRUE(pane.toPlainText() == text);
        const Lines arrived = layoutOf(pane);
        EXPECT_EQ(arrived, referenceLayout(text, pane.wrapWidth(), measure()));

        // Another width: what is in view is laid out at once, the rest in the background.
        pane.resize(200, 200);
        EXPECT_TRUE(pane.isLayoutPending());
        EXPECT_TRUE(pane.isScrolledToBottom());
        const auto [lastStart, lastEnd] = pane.visualLine(pane.visualLineCount() - 1);
        EXPECT_EQ(lastEnd, text.size());
        for (int i = 0; i < 2000 && pane.isLayoutPending(); ++i)
            QCoreApplication::processEvents();
        EXPECT_FALSE(pane.isLayoutPending());
        EXPECT_TRUE(pane.isScrolledToBottom());
        // Every line fits and the lines cover the text in order.
        const Measure m = measure();
        qsizetype at = 0;
        for (int i = 0; i < pane.visualLineCount(); ++i) {
            const auto [start, end] = pane.visualLine(i);
            ASSERT_GE(start, at) << i;
            // Between two lines there is nothing but the break that ends the first.
            for (QChar c : QStringView(text).sliced(at, start - at)) {
                ASSERT_TRUE(c == '\r' || c == '\n') << i;
            }
            if (end - start > 1) {
                ASSERT_LE(m.width(QStringView(text).mid(start, end - start)), pane.wrapWidth());
            }
            at = end;
        }
        EXPECT_EQ(at, text.size());

        // Back at the first width, the first layout comes back exactly.
        pane.resize(320, 200);
        pane.finishLayout();
        EXPECT_EQ(layoutOf(pane), arrived);
    }
}

TEST_F(ReadPaneTest, AResizeKeepsTheTopOfALongTextInView) {
    const QString text = sample(Kind::Words, 400000, rng);
    appendInChunks(pane, text, rng, 5000);
    pane.verticalScrollBar()->setValue(pane.visualLineCount() / 2);
    const qsizetype top = pane.visualLine(pane.firstVisibleLine()).first;
    for (int width : {180, 500, 260}) {
        pane.resize(width, 200);
        for (bool finished : {false, true}) {
            if (finished)
                pane.finishLayout();
            const int first = pane.firstVisibleLine();
            EXPECT_LE(pane.visualLine(first).first, top) << width;
            EXPECT_GT(pane.visualLine(first + 1).first, top) << width;
        }
    }
}

TEST_F(ReadPaneTest, BytesShownAsDigitsReadBackAsTheirRendering) {
    QString expected;
    const QString bytes = QStringLiteral("AB\r\n") + QChar(0) + QChar(0xFF);
    pane.appendBytes(bytes, ReadView::Hex);
    expected += HexLine(bytes);
    pane.appendText(QStringLiteral("\r\n"));
    expected += QStringLiteral("\r\n");
    for (ReadView view : {ReadView::Dec, ReadView::Oct, ReadView::Bin, ReadView::Ascii}) {
        pane.appendBytes(bytes, view);
        expected += ReadViewLine(bytes, view);
    }
    EXPECT_EQ(pane.toPlainText(), expected);
    expectLayoutFollowsRules(expected);
    pane.setSelection(2, expected.size() - 3);
    EXPECT_EQ(pane.selectedText(), expected.mid(2, expected.size() - 5));
    EXPECT_EQ(pane.textBetween(5, 40), expected.mid(5, 35));
    EXPECT_EQ(pane.find(QStringLiteral("00 ff"), 0, true, Qt::CaseInsensitive),
              expected.indexOf(QStringLiteral("00 FF")));
}
