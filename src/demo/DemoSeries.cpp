#include "demo/DemoSeries.h"

#include "demo/DemoHydrology.h"
#include "demo/DemoNoise.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace rp::demo {

namespace {

constexpr double twoPi = 6.283185307179586;
// Acre-feet in one cfs flowing for a day.
constexpr double acreFeetPerCfsDay = 1.9835;

double roundTo(double value, int decimals) {
    if (decimals >= 0) {
        const double f = std::pow(10.0, decimals);
        return std::round(value * f) / f;
    }
    const double f = std::pow(10.0, -decimals);
    return std::round(value / f) * f;
}

// Three significant figures, as flows are published, and never finer than 0.01 cfs.
double roundFlow(double value) {
    if (value <= 0)
        return 0;
    const int decimals = std::min(2, 2 - int(std::floor(std::log10(value))));
    return roundTo(value, decimals);
}

double mean(const std::vector<double>& values) {
    return std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
}

} // namespace

double roundValue(Kind kind, double value, TimeStep step) {
    switch (kind) {
    case Kind::Flow:
    case Kind::Release:
        return roundFlow(value);
    case Kind::Storage:
        return roundTo(value, 0);
    case Kind::WaterTempF:
    case Kind::WaterTempC:
    case Kind::AirTemp:
        return roundTo(value, 1);
    case Kind::ReferenceEt:
        return roundTo(value, step == TimeStep::Hour || step == TimeStep::Unit ? 3 : 2);
    case Kind::Elevation:
    case Kind::GageHeight:
    case Kind::Rainfall:
    case Kind::PrecipYtd:
    case Kind::WindDirection:
    case Kind::Pressure:
        break;
    }
    return roundTo(value, 2);
}

double meanDirection(const std::vector<double>& directions) {
    double sines = 0, cosines = 0;
    for (double v : directions) {
        sines += std::sin(v * twoPi / 4.0);
        cosines += std::cos(v * twoPi / 4.0);
    }
    const double u = std::atan2(sines, cosines) * 4.0 / twoPi;
    return u <= 0 ? u + 4.0 : u;
}

DemoSeries::DemoSeries(const Parameter& parameter, DemoHydrology& hydrology)
    : m_p(parameter), m_h(hydrology) {}

void DemoSeries::add(TableRows& rows, TimeStep step, qint64 minute, double value,
                     int source) const {
    rows[size_t(timeStepIndex(step))].push_back({minute, m_p.datatypeSiteId, value, source});
}

void DemoSeries::generate(QDate until, TableRows& rows) {
    const qint64 first = m_p.dailyFrom.toJulianDay();
    const qint64 last = until.toJulianDay();
    // The water-year-to-date total needs the whole water year behind its first day.
    qint64 start = first;
    if (m_p.kind == Kind::PrecipYtd)
        start = QDate(waterYear(first) - 1, 10, 1).toJulianDay();
    const qint64 recentFrom = last - recentDays + 1;
    m_daily.clear();
    m_ytd = 0;
    for (qint64 d = start; d <= last; ++d)
        day(d, d >= recentFrom, rows);
    aggregates(until, rows);
}

void DemoSeries::day(qint64 d, bool recent, TableRows& rows) {
    const qint64 midnight = minuteOf(d, 0);
    if (m_p.kind == Kind::PrecipYtd) {
        if (waterYearDay(d) == 0)
            m_ytd = 0;
        const QuarterHours rain = m_h.amounts(m_p, d);
        m_ytd = roundTo(m_ytd + std::accumulate(rain.begin(), rain.end(), 0.0), 2);
        if (d >= m_p.dailyFrom.toJulianDay()) {
            add(rows, TimeStep::Day, midnight, m_ytd, Observed);
            m_daily.push_back({d, m_ytd});
        }
        return;
    }
    if (dayMissing(m_p, d))
        return;

    double value = 0, highest = 0, lowest = 0;
    if (isAmount(m_p.kind)) {
        const QuarterHours q = m_h.amounts(m_p, d);
        value = std::accumulate(q.begin(), q.end(), 0.0);
    } else if (m_p.kind == Kind::WindDirection) {
        std::vector<double> hours(24);
        for (int h = 0; h < 24; ++h)
            hours[size_t(h)] = m_h.at(m_p, double(d) + h / 24.0);
        value = meanDirection(hours);
    } else {
        // Daily maximum and minimum come from the quarter hours the unit values show; slow
        // records need only a few samples for their mean.
        const bool slow = m_p.kind == Kind::Storage || m_p.kind == Kind::Elevation;
        const int n = m_p.dayMaxMin ? quarterHoursPerDay : (slow ? 4 : 24);
        double sum = 0;
        highest = -1e300, lowest = 1e300;
        for (int i = 0; i < n; ++i) {
            const double v = m_h.at(m_p, double(d) + double(i) / n);
            sum += v;
            highest = std::max(highest, v);
            lowest = std::min(lowest, v);
        }
        value = sum / n;
    }
    const int source = !isAmount(m_p.kind) && uniform(m_p.seed, quint64(d), 0x657374) < 0.01
                           ? Estimated
                           : Observed;
    const double stored = roundValue(m_p.kind, value, TimeStep::Day);
    add(rows, TimeStep::Day, midnight, stored, source);
    m_daily.push_back({d, stored});
    if (m_p.dayMaxMin) {
        add(rows, TimeStep::DayMax, midnight, roundValue(m_p.kind, highest, TimeStep::DayMax),
            Observed);
        add(rows, TimeStep::DayMin, midnight, roundValue(m_p.kind, lowest, TimeStep::DayMin),
            Observed);
    }
    if (recent)
        subDaily(d, rows);
}

