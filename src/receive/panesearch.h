#pragma once

// PaneSearch: the find bar's search through the read pane's text.
// It keeps the number of matches up to date as text arrives, counting on from where it last
// stopped, and finds matches together with their number in that count. Where matches overlap
// ("00 00" in "00 00 00"), only the chain taken from the start without overlaps is counted and
// stepped through, so "k of n" never passes n.

#include "receive/textmatcher.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

class PaneText;

class PaneSearch {
public:
    // A match's start and its number in the count (1 for the first); -1 and 0 for none.
    using Numbered = std::pair<qsizetype, qsizetype>;

    // Searches `text`, which must outlive the search.
    explicit PaneSearch(const PaneText& text);

    // Searches for `needle` from now on and counts its matches; an empty needle stops.
    void start(QStringView needle, Qt::CaseSensitivity cs);
    void stop();
    bool isActive() const { return m_matcher.has_value(); }
    qsizetype needleSize() const { return m_matcher ? m_matcher->size() : 0; }
    qsizetype count() const { return m_count; }

    // Counts on over what was appended to the text since.
    void appended();
    // Forgets the count (the text was cleared).
    void cleared();

    // The counted match nearest `from` in the direction asked, wrapping round.
    Numbered nearest(qsizetype from, bool forward) const;
    // The counted match after the one starting at `start`, numbered `number`, wrapping round.
    Numbered after(qsizetype start, qsizetype number) const;
    // Every match overlapping [from, to), as [start, end), in order; for marking them in view.
    std::vector<std::pair<qsizetype, qsizetype>> matchesIn(qsizetype from, qsizetype to) const;

    // The next match of `m` starting at or after `from` (forward) or before it, going round
    // the end of `text`; -1 when there is none.
    static qsizetype find(const PaneText& text, const TextMatcher& m, qsizetype from, bool forward);

private:
    const PaneText& m_text;
    std::optional<TextMatcher> m_matcher;
    qsizetype m_count = 0;
    qsizetype m_countResume = 0;
};
