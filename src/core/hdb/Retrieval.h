#pragma once

#include "core/base/LeadingNumber.h"
#include "core/base/TimeStep.h"

#include <QString>
#include <QStringView>

namespace rp {

// The description of a retrieved parameter: "key site; PARAMETER, UNIT"; the unit is left out for
// UnitShift.
QString seriesDescription(const QString& key, const QString& siteName, const QString& datatypeName,
                          const QString& unitName, TimeStep step);

} // namespace rp
