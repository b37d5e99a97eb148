#include "base/singleline.h"

#include <algorithm>

namespace {
bool isBreak(QChar c) {
    return c == u'\r' || c == u'\n';
}
} // namespace

bool keepFirstLine(QString& text, int& cursor) {
    const auto begin = std::find_if(text.cbegin(), text.cend(), isBreak);
    if (begin == text.cend())
        return false;
    const qsizetype first = begin - text.cbegin();
    const qsizetype last = text.crend() - std::find_if(text.crbegin(), text.crend(), isBreak) - 1;
    // A cursor past the first break marks the end of what was inserted; text after it was
    // already there and stays. Otherwise only the first line is kept.
    const qsizetype end =
        cursor > first ? std::clamp<qsizetype>(cursor, last + 1, text.size()) : text.size();
    text.remove(first, end - first);
    cursor = int(first);
    return true;
}
