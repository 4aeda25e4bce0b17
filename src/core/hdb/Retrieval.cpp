#include "core/hdb/Retrieval.h"

namespace rp {

QString seriesDescription(const QString& key, const QString& siteName, const QString& datatypeName,
                          const QString& unitName, TimeStep step) {
    const QString unit = step == TimeStep::UnitShift ? QString() : unitName;
    return key + QLatin1Char(' ') + siteName + QStringLiteral("; ") + datatypeName.toUpper() +
           QStringLiteral(", ") + unit.toUpper();
}

} // namespace rp
