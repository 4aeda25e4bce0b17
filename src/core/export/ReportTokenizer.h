#pragma once

#include "formats/xlsx/SpreadsheetSheet.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace rp {

// The cells of one report line as the table export lays them out: blank-separated words each in
// its own cell, a quoted text whole in one cell (an empty pair of quotes gives an empty cell), and
// one more cell, possibly empty, for what is left at the line's end.
QStringList tokenizeReportLine(QStringView line);

// A report token that reads as a number: its value, and the number format that shows it as the
// report wrote it ("#,##0" with grouping, "0.00" with two decimals; empty: General).
struct TokenNumber {
    double value = 0;
    QString format;
};

// The number a token reads as: an optional sign, digits (grouped in threes by commas or not),
// optionally a point and decimals. Nothing for any other text, for digits with a leading zero
// ("007") and for more digits than a double holds, which stay text.
std::optional<TokenNumber> tokenNumber(QStringView token);

// A report file as the cells of a table export: line k fills row k, one token per cell from column
// A onward; tokens that read as numbers become number cells. Throws rp::Error when the file cannot
// be read.
SpreadsheetSheet readReportSheet(const QString& path);

} // namespace rp
