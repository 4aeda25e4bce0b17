#pragma once

#include "demo/DemoCatalog.h"
#include "demo/DemoWeather.h"

#include <array>
#include <vector>

namespace rp::demo {

// The physical models behind the demo values: river flow from baseflow, snowmelt and storm
// runoff, a reservoir filled by the melt and drawn down for irrigation, stage through a rating,
// temperatures, wind, pressure and evapotranspiration. Times are Julian days with a fraction
// for the time of day. Values are unrounded.
class DemoHydrology {
public:
    DemoHydrology();

    DemoWeather& weather(int region) { return m_weather[size_t(region)]; }

    // The state of a parameter at an instant (not for the amount kinds).
    double at(const Parameter& p, double t);
    // Rain or reference ET in each quarter hour of a day.
    QuarterHours amounts(const Parameter& p, qint64 julianDay);

    double flow(const Parameter& p, double t);
    double reservoirFill(double t); // 0 (empty) .. 1 (full)
    double release(double t);
    // Stage of the South Fork gauge for a flow, and the flow through the shifted rating.
    static double gageHeight(double flow);
    double shiftedFlow(const Parameter& p, double t);
    double windDirection(const Parameter& p, double t);

private:
    // What every model asks of a day, computed once per day and region.
    struct DayContext {
        qint64 day = -1;
        int waterYear = 0;
        int waterYearDay = 0;
        int dayOfYear = 0;
        struct PastStorm {
            Storm storm;
            qint64 day;
            double runoffShare;
        };
        std::vector<PastStorm> storms; // started within the last 90 days, oldest first
    };
    const DayContext& context(int region, qint64 day);

    double waterTemp(const Parameter& p, double t);
    double airTemp(const Parameter& p, double t);
    double pressure(const Parameter& p, double t);
    QuarterHours referenceEt(const Parameter& p, qint64 julianDay);
    // Snowmelt share of a river's flow at t, 0..1 (cold water in spring).
    double meltShape(int region, double t);

    std::array<DemoWeather, 2> m_weather;
    std::array<DayContext, 2> m_context;
    double m_releaseStep = -1; // the six-hour step of m_release
    double m_release = 0;
};

} // namespace rp::demo
