#pragma once

#include "core/base/LeadingNumber.h"

#include <QString>
#include <QStringView>

namespace rp {

// Formats a number with a numeric pattern of the kind the reports use: "#" a digit shown only
// when significant, "0" a digit always shown, "." the decimal point, "," between digit
// placeholders groups thousands, any other character before or after the digits stands as it is.
// The value is rounded from its decimal reading (the shortest text of up to 15 significant
// digits), halves away from zero, so 1.15 with one decimal gives 1.2. Throws rp::Error for a
// value that is not finite or a pattern without digit placeholders.
QString formatNumber(double value, QStringView pattern);

// The report cell: formatNumber right-aligned in a field exactly as wide as the pattern; text
// longer than the field keeps its leftmost characters.
QString fm(double value, QStringView pattern);

} // namespace rp
