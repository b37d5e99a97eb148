// FeedbackCsv: stored feedback as CSV (RFC 4180) for a spreadsheet: a header line, then one
// record per entry, lines ending in CR LF. A field holding a comma, a quote, CR or LF is quoted
// with its quotes doubled, so multi-line feedback stays one record.
#pragma once

#include "feedbackentry.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class FeedbackCsv {
public:
    static void write(const std::vector<FeedbackEntry>& entries, std::ostream& out);
    static std::string field(std::string_view value);
};
