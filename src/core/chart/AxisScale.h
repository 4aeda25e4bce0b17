#pragma once

#include <QString>

namespace rp {

// Bounds and step of a value axis: whole multiples of 1, 2 or 5 times a power of ten, the span
// holding from 4 to under 11 steps.
struct AxisScale {
    double lower = 0;
    double step = 1;
    double upper = 1;
    int divisions = 1;
};

// The axis scale of the values from `smallest` to `largest`. Equal values raise `largest` to
// `smallest` + 1 (the caller sees the change). Throws rp::Error when largest is below smallest
// (a series without values).
AxisScale computeAxisScale(double smallest, double& largest);

// Removes floating-point noise: the number as its 15-digit display text reads it back, nearly
// whole 9-character texts rounded to 6 significant digits first.
double clean(double x);

// The display text of a single number: a leading blank for a number that is not negative, no zero
// before the decimal point, up to 15 significant digits (" .5", "-3.2", " 1E-05").
QString axisNumberText(double x);

} // namespace rp
