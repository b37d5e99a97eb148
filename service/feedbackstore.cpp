#include "feedbackstore.h"

#include <sqlite3.h>

namespace {

constexpr int kBusyTimeoutMs = 5000;

const char* const kCreate = "CREATE TABLE IF NOT EXISTS feedback ("
                            " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                            " received_utc TEXT NOT NULL,"
                            " client_address TEXT NOT NULL,"
                            " appname TEXT NOT NULL,"
                            " version TEXT NOT NULL,"
                            " email TEXT NOT NULL,"
                            " feedback TEXT NOT NULL)";

// Finalizes the statement on every path out of a function.
struct Statement {
    sqlite3_stmt* s = nullptr;
    ~Statement() { sqlite3_finalize(s); }
};

std::string column(sqlite3_stmt* s, int i) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(s, i)))
                : std::string();
}

} // namespace

Parsed<std::unique_ptr<FeedbackStore>> FeedbackStore::open(const std::string& path) {
    using Result = Parsed<std::unique_ptr<FeedbackStore>>;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(
        path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
        nullptr);
    if (rc != SQLITE_OK) {
        std::string reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return Result::fail("cannot open " + path + ": " + reason);
    }
    std::unique_ptr<FeedbackStore> store(new FeedbackStore(db));
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    char* message = nullptr;
    if (sqlite3_exec(db, kCreate, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string reason = message ? message : "unknown error";
        sqlite3_free(message);
        return Result::fail("cannot prepare " + path + ": " + reason);
    }
    return Result::ok(std::move(store));
}

FeedbackStore::~FeedbackStore() {
    sqlite3_close(m_db);
}

Parsed<std::int64_t> FeedbackStore::add(const FeedbackEntry& e) {
    std::lock_guard guard(m_lock);
    Statement st;
    if (sqlite3_prepare_v2(m_db,
                           "INSERT INTO feedback (received_utc, client_address, appname, version,"
                           " email, feedback) VALUES (?, ?, ?, ?, ?, ?)",
                           -1, &st.s, nullptr) != SQLITE_OK)
        return Parsed<std::int64_t>::fail(sqlite3_errmsg(m_db));
    const std::string* values[] = {&e.receivedUtc, &e.clientAddress, &e.appname,
                                   &e.version,     &e.email,         &e.text};
    for (int i = 0; i < 6; ++i) {
        const std::string& v = *values[i];
        if (sqlite3_bind_text(st.s, i + 1, v.data(), static_cast<int>(v.size()),
                              SQLITE_TRANSIENT) != SQLITE_OK)
            return Parsed<std::int64_t>::fail(sqlite3_errmsg(m_db));
    }
    if (sqlite3_step(st.s) != SQLITE_DONE)
        return Parsed<std::int64_t>::fail(sqlite3_errmsg(m_db));
    return Parsed<std::int64_t>::ok(sqlite3_last_insert_rowid(m_db));
}

Parsed<std::vector<FeedbackEntry>> FeedbackStore::all() {
    using Result = Parsed<std::vector<FeedbackEntry>>;
    std::lock_guard guard(m_lock);
    Statement st;
    if (sqlite3_prepare_v2(m_db,
                           "SELECT id, received_utc, client_address, appname, version, email,"
                           " feedback FROM feedback ORDER BY id",
                           -1, &st.s, nullptr) != SQLITE_OK)
        return Result::fail(sqlite3_errmsg(m_db));
    std::vector<FeedbackEntry> entries;
    int rc;
    while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
        entries.push_back({sqlite3_column_int64(st.s, 0), column(st.s, 1), column(st.s, 2),
                           column(st.s, 3), column(st.s, 4), column(st.s, 5), column(st.s, 6)});
    }
    if (rc != SQLITE_DONE)
        return Result::fail(sqlite3_errmsg(m_db));
    return Result::ok(std::move(entries));
}
