#pragma once

#include <QVariant>

namespace rp::jet {

// Jet's Format(value, format). Dates: yyyy yy y mmmm mmm mm m dddd ddd dd d hh h nn n ss s q w ww
// AM/PM A/P (m right after h is minutes) and the named "General Date", "Long Date", "Medium
// Date", "Short Date", "Long Time", "Medium Time", "Short Time". Numbers: patterns of 0 # . , %
// with literal text and up to four sections (positive;negative;zero;null), and the named
// "General Number", "Currency", "Fixed", "Standard", "Percent", "Scientific", "Yes/No",
// "True/False", "On/Off". Numbers round half away from zero on their decimal value. A format
// that does not fit the value, or no format, gives the value's text.
QVariant format(const QVariant& value, const QVariant& format = QVariant());

} // namespace rp::jet
