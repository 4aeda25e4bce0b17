#pragma once

#include "core/base/Progress.h"
#include "core/base/TimeStep.h"

#include <QString>

class QIODevice;

namespace rp {

class RecordSet;

// What the hand-off of a retrieved series needs besides its records.
struct SeriesRequest {
    TimeStep step = TimeStep::Day;
    QString startText;   // the main window's start date box
    QString endText;     // the main window's end date box
    QString description; // "key site; PARAMETER, UNIT" as GO builds it
};

// Writes the series file of a retrieved series (date_time in field 1, value in field 2): two
// header lines, then one line per time slot of the span, empty where no record fills it, or one
// line per record for unit values. Returns the values-per-day count (0 but for unit values).
// Throws rp::Error with a message for the user (no records, a record outside the dates, a date
// that cannot be read, or a stop asked through `progress`); the device then holds what was
// written before.
int writeSeriesFile(const RecordSet& records, const SeriesRequest& request, QIODevice& out,
                    const Progress& progress = {});

// As above into a file, replaced whole: after a failure the previous file stands.
int writeSeriesFile(const RecordSet& records, const SeriesRequest& request, const QString& path,
                    const Progress& progress = {});

} // namespace rp
