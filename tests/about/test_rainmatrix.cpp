#include "about/rainmatrix.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <vector>

namespace {

// Random numbers from a script (each taken modulo its bound), then zeros.
struct ScriptedRandom {
    std::deque<int> values;
    int operator()(int bound) {
        if (values.empty())
            return 0;
        const int v = values.front();
        values.pop_front();
        return v % bound;
    }
};

struct RecordingCanvas : RainMatrix::Canvas {
    struct Op {
        char kind; // 'c'lear, 'e'rase, 'd'raw
        int column, row;
        QChar c;
        QRgb color;
        bool operator==(const Op&) const = default;
    };
    std::vector<Op> ops;
    void clear() override { ops.push_back({'c', 0, 0, {}, 0}); }
    void eraseCell(int column, int row) override { ops.push_back({'e', column, row, {}, 0}); }
    void drawChar(int column, int row, QChar c, QRgb color) override {
        ops.push_back({'d', column, row, c, color});
    }
};

TEST(RainMatrix, GridComesFromTheOuterSizeWithTwoDropsPerColumnUpTo5000) {
    struct Case {
        int width, height, columns, rows, drops;
    };
    const Case cases[] = {
        {462, 413, 57, 34, 114}, // outer size of the 446 x 374 window with a caption and borders
        {446, 374, 55, 31, 110},
        {7, 11, 0, 0, 0},             // smaller than a cell: nothing to animate
        {24000, 120, 3000, 10, 5000}, // 6000 wanted, 5000 at most
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        RainMatrix rain([](int bound) { return bound - 1; });
        RecordingCanvas canvas;
        rain.start(c.width, c.height, canvas);
        EXPECT_EQ(rain.matrixWidth(), c.columns);
        EXPECT_EQ(rain.matrixHeight(), c.rows);
        ASSERT_EQ(int(rain.drops().size()), c.drops);
        ASSERT_EQ(canvas.ops.size(), 1u);
        EXPECT_EQ(canvas.ops.front().kind, 'c');
        std::vector<int> perColumn(std::max(c.columns, 1));
        for (int i = 0; i < c.drops; ++i) {
            const RainDrop& d = rain.drops()[i];
            EXPECT_EQ(d.column, i % c.columns);
            EXPECT_EQ(d.row, c.rows - 1);
            EXPECT_EQ(d.speed, 3);
            EXPECT_EQ(d.brightness, 99);
            ++perColumn[d.column];
        }
        if (c.columns > 0 && c.drops == 2 * c.columns) {
            for (int n : perColumn)
                EXPECT_EQ(n, 2);
        }
    }
}

TEST(RainMatrix, EraseRowIsFortyAboveAndWrapsRoundTheGrid) {
    struct Case {
        int row, matrixHeight, erased;
    };
    const Case cases[] = {{45, 34, 5}, {40, 34, 0}, {39, 34, 34}, {5, 34, 0},
                          {0, 34, 30}, {0, 10, 4},  {35, 34, 30}};
    for (const Case& c : cases)
        EXPECT_EQ(RainMatrix::eraseRow(c.row, c.matrixHeight), c.erased)
            << "row " << c.row << " of " << c.matrixHeight;
}

TEST(RainMatrix, HeadAndTailColours) {
    EXPECT_EQ(RainMatrix::headColor(99), qRgb(148, 252, 98));
    EXPECT_EQ(RainMatrix::tailColor(99), qRgb(49, 84, 32));
    EXPECT_EQ(RainMatrix::headColor(50), qRgb(74, 127, 49));
    EXPECT_EQ(RainMatrix::tailColor(50), qRgb(24, 42, 16));
    EXPECT_EQ(RainMatrix::headColor(0), qRgb(0, 0, 0));
}

TEST(RainMatrix, TickDrawsEveryHeadAndMovesByItsSpeed) {
    // One column of 10 rows: drops at rows 0 (speed 1) and 5 (speed 2).
    ScriptedRandom script{{0, 0, 50, 5, 1, 99}};
    RainMatrix rain(std::ref(script));
    RecordingCanvas canvas;
    rain.start(8, 120, canvas);
    ASSERT_EQ(rain.drops().size(), 2u);
    canvas.ops.clear();

    script.values = {1, 2}; // characters "a" and "r"
    rain.tick(canvas);
    using Op = RecordingCanvas::Op;
    const std::vector<Op> expected{
        {'e', 0, RainMatrix::eraseRow(0, 10), {}, 0},
        {'d', 0, 0, 'a', RainMatrix::headColor(50)}, // row 0: no tail
        {'e', 0, RainMatrix::eraseRow(5, 10), {}, 0},
        {'d', 0, 4, 'r', RainMatrix::tailColor(99)},
        {'d', 0, 5, 'r', RainMatrix::headColor(99)},
    };
    EXPECT_EQ(canvas.ops, expected);
    // Tick 0 is divisible by every speed: both moved.
    EXPECT_EQ(rain.drops()[0].row, 1);
    EXPECT_EQ(rain.drops()[1].row, 6);

    rain.tick(canvas); // tick 1: only speed 1 moves, but both heads are drawn again
    EXPECT_EQ(rain.drops()[0].row, 2);
    EXPECT_EQ(rain.drops()[1].row, 6);
    EXPECT_EQ(std::count_if(canvas.ops.begin() + 5, canvas.ops.end(),
                            [](const Op& op) { return op.kind == 'd'; }),
              4);
    EXPECT_EQ(rain.tickCount(), 2);
}

TEST(RainMatrix, DropPastTheBottomRestartsAtTheTopWithNewSpeedAndBrightness) {
    ScriptedRandom script;
    RainMatrix rain(std::ref(script));
    RecordingCanvas canvas;
    rain.start(8, 120, canvas); // 10 rows, so a drop restarts once its row passes 11
    rain.drops().resize(1);
    rain.drops()[0] = RainDrop{0, 11, 1, 40};

    script.values = {0, 1, 77}; // character, new speed 2, new brightness 77
    rain.tick(canvas);
    EXPECT_EQ(rain.drops()[0].row, 0);
    EXPECT_EQ(rain.drops()[0].speed, 2);
    EXPECT_EQ(rain.drops()[0].brightness, 77);

    rain.drops()[0] = RainDrop{0, 10, 1, 40};
    rain.tick(canvas);
    EXPECT_EQ(rain.drops()[0].row, 11) << "row 11 is still within matrixHeight + 1";
}

TEST(RainMatrix, StartsAfreshAndDrawsOnlyItsCharacters) {
    RainMatrix rain([](int bound) { return bound / 2; });
    RecordingCanvas canvas;
    rain.start(462, 413, canvas);
    for (int i = 0; i < 50; ++i)
        rain.tick(canvas);
    std::set<QChar> drawn;
    for (const auto& op : canvas.ops) {
        if (op.kind == 'd') {
            drawn.insert(op.c);
            EXPECT_LT(op.column, rain.matrixWidth());
            EXPECT_LE(op.row, rain.matrixHeight() + 1);
        }
    }
    EXPECT_EQ(drawn, std::set<QChar>{QChar('a')});
    rain.start(462, 413, canvas);
    EXPECT_EQ(rain.tickCount(), 0);
    EXPECT_EQ(rain.drops().size(), 114u);
}

} // namespace
