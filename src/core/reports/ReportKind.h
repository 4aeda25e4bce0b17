#pragma once

#include <QString>

namespace rp {

// The table a series file gets, decided once from the time-step code that starts line 1.
enum class ReportKind { Monthly, Daily, Hourly };

// 0 and 1 monthly, 2, 5 and 6 daily, 3 hourly. Throws rp::Error for unit values (4 and 7) and
// for a line 1 without a time-step code.
ReportKind reportKindOf(const QString& header1);

// What the parameter line of a series says about its values, read once from its words.
struct ParameterKind {
    bool flow = false;        // CFS
    bool twoDecimals = false; // pressures, inches, feet and directions
    bool waterTemp = false;
    bool direction = false; // wind direction, averaged as a direction
    static ParameterKind of(const QString& header2);
};

} // namespace rp
