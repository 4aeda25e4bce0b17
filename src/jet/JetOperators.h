#pragma once

#include <QVariant>

namespace rp::jet {

// Jet's operators where they differ from the backends' own. Null in gives Null out.

// Two texts are joined; a date plus a number of days is a date; numbers are added (whole
// numbers stay whole).
QVariant add(const QVariant& a, const QVariant& b);
// A date minus a date is the days between them; a date minus a number of days is a date.
QVariant subtract(const QVariant& a, const QVariant& b);
// a ^ b, always a real number.
QVariant power(const QVariant& a, const QVariant& b);
// a \ b and a Mod b: both operands rounded half to even to whole numbers, the quotient
// truncated, the remainder with the sign of a.
QVariant integerDivide(const QVariant& a, const QVariant& b);
QVariant modulo(const QVariant& a, const QVariant& b);

} // namespace rp::jet
