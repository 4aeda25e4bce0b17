#pragma once

#include "SpreadsheetSheet.h"
#include "db/Progress.h"

#include <QString>

namespace rp {

// The sheet a spreadsheet export makes of a series file or, when `isReport`, a report file
// (unnamed; the caller names it). Throws rp::Error when the file cannot be read or `progress`
// is told to stop.
SpreadsheetSheet exportSheet(const QString& input, bool isReport, int valuesPerDay,
                             const Progress& progress = {});

// One export into a new workbook at `output` (Sheet1 of three sheets), as the first export of a
// run writes it. `valuesPerDay` below 0 counts it from a unit series file.
void writeExportWorkbook(const QString& input, bool isReport, int valuesPerDay,
                         const QString& output);

} // namespace rp
