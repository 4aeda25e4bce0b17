#pragma once

#include "core/base/Progress.h"
#include "formats/xlsx/SpreadsheetSheet.h"

#include <QString>

namespace rp {

// An export reports its progress in these steps; reading the input takes about the first quarter
// of them, writing the workbook the rest.
inline constexpr qint64 exportSteps = 1000;
inline constexpr qint64 exportReadingSteps = exportSteps / 4;

// The sheet a spreadsheet export makes of a series file or, when `isReport`, a report file
// (unnamed; the caller names it). Throws rp::Error when the file cannot be read or `progress`
// is told to stop.
SpreadsheetSheet exportSheet(const QString& input, bool isReport, int valuesPerDay,
                             const Progress& progress = {});

// One export into a new workbook at `output` (Sheet1 of three sheets), as the first export of a
// run writes it. `valuesPerDay` below 0 counts it from a unit series file.
void writeExportWorkbook(const QString& input, bool isReport, int valuesPerDay,
                         const QString& output, const Progress& progress = {});

} // namespace rp
