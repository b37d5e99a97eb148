#include "receive/panesearch.h"

#include "receive/panetext.h"

#include <algorithm>

PaneSearch::PaneSearch(const PaneText& text) : m_text(text) {}

void PaneSearch::start(QStringView needle, Qt::CaseSensitivity cs) {
    m_count = 0;
    if (needle.isEmpty()) {
        m_matcher.reset();
        return;
    }
    m_matcher.emplace(needle, cs);
    m_count = m_text.count(*m_matcher, 0, m_text.size(), &m_countResume);
}

void PaneSearch::stop() {
    m_matcher.reset();
}

void PaneSearch::appended() {
    if (m_matcher)
        m_count += m_text.count(*m_matcher, m_countResume, m_text.size(), &m_countResume);
}

void PaneSearch::cleared() {
    m_count = 0;
    m_countResume = 0;
}

// One pass from the start, stopping at `from` where it can.
PaneSearch::Numbered PaneSearch::nearest(qsizetype from, bool forward) const {
    if (!m_matcher)
        return {-1, 0};
    const TextMatcher& m = *m_matcher;
    const PaneText::Counted here =
        m_text.countedAround(m, std::clamp<qsizetype>(from, 0, m_text.size()));
    if (forward) {
        if (here.firstFrom >= 0)
            return {here.firstFrom, here.before + 1};
        const qsizetype first = m_text.indexOf(m, 0, m_text.size());
        return {first, first >= 0 ? 1 : 0};
    }
    if (here.lastBefore >= 0)
        return {here.lastBefore, here.before};
    const PaneText::Counted all = m_text.countedAround(m, m_text.size());
    return {all.lastBefore, all.before};
}

// After a counted match the next counted one is simply the next match: no count from the
// start is needed.
PaneSearch::Numbered PaneSearch::after(qsizetype start, qsizetype number) const {
    if (!m_matcher)
        return {-1, 0};
    const qsizetype p = m_text.indexOf(*m_matcher, start + m_matcher->size(), m_text.size());
    if (p >= 0)
        return {p, number + 1};
    const qsizetype first = m_text.indexOf(*m_matcher, 0, m_text.size());
    return {first, first >= 0 ? 1 : 0};
}

std::vector<std::pair<qsizetype, qsizetype>> PaneSearch::matchesIn(qsizetype from,
                                                                   qsizetype to) const {
    std::vector<std::pair<qsizetype, qsizetype>> found;
    if (!m_matcher)
        return found;
    const qsizetype n = m_matcher->size();
    for (qsizetype p = m_text.indexOf(*m_matcher, std::max<qsizetype>(0, from - n + 1), to); p >= 0;
         p = m_text.indexOf(*m_matcher, p + n, to))
        found.emplace_back(p, p + n);
    return found;
}

qsizetype PaneSearch::find(const PaneText& text, const TextMatcher& m, qsizetype from,
                           bool forward) {
    if (m.size() == 0)
        return -1;
    const qsizetype size = text.size();
    from = std::clamp<qsizetype>(from, 0, size);
    if (forward) {
        const qsizetype p = text.indexOf(m, from, size);
        return p >= 0 ? p : text.indexOf(m, 0, from);
    }
    const qsizetype p = text.lastIndexOf(m, 0, from);
    return p >= 0 ? p : text.lastIndexOf(m, from, size);
}
