#pragma once

#include "core/base/Progress.h"
#include "formats/xlsx/SpreadsheetSheet.h"

#include <QString>

namespace rp {

// Writes an update into the existing workbook at `path` in place: the sheet `sheetName` (added
// when missing) gets columns A and B emptied and filled with the series, F2 the connection string
// without its password in white, its last chart replaced by the series' chart; the hidden sheet of
// exported values gets the series too. Every other cell, sheet, chart and picture, and every part
// the update does not touch, stays as it was. The file is replaced whole or not at all and is
// readable by its owner alone. Throws rp::Error (also when stopped through `progress`), or
// XlsxPatchRefused for a workbook that cannot be changed in place.
void updateWorkbookInPlace(const QString& path, const QString& sheetName,
                           const SeriesColumns& series, const QString& connection,
                           const Progress& progress = {});

// A SAVE export of a series into the workbook in use when that is the user's own (the update
// workbook): the sheet (added when missing) gets columns A and B emptied and filled and the
// series' chart beside its others; everything else stays. Throws as updateWorkbookInPlace.
void saveSeriesInPlace(const QString& path, const QString& sheetName, const SeriesColumns& series,
                       const Progress& progress = {});

// A SAVE export of a table report into the workbook in use when that is the user's own: the
// table's cells written on the sheet (added when missing), aligned right and with their number
// formats, the other cells of its rectangle emptied; everything else stays. Throws as
// updateWorkbookInPlace.
void saveTableInPlace(const QString& path, const QString& sheetName, const SpreadsheetSheet& table,
                      const Progress& progress = {});

} // namespace rp
