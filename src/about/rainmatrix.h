#pragma once

// RainMatrix: the falling-characters animation of the About window, without any drawing.
// A grid of 8 x 12 pixel cells is laid over the window's outer size; every column gets two
// drops (at most 5000 in all). Each tick redraws every drop's head with a fresh character,
// its tail one row above, erases the cell 40 rows above (wrapping round the grid), and moves
// the drop one row every `speed` ticks; a drop that runs off the bottom starts again at the top
// with a new speed and brightness. What is drawn goes to a RainMatrix::Canvas, so the rules can
// be checked without a window.

#include <QRgb>
#include <QString>

#include <functional>
#include <vector>

struct RainDrop {
    int column = 0;
    int row = 0;
    int speed = 1;      // 1 to 3: the drop moves one row every `speed` ticks
    int brightness = 0; // 0 to 99
};

class RainMatrix {
public:
    static constexpr int charWidth = 8;
    static constexpr int charHeight = 12;
    static constexpr int maxDrops = 5000;
    static constexpr int eraseDistance = 40; // rows between a head and the cell it erases

    // Where a tick draws; cells are given in grid coordinates.
    class Canvas {
    public:
        virtual ~Canvas() = default;
        virtual void clear() = 0;                                            // the whole area black
        virtual void eraseCell(int column, int row) = 0;                     // one cell black
        virtual void drawChar(int column, int row, QChar c, QRgb color) = 0; // on black
    };

    // A whole number from 0 to bound - 1.
    using Random = std::function<int(int bound)>;

    explicit RainMatrix(Random random);

    // Starts over on an area of the given outer size: tick counter 0, grid and drops anew.
    void start(int outerWidth, int outerHeight, Canvas& canvas);
    // Clears the canvas and lays out the grid and its drops for the size given to start().
    void reset(Canvas& canvas);
    // One animation step over all drops, in table order.
    void tick(Canvas& canvas);

    int bitmapWidth() const { return m_bitmapWidth; }
    int bitmapHeight() const { return m_bitmapHeight; }
    int matrixWidth() const { return m_matrixWidth; }
    int matrixHeight() const { return m_matrixHeight; }
    int tickCount() const { return m_tick; }
    const std::vector<RainDrop>& drops() const { return m_drops; }
    std::vector<RainDrop>& drops() { return m_drops; }

    QString RainChars = QStringLiteral("tar");

    // The row erased for a head at `row`: 40 rows above, wrapped round a grid of
    // matrixHeight + 1 rows.
    static int eraseRow(int row, int matrixHeight);
    static QRgb headColor(int brightness);
    static QRgb tailColor(int brightness);

private:
    void seed();
    void draw(const RainDrop& drop, QChar c, Canvas& canvas) const;

    Random m_random;
    int m_bitmapWidth = 0;
    int m_bitmapHeight = 0;
    int m_matrixWidth = 0;
    int m_matrixHeight = 0;
    int m_tick = 0;
    std::vector<RainDrop> m_drops;
};
