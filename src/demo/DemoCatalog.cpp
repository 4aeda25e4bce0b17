#include "demo/DemoCatalog.h"

#include "demo/DemoNoise.h"

namespace rp::demo {

namespace {

QDate d(int y, int m) {
    return QDate(y, m, 1);
}

} // namespace

const std::vector<Site>& sites() {
    static const std::vector<Site> list{
        {101, "2", "SOUTH FORK KERN RIVER NR ONYX CA", "CA", 18030002, 0, 0.9},
        {102, "1", "KERN RIVER NR KERNVILLE CA", "CA", 18030001, 0, 1.25},
        {103, "3", "LAKE ISABELLA RESERVOIR", "CA", 18030003, 0, 0.8},
        {104, "4", "KERN RIVER BLW ISABELLA DAM CA", "CA", 18030003, 0, 0.75},
        {105, "5", "KERNVILLE WEATHER STATION CA", "CA", 18030001, 0, 1.0},
        {106, "CO", "ARKANSAS RIVER AT CANON CITY CO", "CO", 11020002, 1, 0.7},
    };
    return list;
}

const std::vector<Parameter>& parameters() {
    // dsid, datatype_id, name, unit, kind, site, scale, daily from, max/min, unit minutes,
    // hourly, unit shift, seed
    static const std::vector<Parameter> list{
        {1011, 19, "DISCHARGE", "CFS", Kind::Flow, 0, 160, d(1980, 10), true, 15, true, true, 11},
        {1012, 65, "GAGE HEIGHT", "FT", Kind::GageHeight, 0, 160, d(1995, 10), true, 15, true,
         false, 12},
        {1013, 14, "WATER TEMP", "DEG F", Kind::WaterTempF, 0, 1.0, d(2001, 10), true, 30, true,
         false, 13},
        {1021, 19, "DISCHARGE", "CFS", Kind::Flow, 1, 750, d(1980, 10), true, 15, true, false, 21},
        {1031, 17, "STORAGE", "ACRE-FEET", Kind::Storage, 2, 568000, d(1980, 10), false, 60, true,
         false, 31},
        {1032, 49, "RESERVOIR ELEVATION", "FT", Kind::Elevation, 2, 568000, d(1980, 10), false, 0,
         true, false, 32},
        {1033, 45, "RAINFALL", "INCHES", Kind::Rainfall, 2, 1.0, d(1990, 10), false, 0, true, false,
         33},
        {1041, 19, "DISCHARGE", "CFS", Kind::Release, 3, 1.0, d(1980, 10), true, 15, true, false,
         41},
        {1042, 14, "WATER TEMP", "DEG F", Kind::WaterTempF, 3, 0.45, d(2005, 10), false, 0, true,
         false, 42},
        {1051, 45, "RAINFALL", "INCHES", Kind::Rainfall, 4, 1.0, d(1980, 10), false, 15, true,
         false, 51},
        {1052, 46, "PRECIP YTD", "INCHES", Kind::PrecipYtd, 4, 1.0, d(1980, 10), false, 0, false,
         false, 52},
        {1053, 81, "WIND DIRECTION", "QUARTER TURNS", Kind::WindDirection, 4, 1.0, d(1998, 10),
         false, 60, true, false, 53},
        {1054, 12, "AIR TEMP", "DEG F", Kind::AirTemp, 4, 1.0, d(1990, 10), true, 0, true, false,
         54},
        {1055, 92, "BAROMETRIC PRESSURE", "IN HG", Kind::Pressure, 4, 1.0, d(2005, 10), false, 0,
         true, false, 55},
        {1056, 30, "REFERENCE ET", "INCHES", Kind::ReferenceEt, 4, 1.0, d(1990, 10), false, 0, true,
         false, 56},
        {1061, 19, "DISCHARGE", "CFS", Kind::Flow, 5, 620, d(1985, 10), false, 0, false, false, 61},
        {1062, 15, "WATER TEMP", "DEG C", Kind::WaterTempC, 5, 1.2, d(2000, 10), false, 0, true,
         false, 62},
    };
    return list;
}

namespace {

// Reservoir and derived records are kept by hand and have no outages.
bool hasOutages(const Parameter& p) {
    return p.kind != Kind::Storage && p.kind != Kind::Elevation && p.kind != Kind::Release &&
           p.kind != Kind::PrecipYtd;
}

} // namespace

bool dayMissing(const Parameter& p, qint64 julianDay) {
    const QDate date = QDate::fromJulianDay(julianDay);
    // The January 1997 flood took out the Kernville gauge for the month; the Canon City and
    // weather station records each lose a month to a failed logger.
    if ((p.datatypeSiteId == 1021 && date.year() == 1997 && date.month() == 1) ||
        (p.datatypeSiteId == 1061 && date.year() == 2008 && date.month() == 7) ||
        (p.datatypeSiteId == 1054 && date.year() == 2003 && date.month() == 3))
        return true;
    if (!hasOutages(p))
        return false;
    if (uniform(p.seed, quint64(julianDay), 0x676170) < 0.0015)
        return true;
    // Now and then an outage of a few days.
    const qint64 block = julianDay / 60;
    if (uniform(p.seed, quint64(block), 0x72756e) < 0.05) {
        const qint64 start = block * 60 + qint64(uniform(p.seed, quint64(block), 0x737461) * 45);
        const qint64 length = 2 + qint64(uniform(p.seed, quint64(block), 0x6c656e) * 8);
        return julianDay >= start && julianDay < start + length;
    }
    return false;
}

bool hourMissing(const Parameter& p, qint64 julianDay, int hour) {
    if (dayMissing(p, julianDay))
        return true;
    return hasOutages(p) && uniform(p.seed, quint64(julianDay * 24 + hour), 0x686f7572) < 0.002;
}

QDate firstDay() {
    return QDate(1980, 10, 1);
}

QString description(const Parameter& p) {
    const Site& s = sites().at(size_t(p.site));
    return QStringLiteral("%1 %2; %3, %4")
        .arg(p.datatypeSiteId)
        .arg(QString::fromLatin1(s.name), QString::fromLatin1(p.datatypeName).toUpper(),
             QString::fromLatin1(p.unitName).toUpper());
}

bool isAmount(Kind kind) {
    return kind == Kind::Rainfall || kind == Kind::ReferenceEt;
}

} // namespace rp::demo
