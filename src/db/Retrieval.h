#pragma once

#include "TimeStep.h"

#include <QString>
#include <QStringView>

namespace rp {

// The leading number of a text as a value-of-a-string function reads it: leading blanks ignored,
// an optional sign, digits and one decimal point; 0 when the text does not begin with a number.
double leadingNumber(QStringView text);

// The description of a retrieved parameter: "key site; PARAMETER, UNIT"; the unit is left out for
// UnitShift.
QString seriesDescription(const QString& key, const QString& siteName, const QString& datatypeName,
                          const QString& unitName, TimeStep step);

} // namespace rp
