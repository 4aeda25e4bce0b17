#pragma once

namespace rp {

// The constants the direction arithmetic has always used; the reports' rounding of nearly
// cancelling vectors depends on them not being the exact values of pi.
inline constexpr double arctanPi = 3.14159265358979;
inline constexpr double arctanHalfPi = 1.5707963267949;

// Angle in radians of the vector (x, y), above -pi up to pi; (0, 0) gives 0.
double arctan2(double x, double y);

} // namespace rp
