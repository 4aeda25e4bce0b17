#pragma once

#include "formats/xlsx/SpreadsheetSheet.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace rp {

// The cells of one report line as the table export lays them out: blank-separated words each in
// its own cell, a quoted text whole in one cell (an empty pair of quotes gives an empty cell), and
// one more cell, possibly empty, for what is left at the line's end.
QStringList tokenizeReportLine(QStringView line);

// A report file as the cells of a table export: line k fills row k, one token per cell from column
// A onward. Throws rp::Error when the file cannot be read.
SpreadsheetSheet readReportSheet(const QString& path);

} // namespace rp
