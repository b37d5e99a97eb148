#pragma once

// ReceiveStamper: puts the local time a piece of received data was read, as "[hh:mm:ss.zzz] "
// (24-hour, milliseconds), at the start of each line the read pane shows.
//
// In the ASCII view a line starts at the start of the pane and after each LF, CR LF or lone CR,
// as the pane breaks lines; the stamp goes before the line's first character, so a break that
// ends a piece is stamped only once more data comes (no empty stamped lines), and a CR LF split
// between two pieces stays one break. In the digit views (HEX, DEC, OCT, BIN) a piece read more
// than kQuietGapMs after the previous one (or earlier than it: the clock was set back) starts a
// new line with its stamp; pieces closer together continue the line unstamped.
//
// Where text needs a line of its own and the pane's last line is not finished, a CR LF is put
// in first: before a new burst in a digit view, and before the first stamped text after a
// switch of view or after text shown without stamps. Nothing is ever put in at the start of
// the pane or right after a line break, so no empty lines appear.
//
// Its only state is what the pane ends with, the view and the time of the last piece; it knows
// nothing of widgets or clocks: times are given with each piece.

#include "receive/readview.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

class ReceiveStamper {
public:
    using View = ReadView;

    // Pieces read further apart than this start a new line in the digit views.
    static constexpr qint64 kQuietGapMs = 20;

    // The stamp for `readTime` in its local time: "[hh:mm:ss.zzz] ".
    static QString stamp(const QDateTime& readTime);

    // Appends to `out` the text to show for `chunk` (one character per byte read) read at
    // `readTime`, rendered in `view`. An empty chunk adds nothing and changes nothing.
    void render(QString& out, const QDateTime& readTime, QStringView chunk, View view);
    QString render(const QDateTime& readTime, QStringView chunk, View view);
    // For a digit view: what render() puts before the chunk's digits (a break, a stamp, or
    // nothing), with the same change of state; the caller shows the digits itself. A non-empty
    // chunk is assumed.
    QString digitLead(const QDateTime& readTime, View view);

    // The pane was emptied: the next text starts it, with no break before it.
    void clear();
    // `shown` was added to the pane without stamps. The next stamped text starts a line of its
    // own, as after a switch of view.
    void shownUnstamped(QStringView shown);

private:
    // Notes a piece read at `readTime` in `view`, putting in the break a new line needs; true
    // when the piece starts a new line.
    bool startPiece(QString& out, const QDateTime& readTime, View view);

    // The last character the pane shows, when it shows any (a character 0 is data like any
    // other, so it cannot mark an empty pane).
    bool m_empty = true;
    bool m_wasEmpty = true; // m_empty before the piece being rendered
    QChar m_last;
    // The view of the last stamped piece; none after clear() or unstamped text, so that the
    // next piece starts afresh.
    std::optional<View> m_view;
    std::optional<QDateTime> m_lastRead;
};
