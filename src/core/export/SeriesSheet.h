#pragma once

#include "core/base/Progress.h"
#include "formats/xlsx/SpreadsheetSheet.h"

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace rp {

// The workbook date serial (serialFromDateTime: the 1900 system) of a series file's date
// field: "05 MAR 1999", "05 Mar 1999 07:15", any letter case, seconds allowed. Nothing when the
// text is no such date.
std::optional<double> seriesDateSerial(QByteArrayView field);

// Reads a series file into the columns of a series export: the header lines, the date of each
// data line from its first 11 characters (17 for hourly and unit series) and the trimmed value
// text after it, and the chart's titles and axis. `valuesPerDay` spaces the labels of a unit
// series. Throws rp::Error when the file cannot be read, lacks its header lines or holds a date
// that cannot be read (naming the line), or when `progress` is told to stop.
SeriesColumns readSeriesColumns(const QString& path, int valuesPerDay,
                                const Progress& progress = {});

// Unit values on the first day of a unit series file, as the hand-off counts them; 0 for other
// time steps.
int valuesPerDayOfSeriesFile(const QString& path);

} // namespace rp
