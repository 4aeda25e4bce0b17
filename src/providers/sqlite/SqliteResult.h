#pragma once

#include "core/db/RecordSet.h"

#include <memory>

struct sqlite3_stmt;

namespace rp {

// Steps a prepared statement to its end and holds every row in typed columns. A text value in a
// column whose declared type names a date or time, or whose name contains "date", becomes a
// date-time when it reads as an ISO date. The set is read-only until the caller makes it editable.
std::unique_ptr<RecordSet> readSqliteResult(sqlite3_stmt* statement, RecordSet::Builder& builder);

} // namespace rp
