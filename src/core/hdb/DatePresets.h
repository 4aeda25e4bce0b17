#pragma once

#include <QDate>
#include <QString>

namespace rp {

inline constexpr int datePresetCount = 8;

struct DateRange {
    QDate start;
    QDate end;
};

// The date dialog's common ranges, 0 "Current day" to 7 "Last Month to date", for a given today.
// Throws rp::Error for an index outside 0..7.
DateRange datePreset(int index, QDate today);
QString datePresetCaption(int index);

} // namespace rp
