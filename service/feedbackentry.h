// FeedbackEntry: one stored piece of feedback, as the store keeps it and the CSV export writes it.
#pragma once

#include <cstdint>
#include <string>

struct FeedbackEntry {
    std::int64_t id = 0;       // assigned by the store; 0 before it is stored
    std::string receivedUtc;   // ISO 8601, such as 2024-05-01T12:30:00Z
    std::string clientAddress; // the address the post came from
    std::string appname;
    std::string version;
    std::string email; // empty when none was given
    std::string text;
};