void DemoSeries::subDaily(qint64 d, TableRows& rows) {
    const qint64 midnight = minuteOf(d, 0);
    if (isAmount(m_p.kind)) {
        // Amounts are stamped at the end of their interval: the hour from 23:00 to midnight is
        // stamped 00:00 of the next day.
        const QuarterHours q = m_h.amounts(m_p, d);
        const auto amount = [&](int from, int count) {
            return std::accumulate(q.begin() + from, q.begin() + from + count, 0.0);
        };
        if (m_p.hourly)
            for (int h = 0; h < 24; ++h)
                if (!hourMissing(m_p, d, h))
                    add(rows, TimeStep::Hour, midnight + 60 * (h + 1),
                        roundValue(m_p.kind, amount(4 * h, 4), TimeStep::Hour), Provisional);
        if (m_p.unitMinutes > 0) {
            const int n = m_p.unitMinutes / 15;
            for (int k = 0; k < quarterHoursPerDay; k += n)
                if (!hourMissing(m_p, d, k / 4))
                    add(rows, TimeStep::Unit, midnight + 15 * (k + n),
                        roundValue(m_p.kind, amount(k, n), TimeStep::Unit), Provisional);
        }
        return;
    }
    if (m_p.hourly)
        for (int h = 0; h < 24; ++h)
            if (!hourMissing(m_p, d, h))
                add(rows, TimeStep::Hour, midnight + 60 * h,
                    roundValue(m_p.kind, m_h.at(m_p, double(d) + h / 24.0), TimeStep::Hour),
                    Provisional);
    for (int m = 0; m < 1440; m += 15) {
        if (hourMissing(m_p, d, m / 60))
            continue;
        const double t = double(d) + m / 1440.0;
        if (m_p.unitMinutes > 0 && m % m_p.unitMinutes == 0)
            add(rows, TimeStep::Unit, midnight + m,
                roundValue(m_p.kind, m_h.at(m_p, t), TimeStep::Unit), Provisional);
        if (m_p.unitShift)
            add(rows, TimeStep::UnitShift, midnight + m,
                roundValue(m_p.kind, m_h.shiftedFlow(m_p, t), TimeStep::UnitShift), Provisional);
    }
}

double DemoSeries::aggregate(const std::vector<double>& values, TimeStep step) const {
    const double total = std::accumulate(values.begin(), values.end(), 0.0);
    switch (m_p.kind) {
    case Kind::Flow:
    case Kind::Release:
        // Volumes: whole acre-feet for a month, the unrounded sum for a year.
        return roundTo(total * acreFeetPerCfsDay, step == TimeStep::Month ? 0 : 2);
    case Kind::Rainfall:
    case Kind::ReferenceEt:
        return roundTo(total, 2);
    case Kind::PrecipYtd:
        return *std::max_element(values.begin(), values.end());
    case Kind::WindDirection:
        // To the nearest of the 16 compass points.
        return std::round(meanDirection(values) * 4.0) / 4.0;
    default:
        return roundValue(m_p.kind, mean(values), TimeStep::Day);
    }
}

void DemoSeries::aggregates(QDate until, TableRows& rows) const {
    // Only whole months and calendar years, so that a later last day adds rows but never changes
    // one.
    std::map<int, std::vector<double>> months, years;
    for (const Daily& daily : m_daily) {
        const QDate date = QDate::fromJulianDay(daily.day);
        months[date.year() * 12 + date.month() - 1].push_back(daily.value);
        years[date.year()].push_back(daily.value);
    }
    for (const auto& [key, values] : months) {
        const QDate first(key / 12, key % 12 + 1, 1);
        if (first.addMonths(1).addDays(-1) <= until)
            add(rows, TimeStep::Month, minuteOf(first.toJulianDay(), 0),
                aggregate(values, TimeStep::Month), Computed);
    }
    for (const auto& [year, values] : years) {
        const QDate first(year, 1, 1);
        if (first >= m_p.dailyFrom && QDate(year, 12, 31) <= until)
            add(rows, TimeStep::Year, minuteOf(first.toJulianDay(), 0),
                aggregate(values, TimeStep::Year), Computed);
    }
}

} // namespace rp::demo
