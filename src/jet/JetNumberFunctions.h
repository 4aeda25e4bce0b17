#pragma once

#include <QVariant>

namespace rp::jet {

// Jet's number, conversion and test functions. Null in gives Null out; bad arguments throw
// rp::Error naming the function.

QVariant val(const QVariant& value);
// Int floors (Int(-1.5) = -2), Fix truncates (Fix(-1.5) = -1).
QVariant intPart(const QVariant& value);
QVariant fix(const QVariant& value);
QVariant abs(const QVariant& value);
QVariant sgn(const QVariant& value);
QVariant sqr(const QVariant& value);
// Half to even on the decimal value: Round(2.5) = 2, Round(0.125, 2) = 0.12.
QVariant round(const QVariant& value, const QVariant& places = 0);

// " 12" for 12, "-12" for -12.
QVariant str(const QVariant& value);
QVariant cstr(const QVariant& value);
QVariant cdbl(const QVariant& value);
// Rounded half to even, within 16 or 32 bits.
QVariant cint(const QVariant& value);
QVariant clng(const QVariant& value);
// Date texts and date values; a number counts days from 30-Dec-1899 (the fraction is the time).
QVariant cdate(const QVariant& value);

QVariant iif(const QVariant& condition, const QVariant& whenTrue, const QVariant& whenFalse);
// Without a replacement, Null becomes the empty text, as in a query.
QVariant nz(const QVariant& value);
QVariant nz(const QVariant& value, const QVariant& replacement);
QVariant isNull(const QVariant& value);
QVariant isNumeric(const QVariant& value);
QVariant isDate(const QVariant& value);

} // namespace rp::jet
