#include "receive/receivestamper.h"

#include "receive/bytecodecs.h"

#include <utility>

namespace {

bool isBreak(QChar c) {
    return c == u'\n' || c == u'\r';
}

} // namespace

QString ReceiveStamper::stamp(const QDateTime& readTime) {
    // Built by hand: a flood of short lines takes one stamp per piece, and QTime::toString
    // would parse its format each time.
    const QTime time = readTime.toLocalTime().time();
    if (!time.isValid())
        return QStringLiteral("[--:--:--.---] ");
    const int fields[4] = {time.hour(), time.minute(), time.second(), time.msec()};
    char16_t text[] = u"[00:00:00.000] "; // 15 characters and the terminating zero
    const int ends[4] = {3, 6, 9, 13};    // one past each field's last digit
    for (int f = 0; f < 4; ++f) {
        int value = fields[f];
        for (int at = ends[f] - 1; value > 0; --at, value /= 10)
            text[at] = char16_t(u'0' + value % 10);
    }
    return QString(reinterpret_cast<const QChar*>(text), 15);
}

void ReceiveStamper::clear() {
    m_empty = true;
    m_view.reset();
    m_lastRead.reset();
}

void ReceiveStamper::shownUnstamped(QStringView shown) {
    if (shown.isEmpty())
        return;
    m_empty = false;
    m_last = shown.back();
    m_view.reset();
    m_lastRead.reset();
}

QString ReceiveStamper::render(const QDateTime& readTime, QStringView chunk, View view) {
    QString out;
    render(out, readTime, chunk, view);
    return out;
}

QString ReceiveStamper::digitLead(const QDateTime& readTime, View view) {
    QString out;
    const bool newLine = startPiece(out, readTime, view);
    if (newLine)
        out += stamp(readTime);
    m_last = u' '; // every rendered byte ends with a space
    return out;
}

bool ReceiveStamper::startPiece(QString& out, const QDateTime& readTime, View view) {
    const bool fresh = m_view != view;
    const bool quietBefore =
        !m_lastRead || readTime < *m_lastRead || m_lastRead->msecsTo(readTime) > kQuietGapMs;
    m_view = view;
    m_lastRead = readTime;
    m_wasEmpty = std::exchange(m_empty, false);
    // Text that must start a line gets a break first, unless the pane is empty or already at a
    // line's start.
    const bool newLine = fresh || (view != View::Ascii && quietBefore);
    if (newLine && !m_wasEmpty && !isBreak(m_last)) {
        out += QLatin1String("\r\n");
        m_last = u'\n';
    }
    return newLine;
}

void ReceiveStamper::render(QString& out, const QDateTime& readTime, QStringView chunk, View view) {
    if (chunk.isEmpty())
        return;
    if (view != View::Ascii) {
        out += digitLead(readTime, view);
        out += ReadViewLine(chunk, view);
        return;
    }
    startPiece(out, readTime, view);
    const bool wasEmpty = m_wasEmpty;

    QString lineStamp;    // made once a line starts in this piece
    qsizetype copied = 0; // chunk[copied, i) is still to be appended
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        const QChar c = chunk[i];
        // A CR followed by LF is one break: the line starts after the LF.
        const bool lineStart =
            (i == 0 && wasEmpty) || m_last == u'\n' || (m_last == u'\r' && c != u'\n');
        if (lineStart) {
            out += chunk.sliced(copied, i - copied);
            if (lineStamp.isEmpty())
                lineStamp = stamp(readTime);
            out += lineStamp;
            copied = i;
        }
        m_last = c;
    }
    out += chunk.sliced(copied);
}
