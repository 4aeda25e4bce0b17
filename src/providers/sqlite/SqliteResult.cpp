#include "providers/sqlite/SqliteResult.h"

#include "core/base/CivilDays.h"
#include "core/base/Error.h"
#include "core/base/IsoDateTime.h"
#include "core/db/RecordColumn.h"
#include "core/db/RecordSetBuilder.h"
#include "providers/sqlite/SqliteStatement.h"

#include <cstring>
#include <sqlite3.h>
#include <vector>

namespace rp {

namespace {

// Computed: an expression, a date when its values are date-time texts as the Jet functions
// give them ("YYYY-MM-DD HH:MM:SS").
enum class Kind { Plain, Date, Computed };

constexpr int computedDateBytes = 19;

Kind columnKind(const char* declared, const char* name) {
    const QByteArray decl = QByteArray(declared ? declared : "").toUpper();
    if (!declared && !QByteArray(name ? name : "").toLower().contains("date"))
        return Kind::Computed;
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

} // namespace

std::unique_ptr<RecordSet> readSqliteResult(sqlite3_stmt* stmt, RecordSet::Builder& builder) {
    const int columns = sqlite3_column_count(stmt);
    std::vector<Kind> kinds(size_t(columns), Kind::Plain);
    // Date columns that turn out to hold other texts, or numbers.
    std::vector<bool> notDates(size_t(columns), false);
    std::vector<bool> sawDates(size_t(columns), false);
    for (int c = 0; c < columns; ++c) {
        const char* decl = sqlite3_column_decltype(stmt, c);
        const char* name = sqlite3_column_name(stmt, c);
        kinds[size_t(c)] = columnKind(decl, name);
        builder.addField(QString::fromUtf8(name), kinds[size_t(c)] != Kind::Plain
                                                      ? FieldType::DateTime
                                                      : declaredType(decl));
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
            const bool dateColumn = kinds[size_t(c)] != Kind::Plain;
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
                    const bool computed = kinds[size_t(c)] == Kind::Computed;
                    if (auto ms = !computed || bytes == computedDateBytes
                                      ? dates[size_t(c)].read(text, bytes)
                                      : std::nullopt) {
                        column.appendDateTime(*ms);
                        sawDates[size_t(c)] = true;
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
        if (notDates[size_t(c)] || (kinds[size_t(c)] == Kind::Computed && !sawDates[size_t(c)]))
            builder.setFieldType(c, FieldType::Null);
    return builder.build();
}

} // namespace rp
