#include "Retrieval.h"

namespace rp {

double leadingNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i].isDigit() && text[i].unicode() < 128)
            digits = true;
        else if (text[i] == QLatin1Char('.') && !point)
            point = true;
        else
            break;
    }
    if (!digits)
        return 0.0;
    bool ok = false;
    const double value = text.mid(start, i - start).toString().toDouble(&ok);
    return ok ? value : 0.0;
}

QString seriesDescription(const QString& key, const QString& siteName, const QString& datatypeName,
                          const QString& unitName, TimeStep step) {
    const QString unit = step == TimeStep::UnitShift ? QString() : unitName;
    return key + QLatin1Char(' ') + siteName + QStringLiteral("; ") + datatypeName.toUpper() +
           QStringLiteral(", ") + unit.toUpper();
}

} // namespace rp
