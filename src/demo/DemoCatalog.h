#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>
#include <vector>

namespace rp::demo {

// The sites and parameters of the demo HDB: one entry per rsite row.

// How a parameter's values come about; decides its model and how daily, monthly and yearly
// values are formed from finer ones.
enum class Kind {
    Flow,          // natural river flow, cfs
    Release,       // flow below the dam, cfs
    Storage,       // reservoir storage, acre-feet
    Elevation,     // reservoir water surface, ft
    GageHeight,    // river stage, ft
    Rainfall,      // incremental precipitation, inches
    PrecipYtd,     // water-year-to-date precipitation, inches
    WindDirection, // quarter turns from north, 0..4
    WaterTempF,    // deg F
    WaterTempC,    // deg C
    AirTemp,       // deg F
    Pressure,      // barometric pressure, in Hg
    ReferenceEt,   // inches
};

struct Site {
    int siteId;
    const char* stationId;
    const char* name;
    const char* state;
    int reachId;       // hydrologic unit of the river reach
    int region;        // weather region shared by nearby sites
    double rainFactor; // local rainfall relative to the region's storms
};

struct Parameter {
    int datatypeSiteId;
    int datatypeId;
    const char* datatypeName;
    const char* unitName;
    Kind kind;
    int site;        // index into sites()
    double scale;    // size of the river (flows) or of the reservoir
    QDate dailyFrom; // first daily value; monthly and yearly rows follow from the daily ones
    bool dayMaxMin;  // daily maximum and minimum over the same span
    int unitMinutes; // 0: no unit values; else their spacing (15, 30 or 60)
    bool hourly;
    bool unitShift; // unit values through a shifted rating as well
    quint64 seed;
};

const std::vector<Site>& sites();
const std::vector<Parameter>& parameters();

// Days of unit and hourly values, ending on the last day of the database.
inline constexpr int recentDays = 420;
// First day of the oldest records.
QDate firstDay();

// Whether a parameter's record has a gap on a day (an outage: no daily, hourly or unit values),
// or in an hour of its unit and hourly values.
bool dayMissing(const Parameter& parameter, qint64 julianDay);
bool hourMissing(const Parameter& parameter, qint64 julianDay, int hour);

// "1010 SOUTH FORK KERN RIVER NR ONYX CA; DISCHARGE, CFS" as the program describes a series.
QString description(const Parameter& parameter);

// True for the kinds whose daily, hourly and unit values are amounts over the interval (rain,
// ET) rather than states at an instant.
bool isAmount(Kind kind);

} // namespace rp::demo
