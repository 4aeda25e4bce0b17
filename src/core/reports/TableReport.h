#pragma once

#include "core/reports/ReportOptions.h"

class QIODevice;

namespace rp {

// Reads a series file's two header lines and writes the table its time-step code calls for:
// 0 and 1 the monthly table, 2, 5 and 6 the daily table, 3 the hourly table. Unit values (4 and
// 7) have no table. A sink in `options` checks the series first and takes the aggregates; its
// finish() is the caller's, once the report is written. Throws rp::Error with a message for the
// user; the output then holds what was written before the failure.
void writeTableReport(QIODevice& series, QIODevice& report, const ReportOptions& options);

} // namespace rp
