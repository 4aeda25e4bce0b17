#pragma once

#include "RecordSet.h"

#include <QByteArrayView>
#include <memory>
#include <optional>

struct sqlite3_stmt;

namespace rp {

// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS" (optionally with a fraction of a
// second) as naive milliseconds since 1970-01-01; nothing for anything else, including dates that
// are not on the calendar.
std::optional<qint64> isoDateTimeMSecs(QByteArrayView text);

// Steps a prepared statement to its end and holds every row in typed columns. A text value in a
// column whose declared type names a date or time, or whose name contains "date", becomes a
// date-time when it reads as an ISO date. The set is read-only until the caller makes it editable.
std::unique_ptr<RecordSet> readSqliteResult(sqlite3_stmt* statement, RecordSet::Builder& builder);

} // namespace rp
