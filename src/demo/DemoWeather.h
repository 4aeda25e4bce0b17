#pragma once

#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

namespace rp::demo {

// A rain storm over a region. Times are Julian days with a fraction for the time of day.
struct Storm {
    double start;
    double hours;
    double depth; // inches over the region
    bool convective;
    double end() const { return start + hours / 24.0; }
};

inline constexpr int quarterHoursPerDay = 96;
using QuarterHours = std::array<double, quarterHoursPerDay>;

// The weather of one region: which days bring a storm, how wet each water year is, how much
// snow it leaves. Everything is a pure function of the region and the date; the storm list is
// only cached.
class DemoWeather {
public:
    explicit DemoWeather(int region);

    // The storm that starts on a Julian day, if any.
    std::optional<Storm> stormOn(qint64 julianDay);
    // Year factor around 1 (dry years below, wet years above), by water year (October on).
    double wetness(int waterYear) const;
    double snowpack(int waterYear) const;
    // Day of the water year's snowmelt peak, counted from 1 October.
    double meltPeakDay(int waterYear) const;
    // Rain in each quarter hour of a day at a site, in whole hundredths of an inch (tips of the
    // gauge), so hourly and daily totals add up exactly.
    QuarterHours rainTips(qint64 julianDay, quint64 siteSeed, double siteFactor);
    // Whether a storm is raining over the region at time t.
    bool raining(double t);

private:
    struct YearTraits {
        double wetness, snowpack, meltPeakDay;
    };
    std::optional<Storm> makeStorm(qint64 julianDay) const;
    YearTraits makeYear(int waterYear) const;
    YearTraits year(int waterYear) const;

    int m_region;
    quint64 m_seed;
    // Caches of pure functions, by day and by water year from cacheBase on.
    std::vector<std::optional<Storm>> m_storms;
    std::vector<bool> m_stormKnown;
    mutable std::vector<std::optional<YearTraits>> m_years;
};

// Water year of a Julian day (1 October 1980 is in water year 1981) and the day within it.
int waterYear(qint64 julianDay);
int waterYearDay(qint64 julianDay);

} // namespace rp::demo
