#include "about/rainmatrix.h"

#include <utility>

namespace {

QRgb greenish(int v) {
    return qRgb(v * 150 / 255, v, v * 100 / 255);
}

} // namespace

RainMatrix::RainMatrix(Random random) : m_random(std::move(random)) {}

void RainMatrix::start(int outerWidth, int outerHeight, Canvas& canvas) {
    m_tick = 0;
    m_bitmapWidth = outerWidth;
    m_bitmapHeight = outerHeight;
    reset(canvas);
}

void RainMatrix::reset(Canvas& canvas) {
    canvas.clear();
    m_matrixWidth = m_bitmapWidth / charWidth;
    m_matrixHeight = m_bitmapHeight / charHeight;
    seed();
}

void RainMatrix::seed() {
    m_drops.clear();
    if (m_matrixWidth <= 0 || m_matrixHeight <= 0)
        return; // nothing fits: no drops rather than a division by zero
    for (int i = 0; i < 2 * m_matrixWidth; ++i) {
        if (std::ssize(m_drops) >= maxDrops)
            break;
        RainDrop drop;
        drop.column = int(m_drops.size()) % m_matrixWidth;
        drop.row = m_random(m_matrixHeight);
        drop.speed = 1 + m_random(3);
        drop.brightness = m_random(100);
        m_drops.push_back(drop);
    }
}

void RainMatrix::tick(Canvas& canvas) {
    for (RainDrop& drop : m_drops) {
        if (!RainChars.isEmpty())
            draw(drop, RainChars.at(m_random(int(RainChars.size()))), canvas);
        if (m_tick % drop.speed == 0) {
            ++drop.row;
            if (drop.row > m_matrixHeight + 1) {
                drop.row = 0;
                drop.speed = 1 + m_random(3);
                drop.brightness = m_random(100);
            }
        }
    }
    ++m_tick;
}

int RainMatrix::eraseRow(int row, int matrixHeight) {
    int r = row - eraseDistance;
    while (r < 0)
        r += matrixHeight + 1;
    return r;
}

QRgb RainMatrix::headColor(int brightness) {
    return greenish(brightness * 255 / 100);
}

QRgb RainMatrix::tailColor(int brightness) {
    return greenish(brightness * 255 / 100 / 3);
}

void RainMatrix::draw(const RainDrop& drop, QChar c, Canvas& canvas) const {
    canvas.eraseCell(drop.column, eraseRow(drop.row, m_matrixHeight));
    if (drop.row > 0)
        canvas.drawChar(drop.column, drop.row - 1, c, tailColor(drop.brightness));
    canvas.drawChar(drop.column, drop.row, c, headColor(drop.brightness));
}
