#pragma once

#include "formats/readers/ReadOptions.h"
#include "formats/readers/ReadResult.h"

#include <QList>
#include <QString>

namespace rp {

// Reads an agency's data file of any format the readers know, a HYDAT database too. A file the
// readers refuse, or one too large to read, throws rp::Error naming the file.
readers::ReadResult readDataFile(const QString& path, const readers::ReadOptions& options = {});

// One line about a series for lists: "03451500 FRENCH BROAD RIVER AT ASHEVILLE, NC; Discharge
// (Mean), ft3/s; Day; 38351 values 1895-10-01 00:00:00 .. 2000-09-30 00:00:00".
QString seriesSummary(const readers::Series& series);

// The indexes of the series `which` names: its number in the file (1 for the first), or every
// series whose site, parameter code or parameter name it is (any case). Throws rp::Error when
// none is.
QList<qsizetype> selectSeries(const QList<readers::Series>& series, const QString& which);

} // namespace rp
