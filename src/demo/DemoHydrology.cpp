#include "demo/DemoHydrology.h"

#include "demo/DemoNoise.h"

#include <QDate>
#include <algorithm>
#include <cmath>

namespace rp::demo {

namespace {

constexpr double twoPi = 6.283185307179586;

double sq(double x) {
    return x * x;
}
double smoothstep(double u) {
    u = std::clamp(u, 0.0, 1.0);
    return u * u * (3.0 - 2.0 * u);
}

// How much of a storm's rain runs off, by the month it falls in: wet winter soils, dry autumns.
double runoffShare(int month) {
    if (month >= 11 || month <= 3)
        return 1.0;
    if (month <= 5)
        return 0.6;
    return month == 10 ? 0.35 : 0.25;
}

const Parameter& flowAtSite(int site) {
    for (const Parameter& p : parameters())
        if (p.site == site && p.kind == Kind::Flow)
            return p;
    return parameters().front();
}

} // namespace

DemoHydrology::DemoHydrology() : m_weather{DemoWeather(0), DemoWeather(1)} {}

const DemoHydrology::DayContext& DemoHydrology::context(int region, qint64 day) {
    DayContext& c = m_context[size_t(region)];
    if (c.day == day)
        return c;
    c.day = day;
    c.waterYear = waterYear(day);
    c.waterYearDay = waterYearDay(day);
    c.dayOfYear = QDate::fromJulianDay(day).dayOfYear();
    c.storms.clear();
    for (qint64 d = day - 90; d <= day; ++d)
        if (const auto storm = weather(region).stormOn(d))
            c.storms.push_back({*storm, d, runoffShare(QDate::fromJulianDay(d).month())});
    return c;
}

double DemoHydrology::meltShape(int region, double t) {
    const qint64 day = qint64(std::floor(t));
    DemoWeather& w = weather(region);
    const DayContext& c = context(region, day);
    const int wy = c.waterYear;
    const double x = c.waterYearDay + (t - double(day)) - w.meltPeakDay(wy);
    return std::min(1.0, w.snowpack(wy)) * std::exp(-0.5 * sq(x / 40.0));
}

double DemoHydrology::flow(const Parameter& p, double t) {
    const Site& site = sites().at(size_t(p.site));
    DemoWeather& w = weather(site.region);
    const qint64 day = qint64(std::floor(t));
    const double fraction = t - double(day);
    const DayContext& c = context(site.region, day);
    const int wy = c.waterYear;
    const double wyd = c.waterYearDay + fraction;
    const double a = p.scale;

    // Baseflow follows the wetness of the year, eased over the autumn so the year turns smoothly.
    const double blend = std::min(1.0, wyd / 90.0);
    const double wet = w.wetness(wy - 1) * (1.0 - blend) + w.wetness(wy) * blend;
    const double baseShare = site.region == 0 ? 0.12 : 0.3;
    double q =
        a * baseShare * (0.6 + 0.4 * wet) * (1.0 + 0.6 * std::exp(-sq((wyd - 215.0) / 80.0)));

    // Snowmelt: a skewed bell around the year's peak, with the afternoon melt reaching the gauge
    // in the evening. Last year's tail carries over the turn of the water year.
    const double diurnal = 1.0 + 0.15 * std::sin(twoPi * (fraction - 0.58));
    for (int y = wy - 1; y <= wy; ++y) {
        const double x = wyd + (wy - y) * 365.0 - w.meltPeakDay(y);
        const double sigma = x < 0 ? 32.0 : 42.0;
        q += a * 3.2 * w.snowpack(y) * std::exp(-0.5 * sq(x / sigma)) * diurnal;
    }

    // Storm runoff: a quick rise and fall, then a long recession.
    const double peakTime = 0.25 + a / 3000.0;
    for (const auto& past : c.storms) {
        if (past.day < day - 45)
            continue;
        const double x = t - (past.storm.start + past.storm.hours / 48.0) - 0.1;
        if (x <= 0)
            continue;
        // Soils and channels take the edge off the biggest storms.
        const double depth =
            3.0 * std::tanh(past.storm.depth * site.rainFactor / 3.0) * past.runoffShare;
        q += a * 3.0 * depth *
             ((x / peakTime) * std::exp(1.0 - x / peakTime) + 0.12 * std::exp(-x / 12.0));
    }
    return q * std::exp(0.07 * smoothNoise(p.seed, t, 3.0) +
                        0.02 * smoothNoise(p.seed ^ 0x71, t, 0.15));
}

double DemoHydrology::reservoirFill(double t) {
    DemoWeather& w = weather(0);
    const qint64 day = qint64(std::floor(t));
    const DayContext& c = context(0, day);
    const int wy = c.waterYear;
    const double wyd = c.waterYearDay + (t - double(day));
    // Full in early summer after the melt, drawn down for irrigation to a low in November.
    const auto peak = [&](int y) {
        return std::clamp(0.18 + 0.45 * std::pow(w.snowpack(y), 0.8), 0.15, 0.97);
    };
    const auto low = [&](int y) { return 0.06 + 0.28 * peak(y - 1); };
    double from, to, u;
    if (wyd < 45) {
        from = peak(wy - 1), to = low(wy), u = (wyd + 113.0) / 158.0;
    } else if (wyd < 252) {
        from = low(wy), to = peak(wy), u = (wyd - 45.0) / 207.0;
    } else {
        from = peak(wy), to = low(wy + 1), u = (wyd - 252.0) / 158.0;
    }
    double f = from + (to - from) * smoothstep(u);
    for (const auto& past : c.storms) {
        const double x = t - past.storm.end();
        if (x > 0)
            f += 0.006 * past.storm.depth * past.runoffShare * (1.0 - std::exp(-x / 2.0)) *
                 std::exp(-x / 70.0);
    }
    f += 0.004 * smoothNoise(0x726573, t, 8.0);
    return std::clamp(f, 0.02, 0.99);
}

double DemoHydrology::release(double t) {
    // The dam tender changes the release every six hours.
    const double step = std::floor(t * 4.0) / 4.0;
    if (step != m_releaseStep) {
        const double fill = reservoirFill(step);
        const int doy = context(0, qint64(std::floor(step))).dayOfYear;
        double q =
            (250.0 + 1500.0 * std::exp(-sq((doy - 195.0) / 50.0))) * std::min(1.0, 0.35 + fill);
        if (fill > 0.85)
            q += 30000.0 * (fill - 0.85);
        m_release = q * (1.0 + 0.05 * (uniform(0x72656c, quint64(std::llround(step * 4.0))) - 0.5));
        m_releaseStep = step;
    }
    return m_release * (1.0 + 0.004 * smoothNoise(0x6a6974, t, 0.05));
}

double DemoHydrology::gageHeight(double flow) {
    return 1.2 + std::pow(flow / 40.0, 1.0 / 2.2);
}

double DemoHydrology::shiftedFlow(const Parameter& p, double t) {
    const double shift = 0.02 + 0.03 * smoothNoise(p.seed ^ 0x7368, t, 30.0);
    const double stage = gageHeight(flow(p, t)) - 1.2 + shift;
    return 40.0 * std::pow(std::max(0.0, stage), 2.2);
}

double DemoHydrology::windDirection(const Parameter& p, double t) {
    const double fraction = t - std::floor(t);
    // Up-canyon westerlies in the afternoon, a down-canyon drift at night, southerlies in storms.
    double a = 2.9 + 0.9 * std::cos(twoPi * (fraction - 0.65)) + 0.6 * smoothNoise(p.seed, t, 0.4);
    if (weather(0).raining(t))
        a = 0.3 * a + 0.7 * (2.1 + 0.2 * smoothNoise(p.seed ^ 0x73, t, 0.2));
    double v = std::fmod(a, 4.0);
    return v < 0 ? v + 4.0 : v;
}

double DemoHydrology::waterTemp(const Parameter& p, double t) {
    const Site& site = sites().at(size_t(p.site));
    const qint64 day = qint64(std::floor(t));
    const double fraction = t - double(day);
    const double season =
        std::cos(twoPi * (context(site.region, day).dayOfYear + fraction - 25.0) / 365.25);
    const double mean = site.region == 0 ? 54.0 : 49.0;
    double f = mean - 11.0 * p.scale * season - 4.0 * p.scale * meltShape(site.region, t) +
               2.5 * p.scale * std::sin(twoPi * (fraction - 0.375)) + smoothNoise(p.seed, t, 4.0);
    f = std::max(32.5, f);
    return p.kind == Kind::WaterTempC ? (f - 32.0) / 1.8 : f;
}

double DemoHydrology::airTemp(const Parameter& p, double t) {
    const qint64 day = qint64(std::floor(t));
    const double fraction = t - double(day);
    const double season = std::cos(twoPi * (context(0, day).dayOfYear + fraction - 20.0) / 365.25);
    return 61.0 - 19.0 * season + 11.0 * std::sin(twoPi * (fraction - 0.375)) +
           6.0 * smoothNoise(p.seed, t, 3.0) - (weather(0).raining(t) ? 5.0 : 0.0);
}

double DemoHydrology::pressure(const Parameter& p, double t) {
    DemoWeather& w = weather(0);
    const qint64 day = qint64(std::floor(t));
    const double fraction = t - double(day);
    double front = 0;
    // Pressure falls as a front comes through, before and during its rain.
    for (qint64 d = day - 2; d <= day + 2; ++d)
        if (const auto storm = w.stormOn(d); storm && !storm->convective)
            front += std::min(1.0, storm->depth) * std::exp(-sq((t - storm->start) / 0.7));
    return 27.35 + 0.15 * smoothNoise(p.seed, t, 2.5) +
           0.05 * std::cos(twoPi * (context(0, day).dayOfYear - 15.0) / 365.25) +
           0.03 * std::sin(2.0 * twoPi * fraction) - 0.25 * front;
}

QuarterHours DemoHydrology::referenceEt(const Parameter& p, qint64 julianDay) {
    const int doy = context(0, julianDay).dayOfYear;
    const double t = double(julianDay) + 0.5;
    double total = (0.16 - 0.135 * std::cos(twoPi * (doy - 15.0) / 365.25)) *
                   (1.0 + 0.08 * smoothNoise(p.seed, t, 5.0));
    DemoWeather& w = weather(0);
    for (qint64 d = julianDay - 1; d <= julianDay; ++d)
        if (const auto storm = w.stormOn(d); storm && storm->end() > double(julianDay))
            total *= 0.5;
    // The day's total spread over the daylight hours.
    const double dayLength = 12.0 + 2.4 * std::sin(twoPi * (doy - 80.0) / 365.25);
    const double sunrise = 12.5 - dayLength / 2.0;
    QuarterHours et{};
    double sum = 0;
    for (int k = 0; k < quarterHoursPerDay; ++k) {
        const double hour = (k + 0.5) / 4.0;
        et[size_t(k)] = std::max(0.0, std::sin(twoPi / 2.0 * (hour - sunrise) / dayLength));
        sum += et[size_t(k)];
    }
    for (double& v : et)
        v *= total / sum;
    return et;
}

double DemoHydrology::at(const Parameter& p, double t) {
    switch (p.kind) {
    case Kind::Flow:
        return flow(p, t);
    case Kind::Release:
        return release(t);
    case Kind::Storage:
        return p.scale * (0.04 + 0.96 * reservoirFill(t));
    case Kind::Elevation:
        return 2470.0 + 135.0 * std::pow(0.04 + 0.96 * reservoirFill(t), 0.55);
    case Kind::GageHeight:
        return gageHeight(flow(flowAtSite(p.site), t));
    case Kind::WindDirection:
        return windDirection(p, t);
    case Kind::WaterTempF:
    case Kind::WaterTempC:
        return waterTemp(p, t);
    case Kind::AirTemp:
        return airTemp(p, t);
    case Kind::Pressure:
        return pressure(p, t);
    case Kind::Rainfall:
    case Kind::PrecipYtd:
    case Kind::ReferenceEt:
        break;
    }
    return 0;
}

QuarterHours DemoHydrology::amounts(const Parameter& p, qint64 julianDay) {
    if (p.kind == Kind::ReferenceEt)
        return referenceEt(p, julianDay);
    const Site& site = sites().at(size_t(p.site));
    QuarterHours tips =
        weather(site.region)
            .rainTips(julianDay, hash(quint64(site.siteId), 0x7261696e), site.rainFactor);
    for (double& v : tips)
        v /= 100.0;
    return tips;
}

} // namespace rp::demo
