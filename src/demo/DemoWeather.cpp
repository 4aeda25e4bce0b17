#include "demo/DemoWeather.h"

#include "demo/DemoNoise.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <vector>

namespace rp::demo {

namespace {

// Chance of a storm starting on a day of each month: wet winters, a dry summer with a few
// thunderstorms.
constexpr std::array<double, 12> stormChance{0.15, 0.14,  0.13, 0.08,  0.04, 0.015,
                                             0.03, 0.035, 0.02, 0.045, 0.10, 0.13};
// The second region (Colorado's Front Range) has its rain in spring and summer.
constexpr std::array<double, 12> stormChanceEast{0.04, 0.05, 0.07, 0.09, 0.11, 0.09,
                                                 0.12, 0.12, 0.07, 0.05, 0.04, 0.04};

// The caches start well before the oldest record.
constexpr int cacheBaseYear = 1900;
const qint64 cacheBaseDay = 2415021; // 1 January 1900

} // namespace

int waterYear(qint64 julianDay) {
    const QDate date = QDate::fromJulianDay(julianDay);
    return date.year() + (date.month() >= 10 ? 1 : 0);
}

int waterYearDay(qint64 julianDay) {
    return int(julianDay - QDate(waterYear(julianDay) - 1, 10, 1).toJulianDay());
}

DemoWeather::DemoWeather(int region)
    : m_region(region), m_seed(hash(0x5745415448, quint64(region))) {}

DemoWeather::YearTraits DemoWeather::makeYear(int waterYear) const {
    const quint64 y = quint64(waterYear);
    const double wet = std::exp(0.45 * normal(m_seed, y, 0x776574));
    const double peak = m_region == 0 ? 235.0 : 252.0;
    return {wet, wet * std::exp(0.2 * normal(m_seed, y, 0x736e6f77)),
            peak + 12.0 * normal(m_seed, y, 0x7065616b)};
}

DemoWeather::YearTraits DemoWeather::year(int waterYear) const {
    const int index = waterYear - cacheBaseYear;
    if (index < 0 || index > 1000)
        return makeYear(waterYear);
    if (size_t(index) >= m_years.size())
        m_years.resize(size_t(index) + 1);
    auto& slot = m_years[size_t(index)];
    if (!slot)
        slot = makeYear(waterYear);
    return *slot;
}

double DemoWeather::wetness(int waterYear) const {
    return year(waterYear).wetness;
}
double DemoWeather::snowpack(int waterYear) const {
    return year(waterYear).snowpack;
}
double DemoWeather::meltPeakDay(int waterYear) const {
    return year(waterYear).meltPeakDay;
}

std::optional<Storm> DemoWeather::stormOn(qint64 julianDay) {
    const qint64 index = julianDay - cacheBaseDay;
    if (index < 0 || index > 400000)
        return makeStorm(julianDay);
    if (size_t(index) >= m_storms.size()) {
        m_storms.resize(size_t(index) + 1000);
        m_stormKnown.resize(size_t(index) + 1000);
    }
    if (!m_stormKnown[size_t(index)]) {
        m_storms[size_t(index)] = makeStorm(julianDay);
        m_stormKnown[size_t(index)] = true;
    }
    return m_storms[size_t(index)];
}

std::optional<Storm> DemoWeather::makeStorm(qint64 julianDay) const {
    const int month = QDate::fromJulianDay(julianDay).month();
    const double wet = wetness(waterYear(julianDay));
    const double chance = std::min(
        0.5, (m_region == 0 ? stormChance : stormChanceEast)[size_t(month - 1)] * std::sqrt(wet));
    const quint64 day = quint64(julianDay);
    if (uniform(m_seed, day, 0x73746f726d) >= chance)
        return std::nullopt;
    Storm s;
    s.convective = m_region == 0 ? (month >= 6 && month <= 9) : (month >= 5 && month <= 9);
    const double e = -std::log(1.0 - uniform(m_seed, day, 0x6465707468));
    s.depth = s.convective ? 0.05 + 0.25 * e : 0.05 + 0.4 * std::pow(e, 1.2) * std::sqrt(wet);
    // A rare atmospheric river.
    if (!s.convective && uniform(m_seed, day, 0x6172) < 0.01)
        s.depth *= 2.0;
    s.hours = s.convective ? 1.0 + 3.0 * uniform(m_seed, day, 0x6872)
                           : 4.0 + 26.0 * uniform(m_seed, day, 0x6872);
    const double startHour = s.convective ? 12.0 + 8.0 * uniform(m_seed, day, 0x7374)
                                          : 24.0 * uniform(m_seed, day, 0x7374);
    s.start = double(julianDay) + startHour / 24.0;
    return s;
}

bool DemoWeather::raining(double t) {
    const qint64 day = qint64(std::floor(t));
    for (qint64 d = day - 2; d <= day; ++d) {
        const auto s = stormOn(d);
        if (s && t >= s->start && t < s->end())
            return true;
    }
    return false;
}

QuarterHours DemoWeather::rainTips(qint64 julianDay, quint64 siteSeed, double siteFactor) {
    QuarterHours tips{};
    const qint64 dayFirstSlot = julianDay * quarterHoursPerDay;
    // A storm lasts at most 30 hours, so only storms of the last two days can reach this one.
    for (qint64 d = julianDay - 2; d <= julianDay; ++d) {
        const auto s = stormOn(d);
        if (!s)
            continue;
        const quint64 key = hash(siteSeed, quint64(d));
        const int total = int(
            std::lround(s->depth * siteFactor * (0.75 + 0.5 * uniform(key, 0x7369746521)) * 100.0));
        const qint64 first = qint64(std::floor(s->start * quarterHoursPerDay));
        const int n = std::max(1, int(std::ceil(s->hours * 4.0)));
        if (first + n <= dayFirstSlot || first >= dayFirstSlot + quarterHoursPerDay)
            continue;
        // Spread the tips over the storm's quarter hours, heaviest in the middle, by largest
        // remainder so they add up to the storm total exactly.
        const auto count = static_cast<size_t>(n);
        std::vector<double> weight(count);
        double sum = 0;
        for (size_t i = 0; i < count; ++i) {
            const double shape = 1.0 - 0.7 * std::abs(2.0 * (double(i) + 0.5) / n - 1.0);
            weight[i] = shape * (0.3 + uniform(key, quint64(i), 0x77));
            sum += weight[i];
        }
        std::vector<int> share(count);
        std::vector<std::pair<double, size_t>> remainder(count);
        int given = 0;
        for (size_t i = 0; i < count; ++i) {
            const double exact = total * weight[i] / sum;
            share[i] = int(std::floor(exact));
            given += share[i];
            remainder[i] = {share[i] - exact, i}; // most left over first, then earliest
        }
        std::sort(remainder.begin(), remainder.end());
        for (int k = 0; k < total - given; ++k)
            ++share[remainder[size_t(k)].second];
        for (int i = 0; i < n; ++i) {
            const qint64 slot = first + i - dayFirstSlot;
            if (slot >= 0 && slot < quarterHoursPerDay)
                tips[size_t(slot)] += share[size_t(i)];
        }
    }
    return tips;
}

} // namespace rp::demo
