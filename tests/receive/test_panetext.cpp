#include "receive/bytecodecs.h"
#include "receive/panetext.h"
#include "receive/textmatcher.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// Appends to a PaneText and to a plain string the same way, so the two can be compared.
struct Mirror {
    PaneText text;
    QString plain;

    void appendText(const QString& t) {
        text.appendText(t);
        plain += t;
    }
    void appendBytes(const QString& bytes, ReadView view) {
        text.appendBytes(bytes, view);
        plain += ReadViewLine(bytes, view);
    }
};

QString randomBytes(qsizetype n, std::mt19937& rng) {
    QString bytes(n, Qt::Uninitialized);
    std::uniform_int_distribution<int> byte(0, 255);
    for (QChar& c : bytes)
        c = QChar(byte(rng));
    return bytes;
}

// Appends of every kind in a random order and random sizes, some of them long enough to cross
// the store's internal boundaries, some starting 16-bit text at an odd offset.
void fillMixed(Mirror& m, std::mt19937& rng, int appends) {
    const ReadView views[] = {ReadView::Ascii, ReadView::Hex, ReadView::Dec, ReadView::Oct,
                              ReadView::Bin};
    std::uniform_int_distribution<int> pick(0, 7);
    std::uniform_int_distribution<int> small(1, 300);
    std::uniform_int_distribution<int> large(4000, 70000);
    for (int i = 0; i < appends; ++i) {
        const qsizetype n = pick(rng) == 0 ? large(rng) : small(rng);
        const int what = pick(rng);
        if (what < 5) {
            m.appendBytes(randomBytes(n, rng), views[what]);
        } else if (what == 5) {
            m.appendText(QStringLiteral("[12:00:00.000] "));
        } else if (what == 6) {
            m.appendText(QString(n, QChar(0x20AC)) + QStringLiteral("x\u4E2D"));
        } else { // codes above 255 among bytes: kept as the renderer writes them
            QString odd = randomBytes(n, rng);
            odd[n / 2] = QChar(0x1234);
            m.appendBytes(odd, views[1 + pick(rng) % 4]);
        }
    }
}

} // namespace

TEST(PaneText, ReadsBackExactlyWhatEachAppendRendersTo) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        Mirror m;
        fillMixed(m, rng, 60);
        ASSERT_EQ(m.text.size(), m.plain.size());
        ASSERT_TRUE(m.text.mid(0, m.text.size()) == m.plain);
        std::uniform_int_distribution<qsizetype> pos(0, m.plain.size() - 1);
        for (int i = 0; i < 2000; ++i) {
            const qsizetype at = pos(rng);
            ASSERT_EQ(m.text.at(at), m.plain[at].unicode()) << at;
        }
        for (int i = 0; i < 300; ++i) {
            qsizetype from = pos(rng), to = pos(rng);
            if (from > to)
                std::swap(from, to);
            QString out = QStringLiteral("<");
            m.text.appendTo(out, from, to);
            ASSERT_TRUE(out == "<" + m.plain.mid(from, to - from)) << from << ".." << to;
        }
    }
}

TEST(PaneText, EachViewRendersLikeItsLineRenderer) {
    QString all;
    for (int b = 0; b < 256; ++b)
        all += QChar(b);
    for (ReadView view :
         {ReadView::Ascii, ReadView::Hex, ReadView::Dec, ReadView::Oct, ReadView::Bin}) {
        SCOPED_TRACE(int(view));
        PaneText text;
        text.appendBytes(all, view);
        text.appendBytes(QStringView(all).first(3), view); // appended to the same run
        EXPECT_TRUE(text.mid(0, text.size()) ==
                    ReadViewLine(all, view) + ReadViewLine(QStringView(all).first(3), view));
    }
    PaneText text;
    text.appendBytes(QStringLiteral("A"), ReadView::Hex);
    text.appendText(QStringLiteral("\r\n"));
    text.appendBytes(QStringLiteral("A"), ReadView::Bin);
    EXPECT_EQ(text.mid(0, text.size()), QStringLiteral("41 \r\n01000001 "));
    text.clear();
    EXPECT_EQ(text.size(), 0);
    EXPECT_TRUE(text.mid(0, 10).isEmpty());
}

TEST(PaneText, DigitViewsCostAboutOneBytePerByteReceived) {
    std::mt19937 rng(3);
    const QString bytes = randomBytes(4 << 20, rng);
    for (ReadView view : {ReadView::Hex, ReadView::Bin, ReadView::Dec, ReadView::Ascii}) {
        PaneText text;
        for (qsizetype at = 0; at < bytes.size(); at += 4096)
            text.appendBytes(QStringView(bytes).sliced(at, 4096), view);
        EXPECT_LT(double(text.memoryUsed()) / double(bytes.size()), 1.05) << int(view);
    }
}

TEST(PaneText, SearchAgreesWithAPlainSearchAcrossEveryBoundary) {
    std::mt19937 rng(11);
    Mirror m;
    fillMixed(m, rng, 80);
    const QString& plain = m.plain;
    std::uniform_int_distribution<qsizetype> pos(0, plain.size() - 40);
    std::uniform_int_distribution<int> len(1, 30);
    // Needles taken from the text, some straddling the search's windows of 65536 starts.
    std::vector<qsizetype> at;
    for (int i = 0; i < 40; ++i)
        at.push_back(pos(rng));
    for (qsizetype w = 65536; w + 40 < plain.size(); w += 65536)
        at.push_back(w - 5);
    for (const qsizetype a : at) {
        const QString needle = plain.mid(a, len(rng));
        for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
            const TextMatcher matcher(needle, cs);
            const qsizetype from = pos(rng);
            ASSERT_EQ(m.text.indexOf(matcher, from, plain.size()), plain.indexOf(needle, from, cs))
                << a;
            ASSERT_EQ(m.text.lastIndexOf(matcher, 0, a + 1),
                      plain.lastIndexOf(needle, a, cs)); // the last start at or before a
        }
    }
    // Counting without overlaps, and going on from where it stopped as text arrives.
    const QString needle = QStringLiteral("0 1");
    qsizetype expected = 0;
    for (qsizetype p = plain.indexOf(needle); p >= 0; p = plain.indexOf(needle, p + 3))
        ++expected;
    const TextMatcher matcher(needle, Qt::CaseSensitive);
    qsizetype resume = 0;
    EXPECT_EQ(m.text.count(matcher, 0, m.text.size(), &resume), expected);
    m.appendText(QStringLiteral("x0"));
    m.appendText(QStringLiteral(" 1"));
    EXPECT_EQ(m.text.count(matcher, resume, m.text.size(), &resume), 1);
    EXPECT_EQ(m.text.indexOf(TextMatcher(QString(), Qt::CaseSensitive), 0, m.text.size()), -1);
}
