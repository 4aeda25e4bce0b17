#pragma once

#include <QStringView>

namespace rp {

// The leading number of a text, read the way a value-of-a-string function reads it: leading
// blanks ignored, an optional sign, digits with one decimal point, an exponent (e or d) only when
// digits follow it; 0 when the text does not begin with a number ("12abc" is 12, "3/5/1999" is 3).
// Throws rp::Error when the number is too large for a double. Allocation-light: reports call it
// for every value they read.
double leadingNumber(QStringView text);

} // namespace rp
