#pragma once

#include "core/base/TimeStep.h"
#include "demo/DemoCatalog.h"

#include <QDate>
#include <array>
#include <vector>

namespace rp::demo {

class DemoHydrology;

// One value-table row of the demo database. The time is counted in minutes from the start of
// Julian day 0, so rows sort and compare without date objects.
struct Row {
    qint64 minute;
    int datatypeSiteId;
    double value;
    int source;
};
using TableRows = std::array<std::vector<Row>, timeStepCount>; // by time step index

// Source marks of the demo rows.
enum Source { Observed = 1, Provisional = 2, Estimated = 3, Computed = 5 };

inline qint64 minuteOf(qint64 julianDay, int minuteOfDay) {
    return julianDay * 1440 + minuteOfDay;
}

// The rows of one parameter in every table it has, from its first day to the last day of the
// database. A row's value depends only on the parameter and the row's time: the last day decides
// which rows exist (recent unit and hourly values, complete months and years), never a value.
class DemoSeries {
public:
    DemoSeries(const Parameter& parameter, DemoHydrology& hydrology);
    void generate(QDate until, TableRows& rows);

private:
    struct Daily {
        qint64 day;
        double value; // as stored
    };
    void day(qint64 julianDay, bool recent, TableRows& rows);
    void subDaily(qint64 julianDay, TableRows& rows);
    void aggregates(QDate until, TableRows& rows) const;
    // Monthly or yearly value of a parameter from its daily values.
    double aggregate(const std::vector<double>& values, TimeStep step) const;
    void add(TableRows& rows, TimeStep step, qint64 minute, double value, int source) const;

    const Parameter& m_p;
    DemoHydrology& m_h;
    std::vector<Daily> m_daily;
    double m_ytd = 0; // water-year-to-date rain
};

// Rounds a value as the parameter's gauge reports it.
double roundValue(Kind kind, double value, TimeStep step);
// Mean direction of directions in quarter turns, as a vector mean of unit vectors: above 0 and
// up to 4.
double meanDirection(const std::vector<double>& directions);

} // namespace rp::demo
