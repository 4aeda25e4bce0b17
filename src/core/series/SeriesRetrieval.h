#pragma once

#include "core/base/TimeStep.h"

#include <QString>

namespace rp {

class Database;

// Retrieves one parameter's series as GO does (its description from rsite, the retrieval
// statement of the time step) and writes the series file the Graph/Table command would write.
// `from` and `to` are dates as the date boxes take them. Returns the values-per-day count.
// Throws rp::Error: an unknown parameter, dates that are not dates, the writer's failures.
int writeSeriesFromDatabase(Database& database, const QString& key, TimeStep step,
                            const QString& from, const QString& to, const QString& path);

} // namespace rp
