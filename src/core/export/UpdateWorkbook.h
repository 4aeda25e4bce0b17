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
// string in white.
void prepareUpdateSheet(SpreadsheetSheet& sheet, const QString& connection);

// The cell of the update sheet that holds the connection string (F2).
inline constexpr int connectionCellRow = 1;
inline constexpr int connectionCellColumn = 5;

// True when the database is itself a workbook: the connection string names Excel in any letter
// case, or it opens the workbook backend. Its record set must then let go of the file.
bool isWorkbookConnection(const QString& connection);

} // namespace rp
