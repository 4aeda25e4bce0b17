#pragma once

#include "core/base/Progress.h"
#include "formats/xlsx/SpreadsheetSheet.h"

#include <QString>
#include <vector>

namespace rp {

// Where a series chart sits on its sheet, in pixels from the sheet's top-left corner, and its
// size: the default chart of 480 x 288 pixels moved 250 points right and 54.75 points up from
// where a new embedded chart lands, then scaled 1.22 wide and 1.74 high.
struct ChartPlacement {
    int left = 0;
    int top = 0;
    double widthScale = 1;
    double heightScale = 1;
};
ChartPlacement seriesChartPlacement();

// The number format of a series' date cells and its chart's date labels.
const char* seriesDateFormat(const SeriesColumns& series);

// Writes the sheets as an .xlsx workbook with a line chart on every sheet that holds a series,
// then finishes the charts (date axis, plot-area gradient, one font) in the written file. The
// file at `path` is replaced whole; a failure, or a stop asked through `progress`, leaves the
// previous one. `ownerOnly` makes the file readable by its owner alone (it names a database).
// Throws rp::Error.
void writeSpreadsheetWorkbook(const QString& path, const std::vector<SpreadsheetSheet>& sheets,
                              const Progress& progress = {}, bool ownerOnly = false);

} // namespace rp
