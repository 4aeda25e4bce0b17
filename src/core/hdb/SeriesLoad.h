#pragma once

#include "core/base/Progress.h"
#include "core/base/TimeStep.h"
#include "formats/readers/ReadResult.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace rp {

class Database;

// What a load does with a time the parameter already holds a value for.
enum class OnConflict {
    Refuse,  // load nothing and name the first such times
    Keep,    // leave the HDB's value, skip the file's
    Replace, // the file's value takes its place
};

struct LoadOptions {
    // The parameter (rsite datatype_site_id) to load into; chosen or created from the file's
    // site and parameter when unset. A key rsite lacks gets a new row under that key.
    std::optional<qint64> datatypeSiteId;
    // The value table; from the file's step when unset.
    std::optional<TimeStep> step;
    OnConflict onConflict = OnConflict::Refuse;
    // The HDB's standard offset from UTC in minutes; series whose own offset is known are moved
    // to it. Unset keeps each site's local standard time, as the files give it.
    std::optional<int> hdbOffsetMinutes;
    Progress progress; // over all values of all series; false cancels
};

// Where one series goes and what is already there.
struct LoadPlan {
    qint64 datatypeSiteId = 0;
    bool newParameter = false; // an rsite row is added for it
    QString siteName;
    QString datatypeName;
    QString unitName;
    TimeStep step = TimeStep::Day;
    qsizetype values = 0;    // values the file holds for it
    QDateTime first, last;   // their first and last times in the HDB's time
    qsizetype conflicts = 0; // of those, times the HDB already holds
    QList<QDateTime> firstConflicts;
};

struct LoadResult {
    LoadPlan plan;
    qint64 inserted = 0; // including the replaced ones
    qint64 replaced = 0;
    qint64 kept = 0; // values of the file left out for the HDB's own
};

// How many conflicting times a refusal names.
inline constexpr qsizetype kConflictsShown = 5;

// The value table a file's step goes to: instantaneous values of any spacing to Unit; daily
// maxima and minima to DayMax and DayMin, other daily statistics to Day.
TimeStep hdbStepFor(const readers::Series& series);

// The name a new parameter gets: the file's parameter name, with a statistic other than mean,
// maximum, minimum or instantaneous in parentheses ("Precipitation (Sum)").
QString hdbDatatypeName(const readers::Series& series);

// Where each series would go, without writing anything (a parameter not yet in rsite gets the key
// it would be given).
QList<LoadPlan> planLoad(Database& database, const QList<readers::Series>& series,
                         const LoadOptions& options);

// Loads the series into the HDB in one transaction: the parameters are chosen or created, each
// value is written with the HDB source mark of its qualifier. A refused conflict, a failure or a
// cancel writes nothing and throws rp::Error.
QList<LoadResult> loadSeries(Database& database, const QList<readers::Series>& series,
                             const LoadOptions& options);

} // namespace rp
