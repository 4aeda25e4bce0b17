#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace rp {

// How a value is shown to the user: in the grid, by the command line and in the series file.

// Up to 15 significant digits, no trailing zeros: 12.5, 0.5, 1234567, 0.3 for 0.1 + 0.2, 0 for -0.
// Very large or small magnitudes use an exponent as in 1E+15 and 1E-05.
QString numberText(double value);
// The same text appended in Latin-1, for writers of large files.
void appendNumberText(QByteArray& out, double value);
QString integerText(qint64 value);
// Null (or invalid) is empty; whole numbers exactly; reals as numberText; date-times month first
// (gridDateTimeText); texts as they are; binary data as its size.
QString valueText(const QVariant& value);

} // namespace rp
