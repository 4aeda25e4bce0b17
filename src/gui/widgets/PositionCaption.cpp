#include "gui/widgets/PositionCaption.h"

namespace rp {

QString positionCaption(qint64 position) {
    if (position == 0)
        return {};
    const bool negative = position < 0;
    QString digits = QString::number(negative ? -position : position);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return negative ? QLatin1Char('-') + digits : digits;
}

} // namespace rp
