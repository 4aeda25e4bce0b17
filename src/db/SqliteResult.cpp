#include "SqliteResult.h"

#include "CivilDays.h"
#include "Error.h"
#include "RecordColumn.h"
#include "RecordSetBuilder.h"
#include "SqliteStatement.h"

#include <cstring>
#include <sqlite3.h>
#include <vector>

namespace rp {

namespace {

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

bool digits(const char* p, int n, int& out) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const unsigned c = unsigned(p[i]) - '0';
        if (c > 9)
            return false;
        v = v * 10 + int(c);
    }
    out = v;
    return true;
}

enum class Kind { Plain, Date };

Kind columnKind(const char* declared, const char* name) {
    const QByteArray decl = QByteArray(declared ? declared : "").toUpper();
    if (decl.contains("DATE") || decl.contains("TIME"))
        return Kind::Date;
    const bool numeric = decl.contains("INT") || decl.contains("REAL") || decl.contains("FLOA") ||
                         decl.contains("DOUB") || decl.contains("NUM");
    if (!numeric && QByteArray(name ? name : "").toLower().contains("date"))
        return Kind::Date;
    return Kind::Plain;
}

// The declared type as SQLite's affinity rules read it; Null when it says nothing definite.
FieldType declaredType(const char* declared) {
    const QByteArray decl = QByteArray(declared ? declared : "").toUpper();
    if (decl.contains("INT"))
        return FieldType::Integer;
    if (decl.contains("CHAR") || decl.contains("CLOB") || decl.contains("TEXT"))
        return FieldType::Text;
    if (decl.contains("REAL") || decl.contains("FLOA") || decl.contains("DOUB"))
        return FieldType::Real;
    if (decl.contains("BLOB"))
        return FieldType::Blob;
    return FieldType::Null;
}

// "YYYY-MM-DD" as days since 1970-01-01.
std::optional<qint64> isoDay(const char* p) {
    int y, mo, d;
    if (!digits(p, 4, y) || p[4] != '-' || !digits(p + 5, 2, mo) || p[7] != '-' ||
        !digits(p + 8, 2, d))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo))
        return std::nullopt;
    return daysFromCivil(y, unsigned(mo), unsigned(d));
}

// What follows the day: nothing, " HH:MM", " HH:MM:SS" or " HH:MM:SS.fff…", as milliseconds.
std::optional<qint64> isoTimeOfDay(const char* p, qsizetype n) {
    if (n == 0)
        return 0;
    int h, mi, s = 0, ms = 0;
    if (n < 6 || p[0] != ' ' || !digits(p + 1, 2, h) || p[3] != ':' || !digits(p + 4, 2, mi))
        return std::nullopt;
    if (n > 6) {
        if (n < 9 || p[6] != ':' || !digits(p + 7, 2, s))
            return std::nullopt;
        if (n > 9) {
            // A fraction of a second: milliseconds from its first three digits.
            if (p[9] != '.' || n == 10)
                return std::nullopt;
            int scale = 100;
            for (qsizetype i = 10; i < n; ++i) {
                const unsigned c = unsigned(p[i]) - '0';
                if (c > 9)
                    return std::nullopt;
                ms += int(c) * scale;
                scale /= 10;
            }
        }
    }
    if (h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    return ((qint64(h) * 60 + mi) * 60 + s) * 1000 + ms;
}

// Rows of a series mostly share their day with the row before: its day number is kept.
class IsoDateReader {
public:
    std::optional<qint64> read(const char* text, qsizetype n) {
        if (n < 10)
            return std::nullopt;
        if (!m_known || std::memcmp(text, m_dayText, 10) != 0) {
            const auto day = isoDay(text);
            if (!day)
                return std::nullopt;
            std::memcpy(m_dayText, text, 10);
            m_day = *day;
            m_known = true;
        }
        const auto time = isoTimeOfDay(text + 10, n - 10);
        if (!time)
            return std::nullopt;
        return m_day * msecsPerDay + *time;
    }

private:
    char m_dayText[10] = {};
    qint64 m_day = 0;
    bool m_known = false;
};

} // namespace

std::optional<qint64> isoDateTimeMSecs(QByteArrayView text) {
    return IsoDateReader().read(text.data(), text.size());
}

std::unique_ptr<RecordSet> readSqliteResult(sqlite3_stmt* stmt, RecordSet::Builder& builder) {
    const int columns = sqlite3_column_count(stmt);
    std::vector<Kind> kinds(size_t(columns), Kind::Plain);
    // Date columns that turn out to hold other texts, or numbers.
    std::vector<bool> notDates(size_t(columns), false);
    for (int c = 0; c < columns; ++c) {
        const char* decl = sqlite3_column_decltype(stmt, c);
        const char* name = sqlite3_column_name(stmt, c);
        kinds[size_t(c)] = columnKind(decl, name);
        builder.addField(QString::fromUtf8(name),
                         kinds[size_t(c)] == Kind::Date ? FieldType::DateTime : declaredType(decl));
    }
    std::vector<RecordColumn*> target(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        target[size_t(c)] = &builder.column(c);
    std::vector<IsoDateReader> dates(static_cast<size_t>(columns));
    sqlite3* db = sqlite3_db_handle(stmt);
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            throw Error(sqliteErrorText(db));
        for (int c = 0; c < columns; ++c) {
            RecordColumn& column = *target[size_t(c)];
            const bool dateColumn = kinds[size_t(c)] == Kind::Date;
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                column.appendInteger(sqlite3_column_int64(stmt, c));
                if (dateColumn)
                    notDates[size_t(c)] = true;
                break;
            case SQLITE_FLOAT:
                column.appendReal(sqlite3_column_double(stmt, c));
                if (dateColumn)
                    notDates[size_t(c)] = true;
                break;
            case SQLITE_TEXT: {
                const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                const int bytes = sqlite3_column_bytes(stmt, c);
                if (dateColumn) {
                    if (auto ms = dates[size_t(c)].read(text, bytes)) {
                        column.appendDateTime(*ms);
                        break;
                    }
                    notDates[size_t(c)] = true;
                }
                column.appendText(QString::fromUtf8(text, bytes));
                break;
            }
            case SQLITE_BLOB: {
                const char* data = static_cast<const char*>(sqlite3_column_blob(stmt, c));
                column.appendBlob(QByteArray(data, sqlite3_column_bytes(stmt, c)));
                break;
            }
            default:
                column.appendNull();
                break;
            }
        }
    }
    // A "date" column that holds other values is typed by its first value after all.
    for (int c = 0; c < columns; ++c)
        if (notDates[size_t(c)])
            builder.setFieldType(c, FieldType::Null);
    return builder.build();
}

} // namespace rp
