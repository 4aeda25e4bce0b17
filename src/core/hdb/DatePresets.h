#pragma once

#include <QDate>
#include <QString>

namespace rp {

inline constexpr int datePresetCount = 10;
inline constexpr int firstWaterYearPreset = 8;

struct DateRange {
    QDate start;
    QDate end;
};

// The date dialog's common ranges, 0 "Current day" to 7 "Last Month to date", then the current
// (8) and the previous (9) water year, 1 October to 30 September, for a given today. Throws
// rp::Error for an index outside 0..9.
DateRange datePreset(int index, QDate today);
QString datePresetCaption(int index);

} // namespace rp
