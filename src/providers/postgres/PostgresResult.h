#pragma once

#include "core/db/RecordSet.h"

#include <QByteArray>
#include <QVariant>
#include <memory>
#include <optional>

struct pg_result;

namespace rp {

// Owns a libpq result.
struct PgResultDeleter {
    void operator()(pg_result* result) const;
};
using PgResult = std::unique_ptr<pg_result, PgResultDeleter>;

// The text form in which a value travels to the server (query parameters and COPY); nothing
// for null. Date-times are written naive, as they are held; true and false as 1 and 0, which
// both integer and boolean columns accept.
std::optional<QByteArray> postgresText(const QVariant& value);

// Holds every row of a result in typed columns: integers, real numbers, date-times (timestamp
// and date, read naive whatever the session's time zone), blobs, and text for the rest. true
// and false become -1 and 0 as Jet has them.
std::unique_ptr<RecordSet> readPostgresResult(pg_result* result, RecordSet::Builder& builder);

} // namespace rp
