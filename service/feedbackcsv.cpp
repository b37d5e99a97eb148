#include "feedbackcsv.h"

std::string FeedbackCsv::field(std::string_view value) {
    if (value.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(value);
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void FeedbackCsv::write(const std::vector<FeedbackEntry>& entries, std::ostream& out) {
    out << "id,received_utc,client_address,appname,version,email,feedback\r\n";
    for (const FeedbackEntry& e : entries) {
        out << e.id << ',' << field(e.receivedUtc) << ',' << field(e.clientAddress) << ','
            << field(e.appname) << ',' << field(e.version) << ',' << field(e.email) << ','
            << field(e.text) << "\r\n";
    }
}
