#pragma once

#include "formats/xlsx/SpreadsheetSheet.h"

#include <QString>
#include <vector>

namespace rp {

inline constexpr const char* updateWorkbookName = "DBedit.xlsx";

// The update workbook as the program creates it when there is none: Sheet1 to Sheet3, Sheet1 with
// a short note on how the round trip works, away from the cells the update fills.
std::vector<SpreadsheetSheet> updateWorkbookTemplate();

// Every sheet of a workbook with the cells it holds (values only). Throws rp::Error.
std::vector<SpreadsheetSheet> readWorkbookSheets(const QString& path);

// Readies a sheet for an update: columns A and B emptied, its chart removed, F2 the connection
// string in white, without its password.
void prepareUpdateSheet(SpreadsheetSheet& sheet, const QString& connection);

// The hidden sheet that keeps what an update sheet showed when it was made ("Sheet1 exported"):
// column A the dates, column B the values (empty where the series had none). Applying the sheet
// compares the database with it, so a change made by someone else since is never written over.
QString exportedValuesSheetName(const QString& sheetName);
bool isExportedValuesSheet(const QString& sheetName);
// Puts the exported values of `series` into the hidden sheet of `sheetName`, made when missing.
void keepExportedValues(std::vector<SpreadsheetSheet>& sheets, const QString& sheetName,
                        const SeriesColumns& series);

// The cell of the update sheet that holds the connection string (F2).
inline constexpr int connectionCellRow = 1;
inline constexpr int connectionCellColumn = 5;

// True when the database is itself a workbook: the connection string names Excel in any letter
// case, or it opens the workbook backend. Its record set must then let go of the file.
bool isWorkbookConnection(const QString& connection);

} // namespace rp
