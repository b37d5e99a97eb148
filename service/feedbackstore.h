// FeedbackStore: the feedback kept in one SQLite file.
// Creates the table when missing; every value goes through bound parameters of prepared
// statements, never into SQL text. Safe to use from several request threads at once (one lock
// around the connection); waits a few seconds for another process, such as an export, holding
// the file.
#pragma once

#include "feedbackentry.h"
#include "parsed.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

class FeedbackStore {
public:
    static Parsed<std::unique_ptr<FeedbackStore>> open(const std::string& path);
    ~FeedbackStore();
    FeedbackStore(const FeedbackStore&) = delete;
    FeedbackStore& operator=(const FeedbackStore&) = delete;

    // Stores the entry (its id is ignored); returns the new id or the reason it failed.
    Parsed<std::int64_t> add(const FeedbackEntry& entry);
    // Every stored entry, oldest first.
    Parsed<std::vector<FeedbackEntry>> all();

private:
    explicit FeedbackStore(sqlite3* db) : m_db(db) {}
    sqlite3* m_db;
    std::mutex m_lock;
};
