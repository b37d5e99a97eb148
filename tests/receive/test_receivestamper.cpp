#include "receive/receivestamper.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using View = ReceiveStamper::View;

const QDateTime kStart(QDate(2026, 3, 1), QTime(14, 5, 0));

struct Piece {
    int ms; // read time after kStart
    QByteArray bytes;
    View view = View::Ascii;
};

// A literal whole, character 0 included.
template <size_t N> QByteArray raw(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

QString renderAll(ReceiveStamper& stamper, const std::vector<Piece>& pieces) {
    QString out;
    for (const Piece& p : pieces)
        stamper.render(out, kStart.addMSecs(p.ms), QString::fromLatin1(p.bytes), p.view);
    return out;
}

TEST(ReceiveStamper, StampsLinesAndBurstsAtTheirReadTime) {
    struct Case {
        const char* name;
        std::vector<Piece> pieces;
        QString shown;
    };
    const Case cases[] = {
        {"a line across reads keeps its first read's stamp",
         {{0, "ab"}, {5, "c\r\n"}, {30, "d"}},
         "[14:05:00.000] abc\r\n[14:05:00.030] d"},
        {"a break that ends a read waits for the next byte",
         {{0, "ok\r\n"}},
         "[14:05:00.000] ok\r\n"},
        {"CR LF split across reads is one break",
         {{0, "a\r"}, {40, "\nb"}},
         "[14:05:00.000] a\r\n[14:05:00.040] b"},
        {"a lone CR breaks the line",
         {{0, "a\rb"}, {7, "\r"}, {9, "c"}},
         "[14:05:00.000] a\r[14:05:00.000] b\r[14:05:00.009] c"},
        {"LF alone, and an empty line is a line",
         {{0, "a\n\r\n\nb"}},
         "[14:05:00.000] a\n[14:05:00.000] \r\n[14:05:00.000] \n[14:05:00.000] b"},
        {"bytes that are not text pass unchanged",
         {{0, "\x01\xE9\t"}},
         QStringLiteral("[14:05:00.000] \x01\u00E9\t")},
        {"a character 0 is data, never an empty pane",
         {{0, raw("\0")}, {5, raw("a\0")}, {9, "b", View::Hex}},
         QString::fromLatin1(raw("[14:05:00.000] \0a\0\r\n[14:05:00.009] 62 "))},
        {"HEX: the first burst has no break before it; 20 ms still continue",
         {{0, "AB", View::Hex}, {20, "C", View::Hex}, {41, "D", View::Hex}},
         "[14:05:00.000] 41 42 43 \r\n[14:05:00.041] 44 "},
        {"HEX: each gap is measured from the previous read",
         {{0, "A", View::Hex}, {15, "B", View::Hex}, {30, "C", View::Hex}},
         "[14:05:00.000] 41 42 43 "},
        {"HEX: line breaks in the data do not start lines",
         {{0, "\r\n", View::Hex}, {1, "\n", View::Hex}},
         "[14:05:00.000] 0D 0A 0A "},
        {"DEC, OCT and BIN render with their codecs",
         {{0, "A", View::Dec}, {100, "A", View::Oct}, {101, "A", View::Bin}},
         "[14:05:00.000] 65 \r\n[14:05:00.100] 101 \r\n[14:05:00.101] 01000001 "},
        {"a clock set back starts a new burst",
         {{500, "A", View::Hex}, {490, "B", View::Hex}},
         "[14:05:00.500] 41 \r\n[14:05:00.490] 42 "},
        {"switching to a digit view mid-line starts a new line",
         {{0, "ab"}, {5, "c", View::Hex}},
         "[14:05:00.000] ab\r\n[14:05:00.005] 63 "},
        {"switching to a digit view after a break adds no empty line",
         {{0, "ab\n"}, {5, "c", View::Hex}},
         "[14:05:00.000] ab\n[14:05:00.005] 63 "},
        {"switching to ASCII starts a stamped line",
         {{0, "a", View::Hex}, {5, "bc"}},
         "[14:05:00.000] 61 \r\n[14:05:00.005] bc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiveStamper stamper;
        EXPECT_EQ(renderAll(stamper, c.pieces), c.shown);
    }
}

TEST(ReceiveStamper, EmptyPiecesChangeNothing) {
    ReceiveStamper stamper;
    EXPECT_EQ(renderAll(stamper, {{0, "a\r"}, {30, ""}, {31, "", View::Hex}, {40, "\nb"}}),
              "[14:05:00.000] a\r\n[14:05:00.040] b");
}

// Clear empties the pane: the next text is stamped at its start with no break before it, even
// within the quiet gap of the burst before.
TEST(ReceiveStamper, ClearStartsAfresh) {
    for (View view : {View::Ascii, View::Hex}) {
        ReceiveStamper stamper;
        renderAll(stamper, {{0, "ab", view}});
        stamper.clear();
        EXPECT_EQ(renderAll(stamper, {{5, "c", view}}),
                  view == View::Ascii ? "[14:05:00.005] c" : "[14:05:00.005] 63 ");
    }
}

// Text shown while the option was off: the first stamped text starts its own line, and a CR
// that ended it still pairs with an LF.
TEST(ReceiveStamper, ContinuesAfterUnstampedText) {
    const struct {
        const char* shown;
        Piece next;
        QString expected;
    } cases[] = {
        {"ab", {0, "c"}, "\r\n[14:05:00.000] c"},
        {"ab\r\n", {0, "c"}, "[14:05:00.000] c"},
        {"ab\r", {0, "\nc"}, "\n[14:05:00.000] c"},
        {"41 ", {0, "B", View::Hex}, "\r\n[14:05:00.000] 42 "},
        {"", {0, "c"}, "[14:05:00.000] c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        ReceiveStamper stamper;
        stamper.shownUnstamped(QString::fromLatin1(c.shown));
        EXPECT_EQ(renderAll(stamper, {c.next}), c.expected);
    }
    // After stamped text, too: a HEX burst within the gap still gets a line of its own.
    ReceiveStamper stamper;
    renderAll(stamper, {{0, "A", View::Hex}});
    stamper.shownUnstamped(u"42 ");
    EXPECT_EQ(renderAll(stamper, {{5, "C", View::Hex}}), "\r\n[14:05:00.005] 43 ");
}

TEST(ReceiveStamper, StampIsLocalTimeWithMilliseconds) {
    const std::pair<QTime, const char*> cases[] = {
        {QTime(0, 0, 0, 0), "[00:00:00.000] "},
        {QTime(9, 5, 7, 42), "[09:05:07.042] "},
        {QTime(23, 59, 59, 999), "[23:59:59.999] "},
        {QTime(12, 30, 0, 100), "[12:30:00.100] "},
    };
    for (const auto& [time, text] : cases)
        EXPECT_EQ(ReceiveStamper::stamp(QDateTime(QDate(2026, 3, 1), time)), text);
    const QDateTime local(QDate(2026, 7, 1), QTime(8, 15, 30, 5));
    EXPECT_EQ(ReceiveStamper::stamp(local.toUTC()), "[08:15:30.005] ");
}

} // namespace
