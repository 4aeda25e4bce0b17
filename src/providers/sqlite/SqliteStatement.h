#pragma once

#include <QString>
#include <QVariant>

#include <array>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace rp {

// One prepared SQLite statement, finalized when it goes out of scope. Every failure is an
// rp::Error with SQLite's own message.
class SqliteStatement {
public:
    // Prepares exactly one statement; text after it other than blanks and ';' is refused.
    SqliteStatement(sqlite3* db, const QString& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    int columnCount() const;

    // Binds a value, 1-based: null, integers, reals, texts, byte arrays; date-times as
    // "YYYY-MM-DD HH:MM:SS" text (with milliseconds when there are any).
    void bind(int index, const QVariant& value);
    // True while a row is ready; false when done.
    bool step();
    // Steps to the end and returns the rows changed.
    qint64 run();
    // Ready to run again, its values unbound.
    void reset();
    // Ready to run again with the values bound; for loops that bind every parameter anew.
    void rewind();

private:
    [[noreturn]] void fail() const;
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    // The date-time texts bound, one per parameter: SQLite reads them where they are, without
    // a copy of its own.
    std::vector<std::array<char, 24>> m_dateTexts;
};

// The text under which the embedded database stores a naive date-time.
QString sqliteDateTimeText(const QDateTime& dateTime);

// SQLite's message for the last failure on a connection.
QString sqliteErrorText(sqlite3* db);

} // namespace rp
