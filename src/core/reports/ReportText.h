#pragma once

#include <QString>
#include <QStringView>

namespace rp {

// Texts the table reports share.
inline const QString emptyCell = QStringLiteral("      ---");
// An empty field for a spreadsheet import: two double quotes and a blank.
inline const QString emptyField = QStringLiteral("\"\" ");

// Text right-aligned in a field of `width` characters; longer text keeps its leftmost ones.
QString rightAligned(QStringView text, int width = 9);
// "JAN".."DEC" for 1..12.
QString monthName(int month);
// "WU-", "USGS-", "CDEC-", "USCS-" for the station identifiers "1".."4", otherwise empty.
QString stationPrefix(const QString& stationId);
// `count` empty fields.
QString emptyFields(int count);
// A cell that holds data: not empty and not a "---" style placeholder.
bool isDataCell(QStringView cell);

} // namespace rp
